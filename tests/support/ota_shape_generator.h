// Synthetic OTA files of every shape found in the field, each with its
// damaged variants, as one table the reader's tests, the end-to-end tests,
// the oracles (zigpy, zigbee-herdsman) and the fuzz corpus iterate.
//
// The shapes (all offsets from the OTA file identifier; TIS = the header's
// total image size):
//   plain                      header, an upgrade image (0x0000) of random bytes
//   vendor-prefix              bytes without the identifier, then a plain file
//   crc32-trailer              a plain file, then u32le CRC-32 of file[0..TIS)
//   inverted-crc32-trailer[-padN]  chain 0x0000, 0xFF01 all 0xFF, 0x0005 of 80
//                              bytes (8-byte signer address, 64 signature
//                              bytes, 8 x 0xFF; no certificate); N = 0, 4 or 12
//                              bytes of 0xFF so that (length - 4) % 16 == 0,
//                              then u32le ~CRC-32 of everything before it
//   long-head-element             one 0xF000 element with an 8-byte head: u32 L,
//                              info bytes 01 and 5, L bytes; L % 16 == 0 and
//                              56 + 8 + L == TIS
//   manufacturer-element       0xF000 with the ordinary 6-byte head whose data
//                              starts 01 05, then an upgrade image
//   length-stamped-payload[-128]  manufacturer 0x100B, image type 0x0118; no
//                              sub-element: P = file[56..TIS) starts 2A 00,
//                              image type BE, 3 bytes, BCD timestamp YY MM DD
//                              hh mm ss, 24-bit BE N = 2048; len(P) = N + 64
//                              (or N + 128)
//   segmented-app-payload              no sub-element: a segmented application image
//                              (24-byte head, three segments, zero padding to
//                              15 mod 16, checksum 0xEF ^ segment bytes,
//                              SHA-256 of all before) from 56 to TIS
//   crc16-payload              an upgrade image, then headless bytes to TIS
//                              ending in their CRC-16 (0x1021, init 0x1D0F) BE
//   signed-container           "NGIS" head of ten u32le (12, 2010, offset - 12,
//                              offset = 40 + 32 n, size = TIS, offset + size,
//                              11, 16384, n), n SHA-256 hashes of the 16 KiB
//                              blocks of the OTA file (n = 2, the last short),
//                              the OTA file, 512 bytes that are not checkable
//   length-prefix              u32le TIS, the OTA file, 17 bytes
//   integrity-code             chain 0x0000, 0x0003: AES-MMO of file[0..head)
//   integrity-code-with-head   the same over file[0..head + 6)
//   integrity-code-short-padding  chain 0xF000, 0x0000, 0xF001, 0x0003, more
//                              than 8,191 hashed bytes, short-form padding
//   truncated                  a plain file missing its last 100 bytes
//
// Variant names say what changed: cut (one byte less), extended (one 0x00
// more), flip-* (one bit), wrong-* / bad-* (a field changed, every checksum
// recomputed so that only the structure is wrong). A flip outside every
// checksum leaves the file good: those rows show which bytes nothing covers.
//
// Every byte comes from std::mt19937 seeded with the given seed (reduced by
// modulo), so a seed gives the same files with every standard library. The
// sizes do not depend on the seed. The default seed is kShapeSeed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace otawrap::test {

inline constexpr std::uint32_t kShapeSeed = 17;

// What `otawrap info` must conclude: exit 0 (every check passes) or exit 1.
enum class ShapeVerdict : std::uint8_t { good, damaged };

struct ShapeSample {
  std::string name;     // "<shape>" or "<shape>.<variant>"; unique, a valid file name
  std::string shape;    // the well-formed file this row was made from
  std::string variant;  // empty for the well-formed file itself
  std::string change;   // what the variant changed, in words
  std::vector<std::uint8_t> bytes;
  ShapeVerdict verdict;
  // Where the plain OTA file lies in bytes: what `normalize` writes. Set for
  // good rows; 0 and 0 for damaged ones.
  std::size_t innerOffset;
  std::size_t innerSize;
  // Phrases the text report of `info` holds for this row (case-sensitive
  // substrings); empty when the row expects nothing beyond the verdict.
  std::vector<std::string> reported;

  std::vector<std::uint8_t> inner() const;
};

// Every shape's well-formed file followed by its variants, in a fixed order.
std::vector<ShapeSample> generateShapeSamples(std::uint32_t seed = kShapeSeed);

// Only the well-formed files (variant empty), one per shape.
std::vector<ShapeSample> generateShapes(std::uint32_t seed = kShapeSeed);

}  // namespace otawrap::test
