// AES-MMO: published digests, every padding boundary against an MMO built on
// OpenSSL's AES-128-ECB with independently written padding, and the byte count.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

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

TEST(MmoHash, PaddingBoundariesMatchOpensslMmo) {
  const std::size_t lengths[] = {
      1,     13,    14,    15,    16,    17,    29,     30,     31,     32,
      8175,  8176,  8177,  8189,  8190,  8191,  8192,   8193,   8201,   8202,
      8203,  8207,  8208,  8209,  65535, 65536, 65545,  65546,  100000, 524288,
      524287, 524281, 524282,
  };
  for (const std::size_t length : lengths) {
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
    mmoStep(ours, block);
    oracle.step(theirs, block);
    ASSERT_EQ(0, std::memcmp(ours, theirs, 16)) << "trial " << trial;
  }
}

}  // namespace
}  // namespace otawrap
