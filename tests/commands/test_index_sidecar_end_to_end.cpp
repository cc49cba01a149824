// index with FILE.meta.json beside the files, through the built binary: the
// metadata reaches the entry, the command line wins key by key, the zigpy
// list stays as it is, --update takes them too, and every malformed metadata
// file is refused with exit 2 naming the file, the key and the reason, as is
// metadata that makes an entry lint finds at fault, in lint's words.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/otawrap_run.h"
#include "support/process_runner.h"
#include "support/temp_directory.h"

namespace otawrap {
namespace {

using test::ProcessResult;
using test::TempDirectory;
using test::readText;
using test::runOtawrap;
using test::writeText;

// a.ota (1234/0101 version 1, no hardware range) and b.ota (1234/0102
// version 2, hardware 1..3) in dir.
void makeFiles(const TempDirectory& dir) {
  writeText(dir.file("payload.bin"), std::string(300, 'p'));
  ASSERT_EQ(runOtawrap(dir, {"build", "-m", "1234", "-t", "0101", "-v", "1", "--tag", "0=payload.bin",
                      "--output", "a.ota", "-q"}).exitCode, 0);
  ASSERT_EQ(runOtawrap(dir, {"build", "-m", "1234", "-t", "0102", "-v", "2", "--tag", "0=payload.bin",
                      "--min-hw-version", "1", "--max-hw-version", "3", "--output", "b.ota", "-q"}).exitCode, 0);
}

// The text of the entry of b.ota after its sha512, up to the end of the array.
std::string tailOfB(const std::string& index) {
  const std::size_t b = index.find("\"fileName\":\"b.ota\"");
  const std::size_t sha = index.find("\"sha512\":\"", b);
  if (b == std::string::npos || sha == std::string::npos) return index;
  return index.substr(sha + 10 + 128 + 1);
}

TEST(IndexSidecarEndToEnd, MetadataReachesTheEntryAndTheCommandLineWins) {
  const std::string all =
      R"({"modelId":"lamp","manufacturerName":["x","y\u00e9"],"minFileVersion":"0x10",)"
      R"("maxFileVersion":300,"hardwareVersionMin":"2","hardwareVersionMax":4,"releaseNotes":"n",)"
      R"("originalUrl":"https://example.com/o","force":true})";
  const struct {
    const char* name;
    std::string sidecar;  // b.ota.meta.json, "" none
    std::vector<std::string> options;
    std::string tail;  // of b's entry, see tailOfB
  } cases[] = {
      {"none", "", {}, R"(,"hardwareVersionMin":1,"hardwareVersionMax":3}])"},
      {"every key", all, {},
       R"(,"hardwareVersionMin":2,"hardwareVersionMax":4,"modelId":"lamp","manufacturerName":["x","yé"],)"
       R"("minFileVersion":16,"maxFileVersion":300,"force":true,"releaseNotes":"n",)"
       R"("originalUrl":"https://example.com/o"}])"},
      {"command line wins", all,
       {"--model-id", "cli", "--manufacturer-name", "z", "--max-file-version", "FF", "--min-hw-version", "0"},
       R"(,"hardwareVersionMin":0,"hardwareVersionMax":4,"modelId":"cli","manufacturerName":["z"],)"
       R"("minFileVersion":16,"maxFileVersion":255,"force":true,"releaseNotes":"n",)"
       R"("originalUrl":"https://example.com/o"}])"},
      {"force false", R"({"force":false,"releaseNotes":""})", {},
       R"(,"hardwareVersionMin":1,"hardwareVersionMax":3,"releaseNotes":""}])"},
      {"--force over false", R"({"force":false})", {"--force"},
       R"(,"hardwareVersionMin":1,"hardwareVersionMax":3,"force":true}])"},
      {"largest values", R"({"minFileVersion":4294967295,"maxFileVersion":"FFFFFFFF","hardwareVersionMax":65535,"force":true})", {},
       R"(,"hardwareVersionMin":1,"hardwareVersionMax":65535,"minFileVersion":4294967295,"maxFileVersion":4294967295,"force":true}])"},
  };
  for (const auto& c : cases) {
    TempDirectory dir;
    makeFiles(dir);
    const std::string plainZigpy = runOtawrap(dir, {"index", "a.ota", "b.ota", "--format", "zigpy"}).output;
    if (!c.sidecar.empty()) writeText(dir.file("b.ota.meta.json"), c.sidecar);
    std::vector<std::string> arguments = {"index", "a.ota", "b.ota"};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    const ProcessResult r = runOtawrap(dir, arguments);
    ASSERT_EQ(r.exitCode, 0) << c.name << ": " << r.errors;
    EXPECT_EQ(tailOfB(r.output), c.tail + "\n") << c.name;
    // a.ota has no metadata file: only the command line's metadata.
    EXPECT_EQ(r.output.find("\"releaseNotes\""), r.output.rfind("\"releaseNotes\"")) << c.name;
    // zigpy's list has no field for them: the same list as without the file.
    const ProcessResult zigpy = runOtawrap(dir, {"index", "a.ota", "b.ota", "--format", "zigpy"});
    EXPECT_EQ(zigpy.exitCode, 0) << c.name << ": " << zigpy.errors;
    EXPECT_EQ(zigpy.output, plainZigpy) << c.name;
  }
}

TEST(IndexSidecarEndToEnd, UpdateTakesTheMetadata) {
  TempDirectory dir;
  makeFiles(dir);
  writeText(dir.file("index.json"), runOtawrap(dir, {"index", "a.ota", "b.ota"}).output);
  writeText(dir.file("b.ota.meta.json"), R"({"modelId":"lamp"})");
  const ProcessResult update = runOtawrap(dir, {"index", "b.ota", "--update", "index.json"});
  ASSERT_EQ(update.exitCode, 0) << update.errors;
  const std::string merged = readText(dir.file("index.json"));
  EXPECT_EQ(merged, runOtawrap(dir, {"index", "a.ota", "b.ota"}).output);
  EXPECT_NE(merged.find(R"("hardwareVersionMax":3,"modelId":"lamp"})"), std::string::npos) << merged;
}

TEST(IndexSidecarEndToEnd, RefusesMalformedMetadataFiles) {
  // Metadata that reads well but makes an entry lint finds at fault: lint's words.
  const std::string refused = "cannot index 'b.ota' with this metadata: ";
  const struct {
    const char* name;
    std::string sidecar;
    std::string reason;  // after "metadata file 'b.ota.meta.json' is invalid: ", or a whole message
  } cases[] = {
      {"inverted hardware", R"({"hardwareVersionMin":5,"hardwareVersionMax":4})",
       refused + "hardwareVersionMin 5 is above hardwareVersionMax 4"},
      {"inverted against the header's", R"({"hardwareVersionMin":4})",
       refused + "hardwareVersionMin 4 is above hardwareVersionMax 3"},
      {"empty window", R"({"minFileVersion":5,"maxFileVersion":4})",
       refused + "minFileVersion 5 is above maxFileVersion 4: no device is ever offered it"},
      {"never an upgrade", R"({"minFileVersion":2})",
       refused + "minFileVersion 2 is not below its fileVersion 2 and force is not set: no device is ever offered it"},
      {"NUL in a name", R"({"manufacturerName":["a\u0000"]})", refused + "manufacturerName holds a control character"},
      {"C1 control in a model", R"({"modelId":"a\u0085"})", refused + "modelId holds a control character"},
      {"unknown key", R"({"modelID":"x"})",
       "modelID: not a metadata key (modelId, manufacturerName, minFileVersion, maxFileVersion, "
       "hardwareVersionMin, hardwareVersionMax, releaseNotes, originalUrl, force)"},
      {"not an object", "[]", "not a JSON object"},
      {"string type", R"({"modelId":7})", "modelId: not a string"},
      {"empty model", R"({"modelId":""})", "modelId: an empty string"},
      {"names type", R"({"manufacturerName":"x"})", "manufacturerName: not an array of strings"},
      {"names element", R"({"manufacturerName":["x",1]})", "manufacturerName: not an array of strings"},
      {"names empty", R"({"manufacturerName":[]})", "manufacturerName: an empty array, which no device matches"},
      {"name empty", R"({"manufacturerName":["x",""]})", "manufacturerName: holds an empty string"},
      {"bad hex", R"({"minFileVersion":"0x1G"})", "minFileVersion: '0x1G' is not 1 to 8 hex digits"},
      {"long hex", R"({"hardwareVersionMax":"12345"})", "hardwareVersionMax: '12345' is not 1 to 4 hex digits"},
      {"over range", R"({"hardwareVersionMin":65536})", "hardwareVersionMin: 65536 is not a whole number from 0 to 65535"},
      {"negative", R"({"maxFileVersion":-1})", "maxFileVersion: -1 is not a whole number from 0 to 4294967295"},
      {"version type", R"({"minFileVersion":true})", "minFileVersion: not a number or a hex string"},
      {"force type", R"({"force":"yes"})", "force: not true or false"},
      {"twice", R"({"force":true,"force":false})", "line 1, column 15: a key given twice in one object"},
      {"invalid UTF-8", "{\"modelId\":\"a\xC3\x28\"}", "line 1, column 14: not UTF-8"},
      {"not JSON", "{\"modelId\":", "line 1, column 12: ends inside a value"},
  };
  for (const auto& c : cases) {
    TempDirectory dir;
    makeFiles(dir);
    const std::string index = runOtawrap(dir, {"index", "a.ota"}).output;
    writeText(dir.file("index.json"), index);
    writeText(dir.file("b.ota.meta.json"), c.sidecar);
    const std::string message = c.reason.rfind(refused, 0) == 0
                                    ? "otawrap: " + c.reason + "\n"
                                    : "otawrap: metadata file 'b.ota.meta.json' is invalid: " + c.reason + "\n";
    for (const char* format : {"herdsman", "zigpy"}) {
      const ProcessResult r = runOtawrap(dir, {"index", "a.ota", "b.ota", "--format", format});
      EXPECT_EQ(r.exitCode, 2) << c.name;
      EXPECT_EQ(r.errors, message) << c.name;
      EXPECT_EQ(r.output, "") << c.name;
    }
    const ProcessResult update = runOtawrap(dir, {"index", "b.ota", "--update", "index.json"});
    EXPECT_EQ(update.exitCode, 2) << c.name;
    EXPECT_EQ(update.errors, message) << c.name;
    EXPECT_EQ(readText(dir.file("index.json")), index) << c.name;
  }
}

}  // namespace
}  // namespace otawrap
