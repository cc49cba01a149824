// index, lint and match end to end through the built binary: an index made by
// index lints clean; each seeded fault class is found, one line each, exit 1;
// --update keeps untouched entries byte for byte; lint judges each format by
// its consumer and index warns as it does; match names the entry in hex and
// exits by whether one is offered; broken indexes are refused with exit 2.
#include <gtest/gtest.h>

#include <filesystem>
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

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

// a.ota (1234/0101 version 1, hardware 1..2), b.ota (1234/0102 version 2)
// and c.ota (1234/0101 version 2) in dir.
void makeFiles(const TempDirectory& dir) {
  writeText(dir.file("payload.bin"), std::string(300, 'p'));
  ASSERT_EQ(runOtawrap(dir, {"build", "-m", "1234", "-t", "0101", "-v", "1", "--tag", "0=payload.bin",
                      "--min-hw-version", "1", "--max-hw-version", "2", "--output", "a.ota", "-q"}).exitCode, 0);
  ASSERT_EQ(runOtawrap(dir, {"build", "-m", "1234", "-t", "0102", "-v", "2", "--tag", "0=payload.bin",
                      "--output", "b.ota", "-q"}).exitCode, 0);
  ASSERT_EQ(runOtawrap(dir, {"build", "-m", "1234", "-t", "0101", "-v", "2", "--tag", "0=payload.bin",
                      "--output", "c.ota", "-q"}).exitCode, 0);
}

TEST(CatalogEndToEnd, LintFindsEachSeededFault) {
  const struct {
    const char* name;
    std::vector<std::pair<std::string, std::string>> edits;  // in the index text
    std::string file;                                        // a file to spoil, "" none
    std::vector<std::string> findings;                       // a word of each line
  } cases[] = {
      {"clean", {}, "", {}},
      {"missing file", {{"\"url\":\"b.ota\"", "\"url\":\"d.ota\""}}, "", {"not found"}},
      {"sha512", {{"\"sha512\":\"", "\"sha512\":\"0"}}, "", {"sha512 is not", "sha512 is not"}},
      {"size", {{"\"fileSize\":", "\"fileSize\":1"}}, "", {"fileSize 1", "fileSize 1"}},
      {"version", {{"\"fileVersion\":2", "\"fileVersion\":3"}}, "", {"fileVersion 3 differs"}},
      {"hardware inverted", {{"\"hardwareVersionMax\":2", "\"hardwareVersionMax\":0"}}, "",
       {"hardwareVersionMax 0 differs", "above hardwareVersionMax"}},
      {"empty window", {{"\"fileVersion\":2,", "\"fileVersion\":2,\"minFileVersion\":9,\"maxFileVersion\":8,"}}, "",
       {"above maxFileVersion"}},
      {"never an upgrade", {{"\"fileVersion\":2,", "\"fileVersion\":2,\"minFileVersion\":2,"}}, "", {"not below"}},
      {"collision", {{"\"imageType\":258", "\"imageType\":257"}, {"\"fileVersion\":2", "\"fileVersion\":1"}}, "",
       {"imageType 257 differs", "fileVersion 1 differs", "with a different file"}},
      {"partly shadowed", {{"\"imageType\":258", "\"imageType\":257"}}, "",
       {"imageType 257 differs", "takes some devices"}},
      {"shadowed", {{"\"imageType\":258", "\"imageType\":257"}, {"\"hardwareVersionMin\":1,\"hardwareVersionMax\":2", "\"force\":false"}},
       "", {"imageType 257 differs", "never offered"}},
      {"overlapping hardware", {{"\"imageType\":258", "\"imageType\":257"}, {"\"fileVersion\":2,", "\"fileVersion\":2,\"hardwareVersionMin\":2,\"hardwareVersionMax\":3,"}},
       "", {"imageType 257 differs", "takes some devices", "overlaps"}},
      {"fails info", {}, "b.ota", {"total image size failed", "sha512 is not"}},
      {"not an OTA file", {}, "a.ota", {"not an OTA file"}},
  };
  for (const auto& c : cases) {
    TempDirectory dir;
    makeFiles(dir);
    const ProcessResult index = runOtawrap(dir, {"index", "a.ota", "b.ota"});
    ASSERT_EQ(index.exitCode, 0) << index.errors;
    std::string text = index.output;
    for (const auto& edit : c.edits) replaceAll(text, edit.first, edit.second);
    writeText(dir.file("index.json"), text);
    if (c.file == "b.ota") {
      std::string bytes = readText(dir.file("b.ota"));
      bytes.resize(bytes.size() - 1);  // the sub-elements no longer fill it
      writeText(dir.file("b.ota"), bytes);
    } else if (!c.file.empty()) {
      writeText(dir.file(c.file), "no identifier here");
    }
    const ProcessResult lint = runOtawrap(dir, {"lint", "index.json"});
    EXPECT_EQ(lint.exitCode, c.findings.empty() ? 0 : 1) << c.name << "\n" << lint.output << lint.errors;
    std::vector<std::string> lines;
    for (std::size_t from = 0, to; (to = lint.output.find('\n', from)) != std::string::npos; from = to + 1) {
      lines.push_back(lint.output.substr(from, to - from));
    }
    ASSERT_EQ(lines.size(), c.findings.size()) << c.name << "\n" << lint.output;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      EXPECT_NE(lines[i].find(c.findings[i]), std::string::npos) << c.name << ": " << lines[i];
      EXPECT_EQ(lines[i].rfind("index.json: entry ", 0), 0u) << lines[i];
      EXPECT_NE(lines[i].find("): zigbee-herdsman: "), std::string::npos) << lines[i];
    }
    EXPECT_EQ(lint.errors, "2 entries, " + std::to_string(lines.size()) + (lines.size() == 1 ? " fault\n" : " faults\n"))
        << c.name;
    const ProcessResult json = runOtawrap(dir, {"lint", "index.json", "--json"});
    EXPECT_EQ(json.exitCode, lint.exitCode) << c.name;
    EXPECT_EQ(std::count(json.output.begin(), json.output.end(), '\n'), static_cast<long>(lines.size())) << c.name;
  }
}

