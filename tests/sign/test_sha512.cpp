// SHA-512 against the FIPS 180-4 examples and OpenSSL.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "sign/sha512.h"
#include "support/openssl_hash.h"
#include "support/vector_file.h"

namespace otawrap {
namespace {

using test::bytesToHex;

std::vector<std::uint8_t> randomBytes(std::size_t length, std::mt19937& rng) {
  std::vector<std::uint8_t> bytes(length);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
  return bytes;
}

std::string ourSha512(const std::vector<std::uint8_t>& message) {
  std::uint8_t digest[64];
  sha512Hash(message.data(), message.size(), digest);
  return bytesToHex(digest, 64);
}

std::string theirSha512(const std::vector<std::uint8_t>& message) {
  const auto digest = test::opensslSha512(message.data(), message.size());
  return bytesToHex(digest.data(), digest.size());
}

TEST(Sha512Hash, FipsExamples) {
  struct Case {
    std::string message;
    const char* digest;
  } const cases[] = {
      {"abc",
       "DDAF35A193617ABACC417349AE20413112E6FA4E89A97EA20A9EEEE64B55D39A"
       "2192992A274FC1A836BA3C23A3FEEBBD454D4423643CE80E2A9AC94FA54CA49F"},
      {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopq"
       "rsmnopqrstnopqrstu",
       "8E959B75DAE313DA8CF4F72814FC143F8F7779C6EB9F7FA17299AEADB6889018"
       "501D289E4900F7E4331B99DEC4B5433AC7D329EEB6DD26545E96E55B874BE909"},
      {"",
       "CF83E1357EEFB8BDF1542850D66D8007D620E4050B5715DC83F4A921D36CE9CE"
       "47D0D13C5D85F2B0FF8318D2877EEC2F63B931BD47417A81A538327AF927DA3E"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ourSha512(std::vector<std::uint8_t>(c.message.begin(), c.message.end())), c.digest)
        << c.message;
  }
}

TEST(Sha512Hash, OneMillionLetterAInUnevenPieces) {
  const char* expected =
      "E718483D0CE769644E2E42C7BC15B4638E1F98B13B2044285632A803AFA973EB"
      "DE0FF244877EA60A4CB0432CE577C31BEB009C5C2C49AA2E4EADB217AD8CC09B";
  const std::vector<std::uint8_t> message(1000000, 'a');
  EXPECT_EQ(ourSha512(message), expected);
  Sha512Context context;
  sha512Init(context);
  std::size_t offset = 0;
  for (std::size_t piece = 1; offset < message.size(); piece = piece * 3 % 1000 + 1) {
    const std::size_t take = std::min(piece, message.size() - offset);
    sha512Update(context, message.data() + offset, take);
    offset += take;
  }
  std::uint8_t digest[64];
  sha512Final(context, digest);
  EXPECT_EQ(bytesToHex(digest, 64), expected);
  const auto* raw = reinterpret_cast<const std::uint8_t*>(&context);
  EXPECT_TRUE(std::all_of(raw, raw + sizeof context, [](std::uint8_t b) { return b == 0; }));
}

// Every length to 300 covers the padding cases 111/112 (one or two final
// blocks) and 239/240; the longer ones cross many blocks.
TEST(Sha512Hash, AllShortLengthsAndLongMessagesMatchOpenssl) {
  std::mt19937 rng(512u);  // fixed seed
  for (std::size_t length = 0; length <= 300; ++length) {
    const auto message = randomBytes(length, rng);
    ASSERT_EQ(ourSha512(message), theirSha512(message)) << "length " << length;
  }
  for (const std::size_t length : {1023u, 1024u, 1025u, 65536u, 1048577u}) {
    const auto message = randomBytes(length, rng);
    EXPECT_EQ(ourSha512(message), theirSha512(message)) << "length " << length;
  }
}

TEST(Sha512Update, AnySplitGivesTheOneShotDigest) {
  std::mt19937 rng(5u);  // fixed seed
  const auto message = randomBytes(400, rng);
  const std::string expected = ourSha512(message);
  for (std::size_t first = 0; first <= message.size(); first += 11) {
    for (std::size_t second = 0; first + second <= message.size(); second += 37) {
      Sha512Context context;
      sha512Init(context);
      sha512Update(context, message.data(), first);
      sha512Update(context, nullptr, 0);
      sha512Update(context, message.data() + first, second);
      sha512Update(context, message.data() + first + second, message.size() - first - second);
      std::uint8_t digest[64];
      sha512Final(context, digest);
      ASSERT_EQ(bytesToHex(digest, 64), expected) << first << " " << second;
    }
  }
}

}  // namespace
}  // namespace otawrap
