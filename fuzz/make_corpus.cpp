// Writes the seed corpora of the fuzz targets into <root>/<target>/: raw files
// from the shared raw-file generator with every control byte the raw-image
// target knows, credentials texts, argument vectors, arithmetic operands at
// the edges (zero, one, f, n and its multiples, all ones) plus seeded random
// ones, OTA files from the tool's own writer, long chains of empty
// sub-elements, one file of every shape of the OTA shape generator, and the
// payload cases of every payload format. Run it from the test build:
//   otawrap_make_fuzz_corpus fuzz/corpus
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "codec/bytes.h"
#include "app/convert_run.h"
#include "ecc/field.h"
#include "ecc/modn.h"
#include "image/byte_source.h"
#include "ota/header.h"
#include "support/ca_vectors.h"
#include "support/ota_shape_generator.h"
#include "support/payload_generator.h"
#include "support/raw_file_generator.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using otawrap::Words;

class CorpusWriter {
 public:
  CorpusWriter(const fs::path& root, const std::string& target) : directory_(root / target) {
    fs::create_directories(directory_);
  }
  void add(const Bytes& bytes) {
    char name[32];
    static_cast<void>(std::snprintf(name, sizeof name, "seed-%03d", count_++));
    if (!otawrap::test::writeFileBytes((directory_ / name).string(), bytes)) {
      std::cerr << "cannot write " << (directory_ / name).string() << "\n";
      std::exit(1);
    }
  }
  void add(const std::string& text) { add(Bytes(text.begin(), text.end())); }

 private:
  fs::path directory_;
  int count_ = 0;
};

// A control byte followed by the bytes.
Bytes prefixed(std::uint8_t control, const Bytes& rest) {
  Bytes bytes(rest.size() + 1, control);
  std::copy(rest.begin(), rest.end(), bytes.begin() + 1);
  return bytes;
}

void rawImageSeeds(const fs::path& root) {
  using otawrap::test::RawGeneratorOptions;
  CorpusWriter out(root, "raw_image");
  // Control bytes: every platform, identifiers given or not, the tight limit,
  // and every way of serving the bytes.
  const std::uint8_t controls[] = {0x00, 0x01, 0x02, 0x1C, 0x21, 0x42, 0x80, 0xC0, 0xE5, 0x5E};
  std::uint32_t seed = 1;
  for (const std::uint8_t control : controls) {
    RawGeneratorOptions options;
    options.seed = seed++;
    options.dataBytes = 512 + 97 * seed;
    options.trailingRecords = (seed % 2) == 0;
    out.add(prefixed(control, otawrap::test::rawFileBytes(otawrap::test::generateRawFile(options))));
  }
  // Hand-made edges: nothing, a bare header, a header and a cut-off record.
  const Bytes header = {0x49, 0x41, 0x52, 0x00, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  out.add(Bytes{0x00});
  Bytes bare = {0x01};
  bare.insert(bare.end(), header.begin(), header.end());
  out.add(bare);
  Bytes cut = bare;
  const Bytes record = otawrap::test::rawDataRecordBytes(0x3100, Bytes(300, 0x11));
  cut.insert(cut.end(), record.begin(), record.begin() + 100);
  out.add(cut);
}

void credentialsSeeds(const fs::path& root) {
  CorpusWriter out(root, "credentials");
  const std::string ieee = "IEEE Address: 0102030405060708\n";
  const std::string key = "Device Private Key: 00 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF 00 11 22 33 44\n";
  const std::string cert =
      "Device Implicit Cert: 000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F"
      "202122232425262728292A2B2C2D2E2F\n";
  out.add(ieee + key + cert);
  out.add(cert + "junk before " + key + ieee);
  out.add("IEEE Address:\r\n01 02 03 04 05 06 07 08\r\n" + key + cert);
  out.add(ieee + "Device Private Key: " + std::string(42, '0') + "\n" + cert);
  // The group order itself: zero modulo n.
  out.add(ieee + "Device Private Key: 04000000000000000000020108A2E0CC0D99F8A5EF\n" + cert);
  out.add(ieee + key + cert.substr(0, cert.size() - 10));
  out.add(ieee + key + std::string(1, '\0') + cert);
  out.add(std::string(1000, ' ') + ieee + key + cert);
  // Crypto suite 2 and the authority layout: the published vectors.
  const std::string ca2 = otawrap::test::caText(otawrap::test::kCaSuite2);
  out.add(ca2);
  out.add(otawrap::test::caText(otawrap::test::kCaSuite1));
  out.add(ieee + "Device Private Key: " + otawrap::test::kCaSuite2.privateKey + "\n" +
          "Device Implicit Cert: " + otawrap::test::kCaSuite2.certificate + "\n");
  out.add(ca2.substr(0, ca2.size() - 20));
}

std::string joinArguments(const std::vector<std::string>& arguments) {
  std::string joined;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (i > 0) joined += '\0';
    joined += arguments[i];
  }
  return joined;
}

