#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "codec/bytes.h"
#include "codec/hex.h"

namespace otawrap {
namespace {

TEST(Bytes, LoadsAndStoresBothByteOrders) {
  const std::uint8_t in[4] = {0x1E, 0xF1, 0xEE, 0x0B};
  EXPECT_EQ(loadLittle16(in), 0xF11E);
  EXPECT_EQ(loadBig16(in), 0x1EF1);
  EXPECT_EQ(loadLittle32(in), 0x0BEEF11Eu);
  EXPECT_EQ(loadBig32(in), 0x1EF1EE0Bu);
  std::uint8_t out[4] = {};
  storeLittle32(0x0BEEF11Eu, out);
  EXPECT_EQ(loadLittle32(out), 0x0BEEF11Eu);
  EXPECT_EQ(out[0], 0x1E);
  storeBig32(0x0BEEF11Eu, out);
  EXPECT_EQ(out[0], 0x0B);
  storeLittle16(0xABCD, out);
  EXPECT_EQ(out[0], 0xCD);
  storeBig16(0xABCD, out);
  EXPECT_EQ(out[0], 0xAB);
}

struct NumberCase {
  const char* text;
  int maxDigits;
  bool ok;
  std::uint32_t value;
};

TEST(Hex, NumbersAreStrict) {
  const NumberCase cases[] = {
      {"1", 4, true, 1},          {"100B", 4, true, 0x100B},   {"0x100b", 4, true, 0x100B},
      {"0X1", 4, true, 1},        {"FFFFFFFF", 8, true, ~0u},  {"", 4, false, 0},
      {"0x", 4, false, 0},        {"10000", 4, false, 0},      {"12G4", 4, false, 0},
      {" 1", 4, false, 0},        {"1 ", 4, false, 0},         {"-1", 4, false, 0},
      {"123456789", 8, false, 0}, {"0x0x1", 4, false, 0},
  };
  for (const NumberCase& c : cases) {
    std::uint32_t value = 0xDEAD;
    EXPECT_EQ(parseHexNumber(c.text, c.maxDigits, value), c.ok) << c.text;
    EXPECT_EQ(value, c.ok ? c.value : 0xDEADu) << c.text;
  }
}

TEST(Hex, LaxLeftAlignedValuesNeverFail) {
  const struct {
    const char* text;
    int digits;
    std::uint32_t value;
  } cases[] = {
      {"1", 4, 0x1000},      {"100B", 4, 0x100B},        {"  0x12", 4, 0x1200},
      {"12345", 4, 0x1234},  {"1G2", 4, 0x1020},         {"12 34", 4, 0x1200},
      {"", 8, 0},            {"0x", 8, 0},               {"ABCDEF01", 8, 0xABCDEF01},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(parseLaxLeftAlignedHex(c.text, c.digits), c.value) << c.text;
  }
}

TEST(Hex, OctetsAndEncoders) {
  std::string octets;
  ASSERT_TRUE(parseHexOctets("0x00aBff", octets));
  EXPECT_EQ(octets, std::string("\x00\xAB\xFF", 3));
  EXPECT_FALSE(parseHexOctets("abc", octets));
  EXPECT_FALSE(parseHexOctets("zz", octets));
  ASSERT_TRUE(parseHexOctets("", octets));
  EXPECT_TRUE(octets.empty());
  EXPECT_EQ(hexUpper(0x100B, 4), "100B");
  EXPECT_EQ(hexUpper(0x1, 8), "00000001");
  EXPECT_EQ(hexUpper(0xFEDCBA9876543210ull, 16), "FEDCBA9876543210");
  const std::uint8_t bytes[] = {0x00, 0x9F, 0xA0};
  EXPECT_EQ(hexLowerOctets(bytes, 3), "009fa0");
}

}  // namespace
}  // namespace otawrap
