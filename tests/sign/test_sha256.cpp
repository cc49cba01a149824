// SHA-256 against the FIPS 180-4 examples and OpenSSL; HMAC-SHA-256 against
// RFC 4231 and OpenSSL.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "sign/hmac.h"
#include "ecc/cpu_features.h"
#include "sign/sha256.h"
#include "sign/sha256_internal.h"
#include "support/openssl_hash.h"
#include "support/vector_file.h"

namespace otawrap {
namespace {

using test::bytesToHex;
using test::hexToBytes;

std::vector<std::uint8_t> bytesOf(const std::string& text) {
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::vector<std::uint8_t> randomBytes(std::size_t length, std::mt19937& rng) {
  std::vector<std::uint8_t> bytes(length);
  for (auto& b : bytes) {
    b = static_cast<std::uint8_t>(rng());
  }
  return bytes;
}

std::string ourSha256(const std::vector<std::uint8_t>& message) {
  std::uint8_t digest[32];
  sha256Hash(message.data(), message.size(), digest);
  return bytesToHex(digest, 32);
}

std::string repeatHex(const char* pair, int count) {
  std::string hex;
  for (int i = 0; i < count; ++i) {
    hex += pair;
  }
  return hex;
}

std::string hexOf(const std::vector<std::uint8_t>& bytes) {
  return bytesToHex(bytes.data(), bytes.size());
}

TEST(Sha256Hash, FipsExamples) {
  struct Case {
    std::string message;
    const char* digest;
  } cases[] = {
      {"", "E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855"},
      {"abc", "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248D6A61D20638B8E5C026930C3E6039A33CE45964FF2167F6ECEDD419DB06C1"},
      {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopq"
       "rsmnopqrstnopqrstu",
       "CF5B16A778AF8380036CE59E7B0492370B249B11E8F07A51AFAC45037AFEE9D1"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ourSha256(bytesOf(c.message)), c.digest) << c.message;
  }
}

TEST(Sha256Hash, OneMillionLetterA) {
  const std::vector<std::uint8_t> message(1000000, 'a');
  EXPECT_EQ(ourSha256(message), "CDC76E5C9914FB9281A1C7E284D73E67F1809A48A497200E046D39CCC7112CD0");
  // The same fed in uneven pieces.
  Sha256Context context;
  sha256Init(context);
  std::size_t offset = 0;
  for (std::size_t piece = 1; offset < message.size(); piece = piece * 3 % 1000 + 1) {
    const std::size_t take = std::min(piece, message.size() - offset);
    sha256Update(context, message.data() + offset, take);
    offset += take;
  }
  std::uint8_t digest[32];
  sha256Final(context, digest);
  EXPECT_EQ(bytesToHex(digest, 32), "CDC76E5C9914FB9281A1C7E284D73E67F1809A48A497200E046D39CCC7112CD0");
}

TEST(Sha256Hash, EveryLengthUpTo200MatchesOpenssl) {
  std::mt19937 rng(256u);  // fixed seed
  for (std::size_t length = 0; length <= 200; ++length) {
    const auto message = randomBytes(length, rng);
    ASSERT_EQ(ourSha256(message), hexOf(test::opensslSha256(message.data(), length)))
        << "length " << length;
  }
}

TEST(Sha256Hash, BlockBoundariesAndLongMessagesMatchOpenssl) {
  std::mt19937 rng(180u);  // fixed seed
  const std::size_t lengths[] = {447, 448, 511, 512, 513, 1023, 1024, 4095, 4096, 4097, 65536, 524288};
  for (const std::size_t length : lengths) {
    const auto message = randomBytes(length, rng);
    EXPECT_EQ(ourSha256(message), hexOf(test::opensslSha256(message.data(), length)))
        << "length " << length;
  }
}

// The digests above run the SHA extensions where the processor has them; the
// two block functions must leave the same state on any state and block.
TEST(Sha256Compress, ShaExtensionsLeaveThePortableState) {
  if (!cpuFeatures().sha) {
    GTEST_SKIP() << "no SHA extensions on this processor";
  }
  std::mt19937 rng(256);
  for (int i = 0; i < 2000; ++i) {
    std::uint32_t portable[8];
    std::uint8_t block[64];
    for (auto& word : portable) word = static_cast<std::uint32_t>(rng());
    for (auto& byte : block) byte = static_cast<std::uint8_t>(rng());
    std::uint32_t hardware[8];
    std::copy(portable, portable + 8, hardware);
    sha256CompressPortable(portable, block);
    sha256CompressShani(hardware, block);
    ASSERT_TRUE(std::equal(portable, portable + 8, hardware)) << i;
  }
}

TEST(Sha256Update, AnySplitGivesTheOneShotDigest) {
  std::mt19937 rng(4u);  // fixed seed
  const auto message = randomBytes(300, rng);
  const std::string expected = ourSha256(message);
  for (std::size_t first = 0; first <= message.size(); first += 7) {
    for (std::size_t second = 0; first + second <= message.size(); second += 29) {
      Sha256Context context;
      sha256Init(context);
      sha256Update(context, message.data(), first);
      sha256Update(context, message.data() + first, second);
      sha256Update(context, nullptr, 0);
      sha256Update(context, message.data() + first + second, message.size() - first - second);
      std::uint8_t digest[32];
      sha256Final(context, digest);
      ASSERT_EQ(bytesToHex(digest, 32), expected) << first << " " << second;
    }
  }
}

TEST(Sha256Final, WipesTheContext) {
  Sha256Context context;
  sha256Init(context);
  const auto message = bytesOf("secret material that must not linger");
  sha256Update(context, message.data(), message.size());
  std::uint8_t digest[32];
  sha256Final(context, digest);
  const auto* raw = reinterpret_cast<const std::uint8_t*>(&context);
  for (std::size_t i = 0; i < sizeof context; ++i) {
    ASSERT_EQ(raw[i], 0) << "byte " << i;
  }
}

// RFC 4231 section 4: test cases 1 to 7 (case 5 compares the first 128 bits).
TEST(HmacSha256, Rfc4231TestCases) {
  struct Case {
    std::string key;   // hex
    std::string data;  // hex
    std::string mac;   // hex, possibly truncated
  } const cases[] = {
      {"0B0B0B0B0B0B0B0B0B0B0B0B0B0B0B0B0B0B0B0B", "4869205468657265",
       "B0344C61D8DB38535CA8AFCEAF0BF12B881DC200C9833DA726E9376C2E32CFF7"},
      {"4A656665", "7768617420646F2079612077616E7420666F72206E6F7468696E673F",
       "5BDCC146BF60754E6A042426089575C75A003F089D2739839DEC58B964EC3843"},
      {repeatHex("AA", 20), repeatHex("DD", 50),
       "773EA91E36800E46854DB8EBD09181A72959098B3EF8C122D9635514CED565FE"},
      {"0102030405060708090A0B0C0D0E0F10111213141516171819", repeatHex("CD", 50),
       "82558A389A443C0EA4CC819899F2083A85F0FAA3E578F8077A2E3FF46729665B"},
      {"0C0C0C0C0C0C0C0C0C0C0C0C0C0C0C0C0C0C0C0C", "546573742057697468205472756E636174696F6E",
       "A3B6167473100EE06E0C796C2955552B"},
      {repeatHex("AA", 131),
       "54657374205573696E67204C6172676572205468616E20426C6F636B2D53697A65204B6579202D2048"
       "617368204B6579204669727374",
       "60E431591EE0B67F0D8A26AACBF5B77F8E0BC6213728C5140546040F0EE37F54"},
      {repeatHex("AA", 131),
       "5468697320697320612074657374207573696E672061206C6172676572207468616E20626C6F636B2D"
       "73697A65206B657920616E642061206C6172676572207468616E20626C6F636B2D73697A6520646174"
       "612E20546865206B6579206E6565647320746F20626520686173686564206265666F7265206265696E"
       "6720757365642062792074686520484D414320616C676F726974686D2E",
       "9B09FFA71B942FCB27635FBCD5B0E944BFDC63644F0713938A7F51535C3A35E2"},
  };
  int number = 1;
  for (const Case& c : cases) {
    const auto key = hexToBytes(c.key);
    const auto data = hexToBytes(c.data);
    std::uint8_t mac[32];
    hmacSha256(key.data(), key.size(), data.data(), data.size(), mac);
    EXPECT_EQ(bytesToHex(mac, c.mac.size() / 2), c.mac) << "test case " << number;
    ++number;
  }
}

TEST(HmacSha256, RandomKeysAndMessagesMatchOpenssl) {
  std::mt19937 rng(4231u);  // fixed seed
  const std::size_t keyLengths[] = {0, 1, 16, 21, 32, 63, 64, 65, 100, 131, 200};
  for (const std::size_t keyLength : keyLengths) {
    for (std::size_t length = 0; length <= 150; length += 1 + length / 4) {
      const auto key = randomBytes(keyLength, rng);
      const auto data = randomBytes(length, rng);
      std::uint8_t mac[32];
      hmacSha256(key.data(), key.size(), data.data(), data.size(), mac);
      ASSERT_EQ(bytesToHex(mac, 32),
                hexOf(test::opensslHmacSha256(key.data(), key.size(), data.data(), data.size())))
          << "key " << keyLength << " data " << length;
    }
  }
}

TEST(HmacSha256, KeyedContextCanBeCopiedAndFedInPieces) {
  std::mt19937 rng(11u);  // fixed seed
  const auto key = randomBytes(32, rng);
  const auto data = randomBytes(97, rng);
  HmacSha256Context keyed;
  hmacSha256Init(keyed, key.data(), key.size());
  for (std::size_t split = 0; split <= data.size(); split += 12) {
    HmacSha256Context work = keyed;
    hmacSha256Update(work, data.data(), split);
    hmacSha256Update(work, data.data() + split, data.size() - split);
    std::uint8_t mac[32];
    hmacSha256Final(work, mac);
    ASSERT_EQ(bytesToHex(mac, 32),
              hexOf(test::opensslHmacSha256(key.data(), key.size(), data.data(), data.size())));
  }
}

TEST(HmacSha256, OutputMayOverlapTheInputs) {
  std::uint8_t buffer[40];
  for (int i = 0; i < 40; ++i) {
    buffer[i] = static_cast<std::uint8_t>(i * 7 + 1);
  }
  const auto expected = test::opensslHmacSha256(buffer, 40, buffer + 3, 37);
  hmacSha256(buffer, 40, buffer + 3, 37, buffer);
  EXPECT_EQ(bytesToHex(buffer, 32), hexOf(expected));
}

}  // namespace
}  // namespace otawrap