// Two versions of one image (a.ota 1, c.ota 2), in either order and format:
// index warns with the words lint then prints, each naming its consumer.
TEST(CatalogEndToEnd, LintJudgesEachFormatByItsConsumerAndIndexWarnsAlike) {
  TempDirectory dir;
  makeFiles(dir);
  const std::string cOverA = "entry 1 (a.ota): zigbee-herdsman: never offered: entry 0 (c.ota) comes first and "
                             "matches every device this one does";
  const std::string zigpyOlderLast = "entry 0 (c.ota): zigpy: never offered: entry 1 (a.ota) comes later with the "
                                     "same fw_manufacturer_id and fw_image_type and replaces it with the older "
                                     "fw_file_version 1 (this one: 2)";
  const struct {
    std::vector<std::string> arguments;  // of index
    std::string finding;                 // "" none
    std::string summary;
  } cases[] = {
      {{"c.ota", "a.ota"}, cOverA, "2 entries, 1 fault\n"},
      {{"a.ota", "c.ota", "--format", "zigpy"}, "", "2 entries, 0 faults\n"},
      {{"c.ota", "a.ota", "--format", "zigpy"}, zigpyOlderLast, "2 entries, 1 fault\n"},
      {{"c.ota", "--url-prefix", "https://example.com/ota"}, "",
       "1 entry, 0 faults; files not checked: give --files DIR\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments = {"index"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    const ProcessResult index = runOtawrap(dir, arguments);
    EXPECT_EQ(index.exitCode, 0) << c.summary;
    EXPECT_EQ(index.errors, c.finding.empty() ? "" : "otawrap: warning: " + c.finding + "\n");
    writeText(dir.file("index.json"), index.output);
    const ProcessResult lint = runOtawrap(dir, {"lint", "index.json"});
    EXPECT_EQ(lint.exitCode, c.finding.empty() ? 0 : 1);
    EXPECT_EQ(lint.output, c.finding.empty() ? "" : "index.json: " + c.finding + "\n");
    EXPECT_EQ(lint.errors, c.summary);
  }
  // --update warns about the entries it writes.
  writeText(dir.file("index.json"), runOtawrap(dir, {"index", "c.ota"}).output);
  const ProcessResult update = runOtawrap(dir, {"index", "a.ota", "--update", "index.json"});
  EXPECT_EQ(update.exitCode, 0);
  EXPECT_EQ(update.errors, "otawrap: warning: index.json: " + cOverA + "\nindex.json: 1 added, 0 replaced, 1 kept\n");
}

TEST(CatalogEndToEnd, UpdateReplacesOneEntryAndKeepsTheRest) {
  TempDirectory dir;
  makeFiles(dir);
  const std::string kept = "{ \"url\" : \"elsewhere.ota\",\n    \"fileVersion\": 7, \"extra\": [1, 2] }";
  const std::string old = "[\n  " + kept + ",\n  {\"url\":\"b.ota\",\"manufacturerCode\":4660,"
                          "\"imageType\":258,\"fileVersion\":2}\n]\n";
  writeText(dir.file("index.json"), old);
  const ProcessResult update = runOtawrap(dir, {"index", "b.ota", "a.ota", "--update", "index.json"});
  ASSERT_EQ(update.exitCode, 0) << update.errors;
  EXPECT_EQ(update.output, "");
  EXPECT_EQ(update.errors, "index.json: 1 added, 1 replaced, 1 kept\n");
  const std::string merged = readText(dir.file("index.json"));
  // New entries take the layout of the first one: a space after ':' and ','.
  std::string fresh = runOtawrap(dir, {"index", "b.ota"}).output;
  std::string added = runOtawrap(dir, {"index", "a.ota"}).output;
  for (std::string* text : {&fresh, &added}) {
    replaceAll(*text, "\":", "\": ");
    replaceAll(*text, ",\"", ", \"");
  }
  EXPECT_EQ(merged, "[\n  " + kept + ",\n  " + fresh.substr(1, fresh.size() - 3) + ",\n  " +
                        added.substr(1, added.size() - 3) + "\n]\n");
  // A zigpy-format update of a herdsman index is refused; the index stays.
  const ProcessResult wrong = runOtawrap(dir, {"index", "b.ota", "--format", "zigpy", "--update", "index.json"});
  EXPECT_EQ(wrong.exitCode, 2);
  EXPECT_NE(wrong.errors.find("it is in the zigbee-herdsman format; give --format herdsman to match it"),
            std::string::npos)
      << wrong.errors;
  EXPECT_EQ(readText(dir.file("index.json")), merged);
}

// The url of each entry of an index, in order.
std::vector<std::string> urls(const std::string& index) {
  std::vector<std::string> found;
  for (std::size_t at = index.find("\"url\":\""); at != std::string::npos; at = index.find("\"url\":\"", at + 1)) {
    const std::size_t from = at + 7;
    found.push_back(index.substr(from, index.find('"', from) - from));
  }
  return found;
}

// index over a tree and past refused files: the files below a directory in
// path order, other files named as skipped (a metadata file beside its OTA
// file read, not named), tree urls under a prefix; every refused file named,
// nothing printed without --keep-going, the others' entries with it.
TEST(CatalogEndToEnd, IndexTreesAndKeepGoingTable) {
  TempDirectory dir;
  makeFiles(dir);
  std::filesystem::create_directories(dir.file("tree/x"));
  std::filesystem::create_directories(dir.file("tree/y z"));
  std::filesystem::copy_file(dir.file("b.ota"), dir.file("tree/x/b.ota"));
  std::filesystem::copy_file(dir.file("a.ota"), dir.file("tree/y z/a.ota"));
  writeText(dir.file("tree/x/b.ota.meta.json"), R"({"modelId":"m"})");
  writeText(dir.file("tree/README.md"), "images");
  writeText(dir.file("bad.ota"), "junk");
  writeText(dir.file("cut.ota"), readText(dir.file("a.ota")).substr(0, 300));
  const std::string skipped = "otawrap: skipped 'tree/README.md': not an OTA file\n";
  const std::string refused =
      "otawrap: 'bad.ota' is not an OTA file: no OTA file identifier (0x0BEEF11E)\n"
      "otawrap: file 'cut.ota': total image size failed: total image size differs from the file size\n";
  const struct {
    std::vector<std::string> arguments;  // of index
    int exitCode;
    std::vector<std::string> urls;
    std::string errors;
  } cases[] = {
      {{"-r", "tree"}, 0, {"tree/x/b.ota", "tree/y z/a.ota"}, skipped},
      {{"tree", "--recursive", "--url-prefix", "https://h/ota/"}, 0,
       {"https://h/ota/x/b.ota", "https://h/ota/y%20z/a.ota"}, skipped},
      {{"-r", "tree/x", "c.ota", "--url-prefix", "https://h"}, 0, {"https://h/b.ota", "https://h/c.ota"}, ""},
      {{"a.ota", "bad.ota", "b.ota", "cut.ota"}, 1, {}, refused},
      {{"a.ota", "bad.ota", "b.ota", "cut.ota", "--keep-going"}, 1, {"a.ota", "b.ota"}, refused},
      {{"a.ota", "missing.ota", "bad.ota", "--keep-going"}, 2, {"a.ota"},
       "otawrap: cannot open input file 'missing.ota': No such file or directory\n"
       "otawrap: 'bad.ota' is not an OTA file: no OTA file identifier (0x0BEEF11E)\n"},
      {{"-r", "tree", "bad.ota"}, 1, {}, skipped + "otawrap: 'bad.ota' is not an OTA file: no OTA file identifier (0x0BEEF11E)\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments = {"index"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    SCOPED_TRACE(c.arguments[0] + " " + c.arguments[1]);
    const ProcessResult r = runOtawrap(dir, arguments);
    EXPECT_EQ(r.exitCode, c.exitCode);
    EXPECT_EQ(r.errors, c.errors);
    EXPECT_EQ(urls(r.output), c.urls);
    EXPECT_EQ(r.output.empty(), c.urls.empty()) << r.output;
  }
  // The metadata file beside a walked file reaches its entry.
  EXPECT_NE(runOtawrap(dir, {"index", "-r", "tree"}).output.find("\"modelId\":\"m\""), std::string::npos);
}

// --update writes in the index's own layout: an index grown entry by entry
// equals the one made at once, pretty-printed at 2 or 4 spaces, with tabs
// or CR LF line ends; a summary line follows.
TEST(CatalogEndToEnd, UpdateKeepsTheLayoutOfTheIndexTable) {
  TempDirectory dir;
  makeFiles(dir);
  const struct {
    const char* indent;
    std::string from;  // replaced in --indent's text
    std::string to;
  } cases[] = {
      {"2", "", ""},
      {"4", "", ""},
      {"1", " ", "\t"},
      {"4", "\n", "\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.indent) + c.to);
    const auto styled = [&](std::vector<std::string> files) {
      files.insert(files.begin(), "index");
      files.insert(files.end(), {"--indent", c.indent});
      std::string text = runOtawrap(dir, files).output;
      if (!c.from.empty()) replaceAll(text, c.from, c.to);
      return text;
    };
    writeText(dir.file("grown.json"), styled({"a.ota"}));
    ProcessResult r = runOtawrap(dir, {"index", "b.ota", "--update", "grown.json"});
    EXPECT_EQ(r.errors, "grown.json: 1 added, 0 replaced, 1 kept\n");
    r = runOtawrap(dir, {"index", "b.ota", "a.ota", "--update", "grown.json"});
    EXPECT_EQ(r.errors, "grown.json: 0 added, 0 replaced, 2 kept\n");
    EXPECT_EQ(readText(dir.file("grown.json")), styled({"a.ota", "b.ota"}));
  }
  const ProcessResult both = runOtawrap(dir, {"index", "a.ota", "--indent", "2", "--update", "grown.json"});
  EXPECT_EQ(both.exitCode, 2);
  EXPECT_EQ(both.errors, "otawrap: --update and --indent exclude each other\nTry 'otawrap index --help'.\n");
  for (const char* value : {"0", "11", "x", ""}) {
    EXPECT_EQ(runOtawrap(dir, {"index", "a.ota", "--indent", value}).errors,
              std::string("otawrap: invalid value '") + value +
                  "' for --indent: 1 to 10 spaces expected\nTry 'otawrap index --help'.\n");
  }
}

TEST(CatalogEndToEnd, MatchNamesTheEntryAndExitsByTheOffer) {
  TempDirectory dir;
  makeFiles(dir);
  ASSERT_EQ(runOtawrap(dir, {"build", "-m", "4321", "-t", "0101", "-v", "1", "--tag", "0=payload.bin",
                      "--output", "e.ota", "-q"}).exitCode, 0);
  writeText(dir.file("index.json"), runOtawrap(dir, {"index", "c.ota", "a.ota", "e.ota"}).output);
  writeText(dir.file("zigpy.json"), runOtawrap(dir, {"index", "--format", "zigpy", "a.ota", "c.ota"}).output);
  const struct {
    std::vector<std::string> arguments;
    int exitCode;
    const char* firstLine;
  } cases[] = {
      {{"index.json", "--image-type", "0101", "--file-version", "1"}, 0, "zigbee-herdsman: offers entry 0 (c.ota)"},
      {{"index.json", "--image-type", "101", "--file-version", "2"}, 1,
       "zigbee-herdsman: offers nothing: entry 0 (c.ota) is chosen"},
      {{"index.json", "--image-type", "0102", "--file-version", "1"}, 1, "zigbee-herdsman: offers nothing: no entry"},
      {{"zigpy.json", "--image-type", "0101", "--file-version", "1"}, 0, "zigpy: offers entry 1 ("},
      {{"index.json", "-t", "0x0101", "-v", "0x1"}, 0,
       "zigbee-herdsman: offers entry 0 (c.ota): fileVersion 0x00000002 (2) is above the device's 0x00000001\n"
       "  entry 0 (c.ota): matches\n"
       "  entry 1 (a.ota): hardwareVersionMin is set and the device reports no hardware version\n"
       "  1 entry of other manufacturer codes not listed\n"},
      {{"index.json", "-t", "0102", "-v", "1"}, 1,
       "zigbee-herdsman: offers nothing: no entry matches\n"
       "  entry 0 (c.ota): imageType 0x0101 (257) is not the device's 0x0102\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments = {"match", "--manufacturer", "1234"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    const ProcessResult r = runOtawrap(dir, arguments);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.output << r.errors;
    EXPECT_EQ(r.output.rfind(c.firstLine, 0), 0u) << r.output;
  }
}

TEST(CatalogEndToEnd, RefusesBrokenIndexesAndOptions) {
  TempDirectory dir;
  makeFiles(dir);
  writeText(dir.file("bad.json"), "[{\"url\":\"a.ota\",}]");
  writeText(dir.file("typed.json"), "[{\"url\":\"a.ota\",\"imageType\":\"1\"}]");
  const struct {
    std::vector<std::string> arguments;
    std::string errors;
  } cases[] = {
      {{"lint", "bad.json"}, "otawrap: index file 'bad.json' is not an OTA index: line 1, column 17: unexpected character\n"},
      {{"lint", "typed.json"}, "otawrap: index file 'typed.json' is not an OTA index: entry 0: imageType of the wrong type\n"},
      {{"match", "bad.json", "--manufacturer", "1", "--image-type", "1", "--file-version", "1"},
       "otawrap: index file 'bad.json' is not an OTA index: line 1, column 17: unexpected character\n"},
      {{"index", "a.ota", "--format", "yaml"},
       "otawrap: invalid format 'yaml' for --format: herdsman or zigpy expected\nTry 'otawrap index --help'.\n"},
      {{"index", "a.ota", "--format", "zigpy", "--model-id", "M"},
       "otawrap: the zigpy format has no field for the metadata options; only --url-prefix, --file-size and "
       "--update\nTry 'otawrap index --help'.\n"},
      {{"match", "bad.json", "--manufacturer", "1"},
       "otawrap: missing --image-type and --file-version\nTry 'otawrap match --help'.\n"},
      {{"match", "bad.json", "-t", "1", "-v", "2"}, "otawrap: missing --manufacturer\nTry 'otawrap match --help'.\n"},
      {{"index", "a.ota", "--min-hw-version", "5", "--max-hw-version", "4"},
       "otawrap: cannot index 'a.ota' with this metadata: hardwareVersionMin 5 is above hardwareVersionMax 4\n"},
  };
  for (const auto& c : cases) {
    const ProcessResult r = runOtawrap(dir, c.arguments);
    EXPECT_EQ(r.exitCode, 2) << c.arguments[0];
    EXPECT_EQ(r.errors, c.errors);
    EXPECT_EQ(r.output, "");
  }
}

}  // namespace
}  // namespace otawrap
