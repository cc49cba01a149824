// AES-MMO: published digests, every padding boundary against an MMO built on
// OpenSSL's AES-128-ECB with independently written padding, and the byte count.
// Both compressions (byte-oriented and AES-NI) meet the same checks.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <random>
#include <vector>

#include "ecc/cpu_features.h"
#include "sign/mmo.h"
#include "support/openssl_hash.h"
#include "support/vector_file.h"

namespace otawrap {
namespace {

using test::bytesToHex;

std::vector<std::uint8_t> patternMessage(std::size_t length, std::uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<std::uint8_t> message(length);
  for (auto& b : message) {
    b = static_cast<std::uint8_t>(rng());
  }
  return message;
}

std::string ourDigest(const std::vector<std::uint8_t>& message) {
  std::uint8_t digest[16];
  mmoHash(message.data(), static_cast<std::uint32_t>(message.size()), digest);
  return bytesToHex(digest, 16);
}

std::string opensslDigest(const std::vector<std::uint8_t>& message) {
  const auto digest = test::opensslMmoHash(message.data(), message.size());
  return bytesToHex(digest.data(), 16);
}

TEST(MmoHash, PublishedDigests) {
  EXPECT_EQ(ourDigest({}), "BAD78E726C1EC02B7EBFE92B23D9EC34");
  EXPECT_EQ(ourDigest({'a', 'b', 'c'}), "BD2F2EBD93FADC48BC00174D95422741");
  // The oracle agrees on them too.
  EXPECT_EQ(opensslDigest({}), "BAD78E726C1EC02B7EBFE92B23D9EC34");
  EXPECT_EQ(opensslDigest({'a', 'b', 'c'}), "BD2F2EBD93FADC48BC00174D95422741");
}

// Lengths around every padding switch: tails of 13/14 and 9/10 bytes, the
// 2^16-bit boundary of the length field, and 512 KiB images.
constexpr std::size_t kBoundaryLengths[] = {
    1,     13,    14,    15,    16,    17,    29,     30,     31,     32,
    8175,  8176,  8177,  8189,  8190,  8191,  8192,   8193,   8201,   8202,
    8203,  8207,  8208,  8209,  65535, 65536, 65545,  65546,  100000, 524288,
    524287, 524281, 524282,
};

TEST(MmoHash, PaddingBoundariesMatchOpensslMmo) {
  for (const std::size_t length : kBoundaryLengths) {
    const auto message = patternMessage(length, static_cast<std::uint32_t>(length));
    EXPECT_EQ(ourDigest(message), opensslDigest(message)) << "length " << length;
  }
}

TEST(MmoHash, EveryShortLengthMatchesOpensslMmo) {
  for (std::size_t length = 0; length <= 300; ++length) {
    const auto message = patternMessage(length, 1000u + static_cast<std::uint32_t>(length));
    ASSERT_EQ(ourDigest(message), opensslDigest(message)) << "length " << length;
  }
}

// The engines this processor can run.
std::vector<MmoEngine> availableEngines() {
  std::vector<MmoEngine> engines{MmoEngine::portable};
  if (cpuFeatures().aes) {
    engines.push_back(MmoEngine::aesni);
    engines.push_back(MmoEngine::aesniKeygenAssist);
  }
  return engines;
}

const char* engineName(MmoEngine engine) {
  return engine == MmoEngine::aesni               ? "aesni"
         : engine == MmoEngine::aesniKeygenAssist ? "aesni-keygenassist"
                                                   : "portable";
}

TEST(MmoEngines, EachMatchesOpensslOnEveryTestedLength) {
  std::vector<std::size_t> lengths(std::begin(kBoundaryLengths), std::end(kBoundaryLengths));
  for (std::size_t length = 0; length <= 300; ++length) {
    lengths.push_back(length);
  }
  for (const std::size_t length : lengths) {
    const auto message = patternMessage(length, 2000u + static_cast<std::uint32_t>(length));
    const std::string expected = opensslDigest(message);
    for (const MmoEngine engine : availableEngines()) {
      std::uint8_t digest[16];
      mmoHashWith(engine, message.data(), static_cast<std::uint32_t>(length), digest);
      ASSERT_EQ(bytesToHex(digest, 16), expected) << engineName(engine) << " length " << length;
    }
  }
}

TEST(MmoEngines, AesniAbsorbsLikeThePortableStepsOnRandomInputs) {
  if (!cpuFeatures().aes) {
    GTEST_SKIP() << "no AES instructions on this processor or in this build";
  }
  std::mt19937 rng(0xAE5u);  // fixed seed
  for (int trial = 0; trial < 500; ++trial) {
    const std::size_t count = rng() % 40;
    const auto blocks = patternMessage(16 * count, static_cast<std::uint32_t>(rng()));
    std::uint8_t portable[16];
    std::uint8_t aesni[16];
    std::uint8_t assist[16];
    for (int i = 0; i < 16; ++i) {
      portable[i] = aesni[i] = assist[i] = static_cast<std::uint8_t>(rng());
    }
    for (std::size_t i = 0; i < count; ++i) {
      mmoStepPortable(portable, blocks.data() + 16 * i);
    }
    mmoAbsorbBlocks(MmoEngine::aesni, aesni, blocks.data(), count);
    ASSERT_EQ(bytesToHex(aesni, 16), bytesToHex(portable, 16)) << "trial " << trial;
    mmoAbsorbBlocks(MmoEngine::aesniKeygenAssist, assist, blocks.data(), count);
    ASSERT_EQ(bytesToHex(assist, 16), bytesToHex(portable, 16)) << "trial " << trial;
  }
}

TEST(MmoHash, TheOraclePaddingHasTheDocumentedShapes) {
  // Guards the oracle itself: block counts and length fields of the padding.
  const std::uint8_t tail[16] = {};
  struct Case {
    std::size_t length;
    const char* padded;  // the tail is all zero bytes here
  } cases[] = {
      {0, "80000000000000000000000000000000"},
      {13, "00000000000000000000000000800068"},
      {14, "0000000000000000000000000000800000000000000000000000000000000070"},
      {8191, "000000000000000000000000000000800000000000000000000000000000FFF8"},
      {8192, "80000000000000000000000100000000"},
      {8201, "00000000000000000080000100480000"},
      {8202, "0000000000000000000080000000000000000000000000000000000100500000"},
  };
  for (const Case& c : cases) {
    const auto padded = test::mmoPaddedTail(tail, c.length);
    EXPECT_EQ(bytesToHex(padded.data(), padded.size()), c.padded) << "length " << c.length;
  }
}

TEST(MmoHashUpdate, IncrementalCallsAndByteCount) {
  const auto message = patternMessage(8200, 99u);
  MmoHashContext context{};
  for (std::uint32_t i = 0; i < 512; ++i) {
    mmoHashUpdate(context, message.data() + 16 * i, 0, 0);
    ASSERT_EQ(context.byteCount, 16u * (i + 1));
  }
  mmoHashUpdate(context, message.data() + 8192, 8, 1);
  EXPECT_EQ(context.byteCount, 8192u) << "the final call leaves the byte count unchanged";
  EXPECT_EQ(bytesToHex(context.state, 16), opensslDigest(message));
}

TEST(MmoHashUpdate, FinalCallTakesTheLengthFromTheByteCount) {
  // With the chaining value and byte count set by hand, the final call is one
  // or two MMO steps over blocks built from that count.
  test::OpensslMmo oracle;
  const std::uint8_t chaining[16] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF,
                                     0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10};
  const std::uint8_t tail[15] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  struct Case {
    std::uint32_t byteCount;
    std::uint8_t tailLength;
    std::vector<const char*> blocks;  // what the final call absorbs
  } cases[] = {
      // 0x1FF0 + 15 bytes = 0xFFF8 bits: short form, two blocks.
      {0x1FF0, 15, {"0102030405060708090A0B0C0D0E0F80", "0000000000000000000000000000FFF8"}},
      // 0x2000 bytes: long form, one block, 32-bit field then two zero bytes.
      {0x2000, 0, {"80000000000000000000000100000000"}},
      {0x2000, 9, {"01020304050607080980000100480000"}},
      {0x2000, 10, {"0102030405060708090A800000000000", "00000000000000000000000100500000"}},
      // 2^29 bytes wraps the 32-bit bit length to 0: short form.
      {0x20000000, 0, {"80000000000000000000000000000000"}},
      // Near 2^32 bits the field keeps all 32 bits.
      {0x1FFFFFF0, 1, {"01800000000000000000FFFFFF880000"}},
  };
  for (const Case& c : cases) {
    MmoHashContext context{};
    std::memcpy(context.state, chaining, 16);
    context.byteCount = c.byteCount;
    mmoHashUpdate(context, tail, c.tailLength, 1);

    std::uint8_t expected[16];
    std::memcpy(expected, chaining, 16);
    for (const char* block : c.blocks) {
      oracle.step(expected, test::hexToBytes(block).data());
    }
    EXPECT_EQ(bytesToHex(context.state, 16), bytesToHex(expected, 16))
        << "byte count " << c.byteCount << " tail " << int{c.tailLength};
    EXPECT_EQ(context.byteCount, c.byteCount);
  }
}

TEST(MmoHashUpdate, ZeroLengthFinalDoesNotReadData) {
  MmoHashContext context{};
  mmoHashUpdate(context, nullptr, 0, 1);
  EXPECT_EQ(bytesToHex(context.state, 16), "BAD78E726C1EC02B7EBFE92B23D9EC34");
}

TEST(MmoStep, IsEncryptionUnderTheChainingValueXorTheBlock) {
  test::OpensslMmo oracle;
  std::mt19937 rng(31337u);  // fixed seed
  for (int trial = 0; trial < 2000; ++trial) {
    std::uint8_t ours[16];
    std::uint8_t theirs[16];
    std::uint8_t block[16];
    for (int i = 0; i < 16; ++i) {
      ours[i] = theirs[i] = static_cast<std::uint8_t>(rng());
      block[i] = static_cast<std::uint8_t>(rng());
    }
    std::uint8_t portable[16];
    std::memcpy(portable, ours, 16);
    mmoStep(ours, block);
    mmoStepPortable(portable, block);
    oracle.step(theirs, block);
    ASSERT_EQ(0, std::memcmp(ours, theirs, 16)) << "trial " << trial;
    ASSERT_EQ(0, std::memcmp(portable, theirs, 16)) << "trial " << trial;
  }
}

}  // namespace
}  // namespace otawrap