void commandLineSeeds(const fs::path& root) {
  CorpusWriter out(root, "command_line");
  const std::vector<std::vector<std::string>> vectors = {
      {"in.raw", "-m100B", "-t0x100A", "-v00000001", "-pFENBOARD", "-oout", "-n"},
      {"in.raw", "-M 0X1234", "-T1", "-V", "-pMARSHDEV", "-pQUILLDEV"},
      {"in.raw", "-sgood", "-o\"quoted", "-onested"},
      {"in.raw", "-S\"good"},
      {"in.raw", "-sbad"},
      {"in.raw", "-sbig"},
      {"in.raw", "-smissing", "-sgood"},
      {"in.raw", "-pquill"},
      {"in.raw", "plain", "-x"},
      {"-m100B", "in.raw"},
      {std::string(1023, 'i'), "-o" + std::string(1000, 'o'), "-o" + std::string(30, 'p')},
      {std::string(1024, 'i')},
      {"in.raw", "-"},
  };
  for (const auto& arguments : vectors) out.add(joinArguments(arguments));
}

Bytes operandBytes(const Words& a, const Words& b) {
  Bytes bytes;
  for (const Words* w : {&a, &b}) {
    for (const otawrap::Word word : *w) {
      bytes.push_back(static_cast<std::uint8_t>(word));
      bytes.push_back(static_cast<std::uint8_t>(word >> 8));
    }
  }
  return bytes;
}

void arithmeticSeeds(const fs::path& root) {
  CorpusWriter out(root, "arithmetic");
  Words zero{};
  Words one{};
  one[0] = 1;
  Words ones{};
  ones.fill(0xFFFF);
  Words twiceOrder{};
  otawrap::wordsAdd(otawrap::groupOrder.data(), otawrap::groupOrder.data(), twiceOrder.data(), 11);
  const Words edges[] = {zero, one, ones, otawrap::fieldPolynomial, otawrap::groupOrder, twiceOrder,
                         otawrap::orderWrap};
  for (const Words& a : edges) {
    for (const Words& b : edges) out.add(operandBytes(a, b));
  }
  std::mt19937 random(163);  // fixed seed: the corpus is reproducible
  for (int i = 0; i < 8; ++i) {
    Words a{};
    Words b{};
    for (auto& w : a) w = static_cast<otawrap::Word>(random() & 0xFFFF);
    for (auto& w : b) w = static_cast<otawrap::Word>(random() & 0xFFFF);
    out.add(operandBytes(a, b));
  }
  // GF(2^283) operands after the 44 bytes: all ones below x^283, a lone top
  // bit, and random ones.
  for (int i = 0; i < 6; ++i) {
    std::vector<std::uint8_t> bytes = operandBytes(edges[i % 7], edges[(i + 3) % 7]);
    for (int j = 0; j < 72; ++j) {
      const int within = j % 36;
      std::uint8_t byte = static_cast<std::uint8_t>(random());
      if (i == 0) byte = 0xFF;
      if (i == 1) byte = within == 35 ? 0x04 : 0x00;
      if (within == 35) byte &= 0x07;
      bytes.push_back(byte);
    }
    out.add(bytes);
  }
}

// The shape that once cost memory and output in proportion to the file: a
// header, then `count` empty sub-elements (6 bytes each), more than a report
// lists, then a certificate and a signature the checks must still find.
Bytes emptySubElementFile(std::size_t count) {
  Bytes file(otawrap::kOtaHeaderBaseLength, 0);
  otawrap::storeLittle32(otawrap::kOtaFileIdentifier, file.data());
  otawrap::storeLittle16(0x0100, file.data() + 4);
  otawrap::storeLittle16(static_cast<std::uint16_t>(file.size()), file.data() + 6);
  const Bytes empty = {0x34, 0x12, 0, 0, 0, 0};
  for (std::size_t i = 0; i < count; ++i) file.insert(file.end(), empty.begin(), empty.end());
  for (const auto& [tag, length] : {std::pair<std::uint16_t, std::uint32_t>{0x0002, 48}, {0x0001, 50}}) {
    Bytes head(6);
    otawrap::storeLittle16(tag, head.data());
    otawrap::storeLittle32(length, head.data() + 2);
    file.insert(file.end(), head.begin(), head.end());
    file.insert(file.end(), length, 0x5A);
  }
  otawrap::storeLittle32(static_cast<std::uint32_t>(file.size()), file.data() + 52);
  return file;
}

