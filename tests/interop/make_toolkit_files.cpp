// Writes OTA files of every shape the library layer builds, and an index
// file of their entries, for the zigbee-herdsman checks in
// check_index_with_herdsman.js:
//   make_toolkit_files <output directory>
// Until the build, convert --tag and index subcommands exist, this stands in
// for them: foreign payloads, several standard and manufacturer tags, an
// integrity code, a signature (TEST credentials), conversions with extra
// sub-elements from raw and Intel HEX input, and a file behind a vendor header.
// Tag 0xF000 is left out: zigbee-herdsman reads it with a 2-byte vendor field
// of its own.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "codec/hex.h"
#include "image/intel_hex.h"
#include "ota/builder.h"
#include "ota/conversion.h"
#include "ota/payload_checks.h"
#include "ota/reader.h"
#include "support/raw_file_generator.h"
#include "support/sample_credentials.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace otawrap;

std::string jsonString(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    if (static_cast<unsigned char>(c) < 0x20) {
      out += "\\u00" + hexLowerOctets(reinterpret_cast<const std::uint8_t*>(&c), 1);
      continue;
    }
    out += c;
  }
  return out + "\"";
}

std::string entryJson(const OtaIndexEntry& e) {
  std::string out = "  {\"fileName\": " + jsonString(e.fileName) +
                    ", \"fileVersion\": " + std::to_string(e.fileVersion) +
                    ", \"fileSize\": " + std::to_string(e.fileSize) +
                    ", \"manufacturerCode\": " + std::to_string(e.manufacturerCode) +
                    ", \"imageType\": " + std::to_string(e.imageType) +
                    ", \"sha512\": " + jsonString(e.sha512) + ", \"url\": " + jsonString(e.url);
  if (e.headerStringPresent) out += ", \"otaHeaderString\": " + jsonString(e.otaHeaderString);
  if (e.hardwareVersionsPresent) {
    out += ", \"hardwareVersionMin\": " + std::to_string(e.hardwareVersionMin) +
           ", \"hardwareVersionMax\": " + std::to_string(e.hardwareVersionMax);
  }
  return out + "}";
}

OtaHeader headerFor(std::uint16_t manufacturer, std::uint16_t imageType, std::uint32_t version,
                    const std::string& text, std::uint16_t fieldControl) {
  OtaHeader header;
  otaHeaderDefaults(header);
  header.manufacturerCode = manufacturer;
  header.imageType = imageType;
  header.fileVersion = version;
  std::copy(text.begin(), text.end(), header.headerString.begin());
  header.fieldControl = fieldControl;
  header.securityCredentialVersion = 2;
  header.upgradeFileDestination = {1, 2, 3, 4, 5, 6, 7, 8};
  header.minimumHardwareVersion = 0x0001;
  header.maximumHardwareVersion = 0x0010;
  return header;
}

Bytes pattern(std::size_t size, std::uint8_t seed) {
  Bytes out(size);
  for (std::size_t i = 0; i < size; ++i) out[i] = static_cast<std::uint8_t>(i * seed + 1);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_toolkit_files <output directory>\n");
    return 2;
  }
  const std::string dir = argv[1];
  std::vector<std::string> entries;
  auto emit = [&](const std::string& name, const Bytes& file) {
    if (!test::writeFileBytes(dir + "/" + name, file)) {
      std::fprintf(stderr, "cannot write %s\n", name.c_str());
      std::exit(1);
    }
    std::size_t prefix = 0;
    if (!otaFindFileStart(file.data(), file.size(), prefix)) std::exit(1);
    const OtaFileInfo info = otaFileRead(file.data() + prefix, file.size() - prefix);
    entries.push_back(entryJson(otaIndexEntry(file.data(), file.size(), info, name, name)));
  };
  auto build = [&](const std::string& name, OtaBuildRequest request, const Bytes& vendorHeader) {
    Bytes file;
    if (otaBuildFile(request, file).status != OtaBuildStatus::ok) std::exit(1);
    file.insert(file.begin(), vendorHeader.begin(), vendorHeader.end());
    emit(name, file);
  };

  const std::string text = test::generateCredentials(test::kSampleCredentialsSeed).text();
  SignerCredentials credentials;
  if (parseSignerCredentials(text.data(), text.size(), credentials) != CredentialsStatus::ok) {
    return 1;
  }

  const Bytes bootloader = pattern(3000, 7);
  const Bytes picture = pattern(64, 3);
  const Bytes vendorA = pattern(10, 5);
  const Bytes vendorB = pattern(1, 9);
  OtaBuildRequest request;
  request.header = headerFor(0x1234, 0x0101, 0x01020304, "foreign payload", 0);
  request.payloads = {{0x0000, bootloader.data(), bootloader.size()}};
  build("foreign.ota", request, {});
  request.header = headerFor(0x1234, 0x0102, 0x00000002, "many tags", 7);
  request.payloads = {{0x0000, bootloader.data(), bootloader.size()},
                      {0x0004, picture.data(), picture.size()},
                      {0xF001, vendorA.data(), vendorA.size()},
                      {0xFFFF, vendorB.data(), vendorB.size()},
                      {0xF002, nullptr, 0}};
  build("tags.ota", request, {});
  request.seal = OtaSeal::integrityCode;
  request.header.fileVersion = 3;
  build("integrity.ota", request, {});
  request.seal = OtaSeal::signature;
  request.credentials = &credentials;
  request.header.fileVersion = 4;
  build("signed.ota", request, {});
  request.seal = OtaSeal::none;
  request.header.fileVersion = 5;
  build("vendor-header.ota", request, pattern(40, 11));

  test::RawGeneratorOptions options = test::sampleRawFileOptions();
  const test::RawFileLayout layout = test::generateRawFile(options);
  const Bytes raw = test::rawFileBytes(layout);
  const std::string hexText = test::intelHexText(layout, 1);
  const Bytes hex(hexText.begin(), hexText.end());
  for (int fromHex = 0; fromHex < 2; ++fromHex) {
    for (const OtaSeal seal : {OtaSeal::none, OtaSeal::signature, OtaSeal::integrityCode}) {
      OtaConversionRequest conversion;
      conversion.header = headerFor(0, 0, 0, "converted", 4);
      conversion.identifiers = ImageIdentifiers{};
      conversion.extraPayloads = {{0xF00D, vendorA.data(), vendorA.size()}};
      conversion.seal = seal;
      conversion.credentials = &credentials;
      MemorySource rawSource(raw.data(), raw.size());
      MemorySource hexMemory(hex.data(), hex.size());
      IntelHexSource hexSource(hexMemory);
      Bytes buffer(524288);
      std::size_t size = 0;
      if (!otaConvert(conversion, fromHex ? static_cast<ByteSource*>(&hexSource) : &rawSource,
                      buffer.data(), buffer.size(), size)
               .ok()) {
        return 1;
      }
      buffer.resize(size);
      emit(std::string(fromHex ? "hex" : "raw") + "-convert-" +
               std::to_string(static_cast<int>(seal)) + ".ota",
           buffer);
    }
  }

  std::string index = "[\n";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    index += entries[i] + (i + 1 < entries.size() ? ",\n" : "\n");
  }
  index += "]\n";
  return test::writeFileBytes(dir + "/index.json", Bytes(index.begin(), index.end())) ? 0 : 1;
}
