// Image assembly on crafted raw files, checked against the independent model
// of the test support and against hand-derived facts.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "image/assembly.h"
#include "support/image_model.h"
#include "support/raw_file_generator.h"

namespace otawrap {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::RawDataRecord;
using test::RawFileLayout;

constexpr std::size_t kStart = 56;
constexpr std::uint8_t kGuard = 0xCD;

// A first record at address 0 of `length` bytes (no 0xFF among them) carrying
// manufacturer 0x1234, image type 0x5678 and file version 0x9ABCDEF0 where
// they fit.
RawDataRecord preambleRecord(std::size_t length = 0x98) {
  RawDataRecord record{0, Bytes(length)};
  for (std::size_t i = 0; i < length; ++i) record.data[i] = static_cast<std::uint8_t>(i % 0xF0);
  const std::uint8_t ids[] = {0x34, 0x12, 0x78, 0x56, 0xF0, 0xDE, 0xBC, 0x9A};
  for (std::size_t i = 0; i < 8 && 0x90 + i < length; ++i) record.data[0x90 + i] = ids[i];
  return record;
}

// 100 bytes that the cut removes.
RawDataRecord cutRecord() { return {0x40000, Bytes(100, 0x77)}; }

struct Built {
  ImageStatus status;
  Bytes subElement;  // buffer[start..end)
  ImageIdentifiers ids;
  bool guardIntact;
};

Built build(const Bytes& file, Platform platform, ImageIdentifiers ids = {},
            std::size_t limit = 4096) {
  Bytes buffer(limit + 256, kGuard);
  MemorySource source(file.data(), file.size());
  RawReader reader(source);
  std::size_t end = 0;
  Built built{imageAppendUpgradeImage(reader, platform, ids, buffer.data(), kStart, limit, end),
              {}, ids, true};
  for (std::size_t i = limit; i < buffer.size(); ++i) built.guardIntact &= buffer[i] == kGuard;
  if (built.status == ImageStatus::ok) {
    built.subElement.assign(buffer.begin() + kStart, buffer.begin() + static_cast<std::ptrdiff_t>(end));
  }
  return built;
}

// Checks a successful build against the model.
void expectModel(const RawFileLayout& layout, Platform platform, const Built& built,
                 const test::ModelIdentifiers& given = {}) {
  ASSERT_EQ(built.status, ImageStatus::ok);
  const auto model = test::modelUpgradeImage(layout, static_cast<int>(platform), given);
  ASSERT_TRUE(model.has_value());
  const Bytes file = test::modelOtaFile(*model);
  EXPECT_EQ(built.subElement, Bytes(file.begin() + 56, file.end()));
  EXPECT_EQ(built.ids.manufacturerCode, model->manufacturerCode);
  EXPECT_EQ(built.ids.imageType, model->imageType);
  EXPECT_EQ(built.ids.fileVersion, model->fileVersion);
}

Bytes imageOf(const Built& built) { return Bytes(built.subElement.begin() + 6, built.subElement.end()); }

TEST(ImageAssembly, FenBoardKeepsOnlyBytesBelowCA00) {
  Bytes ramp(32);
  for (int i = 0; i < 32; ++i) ramp[i] = static_cast<std::uint8_t>(i + 1);
  const RawFileLayout layout{{preambleRecord(), {0xC9F0, ramp}, cutRecord()}, {}};
  const Built built = build(test::rawFileBytes(layout), Platform::fenBoard);
  expectModel(layout, Platform::fenBoard, built);
  const Bytes image = imageOf(built);
  ASSERT_EQ(image.size(), 0x98u + 16 + 2);  // 16 kept bytes, then padding to N % 4 == 2
  EXPECT_EQ(Bytes(image.begin() + 0x98, image.begin() + 0x98 + 16), Bytes(ramp.begin(), ramp.begin() + 16));
  EXPECT_EQ(image[0xA8], 0xFF);
  EXPECT_EQ(image[0xA9], 0xFF);
}

TEST(ImageAssembly, DropRangeEdgesPerPlatform) {
  // One byte on each side of every edge; the value says which address it had.
  const RawFileLayout layout{{preambleRecord(),
                          {0x30FF, {0x01, 0x02}},
                          {0x31FF, {0x03, 0x04}},
                          {0xC9FF, {0x05, 0x06}},
                          {0xE1FF, {0x07, 0x08}},
                          {0xFFFF, {0x09, 0x0A}},
                          {0xFFFFFFFF, {0x0B, 0x0C}},
                          cutRecord()},
                         {}};
  struct Case {
    Platform platform;
    Bytes kept;
  } cases[] = {
      {Platform::quillDev, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
      {Platform::fenBoard, {1, 2, 3, 4, 5, 10, 11, 12}},
      {Platform::marshDev, {1, 4, 5, 6, 7, 10, 11, 12}},
  };
  for (const Case& c : cases) {
    const Built built = build(test::rawFileBytes(layout), c.platform);
    expectModel(layout, c.platform, built);
    const Bytes image = imageOf(built);
    ASSERT_GE(image.size(), 0x98 + c.kept.size());
    EXPECT_EQ(Bytes(image.begin() + 0x98, image.begin() + 0x98 + static_cast<std::ptrdiff_t>(c.kept.size())),
              c.kept)
        << static_cast<int>(c.platform);
  }
}

TEST(ImageAssembly, TrailingFfRunIsTrimmedThenPadded) {
  // After the cut the packed bytes end in 0x55 then seven 0xFF (and more 0xFF
  // records before the cut): the run goes, padding brings back what the
  // alignment needs.
  for (std::size_t extra = 0; extra < 4; ++extra) {
    const RawFileLayout layout{{preambleRecord(0x98 + extra),
                            {0x1000, {0x55, 0xFF, 0xFF, 0xFF}},
                            {0x2000, Bytes(4, 0xFF)},
                            {0x40000, Bytes(100, 0x00)}},
                           {}};
    const Built built = build(test::rawFileBytes(layout), Platform::quillDev);
    expectModel(layout, Platform::quillDev, built);
    const Bytes image = imageOf(built);
    const std::size_t kept = 0x98 + extra + 1;  // through the 0x55
    EXPECT_EQ(image.size(), kept + (4 - (kept + 6) % 4) % 4);
    EXPECT_EQ(image[kept - 1], 0x55);
  }
}

TEST(ImageAssembly, IdentifiersComeFromTheImageUnlessGiven) {
  const RawFileLayout layout{{preambleRecord(0x200), cutRecord()}, {}};
  const Bytes file = test::rawFileBytes(layout);
  const Built fromImage = build(file, Platform::marshDev);
  expectModel(layout, Platform::marshDev, fromImage);
  EXPECT_EQ(fromImage.ids.manufacturerCode, 0x1234);
  EXPECT_EQ(fromImage.ids.imageType, 0x5678);
  EXPECT_EQ(fromImage.ids.fileVersion, 0x9ABCDEF0u);

  ImageIdentifiers given{0xAAAA, 0, 0x01020304, true, false, true};
  const Built overridden = build(file, Platform::marshDev, given);
  expectModel(layout, Platform::marshDev, overridden, {0xAAAA, std::nullopt, 0x01020304});
  const Bytes image = imageOf(overridden);
  EXPECT_EQ(Bytes(image.begin() + 0x8C, image.begin() + 0x98),
            Bytes({0x02, 0x02, 0, 0, 0xAA, 0xAA, 0x78, 0x56, 0x04, 0x03, 0x02, 0x01}));
  EXPECT_EQ(overridden.ids.imageType, 0x5678);
}

TEST(ImageAssembly, CrcPositionPerPlatform) {
  const RawFileLayout layout{{preambleRecord(0x180), cutRecord()}, {}};
  for (Platform p : {Platform::quillDev, Platform::fenBoard, Platform::marshDev}) {
    const Built built = build(test::rawFileBytes(layout), p);
    expectModel(layout, p, built);
    const Bytes image = imageOf(built);
    const std::size_t at = p == Platform::quillDev ? 0x88 : 0;
    EXPECT_EQ(image[at + 2], 0xFF);
    EXPECT_EQ(image[at + 3], 0xFF);
    EXPECT_EQ(Bytes(built.subElement.begin(), built.subElement.begin() + 2), Bytes({0, 0}));
  }
}

TEST(ImageAssembly, TooSmall) {
  struct Case {
    const char* name;
    RawFileLayout layout;
    ImageStatus expected;
  } cases[] = {
      {"no data", {{}, {}}, ImageStatus::imageTooSmall},
      {"one byte short before the cut", {{preambleRecord(0x97), cutRecord()}, {}},
       ImageStatus::imageTooSmall},
      {"exactly enough", {{preambleRecord(0x98), cutRecord()}, {}}, ImageStatus::ok},
      {"trim reaches into the preamble",
       {{preambleRecord(0x80), {0x1000, Bytes(0x18, 0xFF)}, cutRecord()}, {}},
       ImageStatus::imageTooSmall},
      {"dropped bytes do not count",
       {{preambleRecord(0x80), {0xCA00, Bytes(0x100, 1)}, cutRecord()}, {}},
       ImageStatus::imageTooSmall},
  };
  for (const Case& c : cases) {
    const Built built = build(test::rawFileBytes(c.layout), Platform::fenBoard);
    EXPECT_EQ(built.status, c.expected) << c.name;
  }
}

TEST(ImageAssembly, TooLargeAtTheExactLimitAndNeverWritesPastIt) {
  // limit 1000 leaves room for a sub-element of 944 bytes: N at most 938.
  constexpr std::size_t kLimit = 1000;
  auto withBody = [](std::size_t kept, std::size_t ffRun, bool strayByte) {
    RawFileLayout layout{{preambleRecord(kept)}, {}};
    if (ffRun > 0) layout.records.push_back({0x20000, Bytes(ffRun, 0xFF)});
    if (strayByte) layout.records.push_back({0x30000, {0x42}});
    layout.records.push_back(cutRecord());
    return layout;
  };
  struct Case {
    const char* name;
    RawFileLayout layout;
    ImageStatus expected;
  } cases[] = {
      {"fills to the limit", withBody(938, 0, false), ImageStatus::ok},
      {"padding reaches the limit", withBody(937, 0, false), ImageStatus::ok},
      {"one byte too many", withBody(939, 0, false), ImageStatus::imageTooLarge},
      {"0xFF run beyond the limit is trimmed", withBody(938, 500, false), ImageStatus::ok},
      {"kept byte behind a 0xFF run", withBody(938, 500, true), ImageStatus::imageTooLarge},
      {"kept byte far beyond", withBody(3000, 0, false), ImageStatus::imageTooLarge},
  };
  for (const Case& c : cases) {
    const Built built = build(test::rawFileBytes(c.layout), Platform::quillDev, {}, kLimit);
    EXPECT_EQ(built.status, c.expected) << c.name;
    EXPECT_TRUE(built.guardIntact) << c.name;
    if (c.expected == ImageStatus::ok) {
      expectModel(c.layout, Platform::quillDev, built);
      EXPECT_EQ(built.subElement.size(), kLimit - kStart) << c.name;
    }
  }
}

TEST(ImageAssembly, InputErrors) {
  const RawFileLayout layout{{preambleRecord(0x200), cutRecord()}, {}};
  Bytes file = test::rawFileBytes(layout);
  file.pop_back();  // ends inside the last data record
  EXPECT_EQ(build(file, Platform::quillDev).status, ImageStatus::inputTruncated);
  EXPECT_EQ(build(Bytes(13, 0), Platform::quillDev).status, ImageStatus::inputTruncated);
  EXPECT_EQ(build(Bytes(), Platform::quillDev).status, ImageStatus::inputTruncated);
}

// A producer that never stops: prefix, then the same record forever.
class EndlessSource final : public ByteSource {
 public:
  EndlessSource(Bytes prefix, Bytes record) : prefix_(std::move(prefix)), record_(std::move(record)) {}
  std::size_t read(std::uint8_t* out, std::size_t capacity) override {
    for (std::size_t i = 0; i < capacity; ++i, ++served_) {
      out[i] = served_ < prefix_.size() ? prefix_[served_]
                                        : record_[(served_ - prefix_.size()) % record_.size()];
    }
    return capacity;
  }
  bool failed() const override { return false; }
  std::uint64_t served() const { return served_; }

 private:
  Bytes prefix_, record_;
  std::uint64_t served_ = 0;
};

// An endless stream ends with imageTooLarge: early once a byte that must stay
// in the image lies beyond the limit, else at the reader's input limit.
TEST(ImageAssembly, EndlessStreamsEnd) {
  constexpr std::size_t kLimit = 1000;
  constexpr std::uint64_t kInputLimit = 1 << 20;
  const Bytes prefix = test::rawFileBytes({{preambleRecord()}, {}});
  struct Case {
    const char* name;
    Bytes record;
    Platform platform;
    bool early;  // stopped before the input limit
  } cases[] = {
      {"kept bytes", test::rawDataRecordBytes(0x20000, Bytes(256, 0x42)), Platform::quillDev, true},
      {"0xFF fill", test::rawDataRecordBytes(0x20000, Bytes(4096, 0xFF)), Platform::quillDev, false},
      {"dropped bytes", test::rawDataRecordBytes(0xCA00, Bytes(4096, 0x42)), Platform::fenBoard,
       false},
      {"empty records", test::rawDataRecordBytes(0x20000, {}), Platform::quillDev, false},
  };
  for (const Case& c : cases) {
    EndlessSource source(prefix, c.record);
    RawReader reader(source, kInputLimit);
    Bytes buffer(kLimit, kGuard);
    ImageIdentifiers ids{};
    std::size_t end = 0;
    EXPECT_EQ(imageAppendUpgradeImage(reader, c.platform, ids, buffer.data(), kStart, kLimit, end),
              ImageStatus::imageTooLarge)
        << c.name;
    if (c.early) {
      EXPECT_LE(source.served(), RawReader::kChunkSize) << c.name;
    } else {
      EXPECT_EQ(source.served(), kInputLimit + 1) << c.name;
    }
  }
}


// Property: for generated files the assembly equals the model on every platform.
TEST(ImageAssembly, GeneratedFilesMatchTheModel) {
  for (std::uint32_t seed = 1; seed <= 200; ++seed) {
    test::RawGeneratorOptions options;
    options.seed = seed;
    options.dataBytes = 600 + seed * 37;
    const RawFileLayout layout = test::generateRawFile(options);
    const Bytes file = test::rawFileBytes(layout);
    for (Platform p : {Platform::quillDev, Platform::fenBoard, Platform::marshDev}) {
      const Built built = build(file, p, {}, 64 * 1024);
      SCOPED_TRACE("seed " + std::to_string(seed) + " platform " + std::to_string(static_cast<int>(p)));
      expectModel(layout, p, built);
      EXPECT_EQ(built.ids.manufacturerCode, options.manufacturerCode);
      EXPECT_EQ(built.ids.imageType, options.imageType);
      EXPECT_EQ(built.ids.fileVersion, options.fileVersion);
    }
  }
}

}  // namespace
}  // namespace otawrap