// OTA files from the tool's own writer, for the reader target: read as they
// are (control byte 0x00), and the raw files behind them for the writer run
// (odd control bytes: platform, signing, no-image mode, header fields).
void otaReaderSeeds(const fs::path& root) {
  CorpusWriter out(root, "ota_reader");
  const std::uint8_t writerControls[] = {0x01, 0x03, 0x05, 0x49, 0x4F, 0x11, 0x59, 0x21, 0x6B, 0x7D};
  std::uint32_t seed = 40;
  for (const std::uint8_t control : writerControls) {
    otawrap::test::RawGeneratorOptions options;
    options.seed = seed++;
    options.dataBytes = 400 + 61 * seed;
    const Bytes raw = otawrap::test::rawFileBytes(otawrap::test::generateRawFile(options));
    out.add(prefixed(control, raw));

    // The same file as the writer builds it, as a reader input.
    const auto context = std::make_unique<otawrap::RunContext>();
    otawrap::otaHeaderDefaults(context->header);
    otawrap::RunSettings settings;
    settings.platform = static_cast<otawrap::Platform>(((control >> 1) & 3) % 3);
    if ((control & 0x48) == 0x48) settings.file.credentialsPath = "(key in memory)";
    settings.noImage = (control & 0x10) != 0;
    context->credentials.privateKey[20] = 0x33;
    otawrap::MemorySource source(raw.data(), raw.size());
    otawrap::Problem problem{otawrap::Failure::usage, "", "", 0};
    if (otawrap::runBuildFile(settings, *context, &source, problem)) {
      out.add(prefixed(0x00, Bytes(context->image.begin(),
                                   context->image.begin() +
                                       static_cast<std::ptrdiff_t>(context->position))));
    }
  }
  out.add(Bytes{0x00});
  out.add(Bytes{0x00, 0x1E, 0xF1, 0xEE, 0x0B});
  out.add(prefixed(0x00, emptySubElementFile(1100)));

  // Zero-length sub-elements (6 bytes each) from the header on: the shape that
  // multiplies per-element memory and report size. A short chain, and one that
  // fills the 16 KiB the fuzz runs allow.
  for (const std::size_t fileSize : {std::size_t{56 + 8 * 6}, std::size_t{16383}}) {
    otawrap::OtaHeader header;
    otawrap::otaHeaderDefaults(header);
    const std::size_t count = (fileSize - header.headerLength) / otawrap::kOtaSubElementHeadSize;
    header.totalImageSize =
        static_cast<std::uint32_t>(header.headerLength + count * otawrap::kOtaSubElementHeadSize);
    Bytes file(header.totalImageSize, 0x00);
    static_cast<void>(otawrap::otaHeaderSerialize(header, file.data()));
    out.add(prefixed(0x00, file));
  }

  // One well-formed file of every shape found in the field (the test kit's
  // generator, seed kShapeSeed); those with bytes before the OTA file are
  // read with the identifier search.
  for (const auto& shape : otawrap::test::generateShapes()) {
    out.add(prefixed(shape.innerOffset > 0 ? 0x02 : 0x00, shape.bytes));
  }
}

}  // namespace

// Every generated payload case (valid and damaged) as an arbitrary payload,
// and generator runs for each format.
void payloadSeeds(const fs::path& root) {
  CorpusWriter out(root, "payload");
  for (const otawrap::test::PayloadCase& c : otawrap::test::payloadCases(60)) {
    if (c.bytes.size() < 4000) out.add(prefixed(0x00, c.bytes));
  }
  for (std::uint8_t format = 0; format < 9; ++format) {
    out.add(Bytes{0x01, format, 0, 0, 1, format, 0x00, 0x10, 0x01});
  }
}

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: " << argv[0] << " <corpus root>\n";
    return 2;
  }
  const fs::path root = argv[1];
  rawImageSeeds(root);
  credentialsSeeds(root);
  commandLineSeeds(root);
  arithmeticSeeds(root);
  otaReaderSeeds(root);
  payloadSeeds(root);
  return 0;
}
