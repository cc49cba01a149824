// Where the OTA file lies inside a downloaded file, and what surrounds it:
// a signed container with block hashes, a 4-byte length prefix with a 17-byte
// suffix, a vendor's own header found by the OTA file identifier, and behind
// the total image size a CRC-32 trailer or 0xFF padding with an inverted
// CRC-32 (numbers in ota/format.h). Each recogniser reads only the given
// bytes and never fails other than by its result.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ota/check_result.h"

namespace otawrap {

enum class OtaWrapKind : std::uint8_t {
  none,              // the OTA file starts at byte 0
  identifierPrefix,  // bytes before the first OTA file identifier
  lengthPrefix,      // u32 total image size, the OTA file, 17 more bytes
  signedContainer,   // "NGIS" container with per-block SHA-256 hashes
};

struct OtaWrapping {
  OtaWrapKind kind;
  std::size_t start;         // of the OTA file in the downloaded bytes
  std::size_t length;        // bytes from start handed to the reader
  std::size_t suffixLength;  // container bytes behind them (signature, suffix)
  std::uint32_t blockCount;  // signedContainer: hashed blocks
  // signedContainer: every relation and block hash; lengthPrefix: passed
  // (its lengths are what recognised it); notRun for the other kinds.
  OtaCheck check;
};

// How data[0..size) wraps its OTA file. A file that starts with the
// container magic is a container, whole or damaged (check failed: the OTA file
// is then looked for by its identifier); a length prefix must match exactly;
// otherwise the OTA file starts at the first identifier, or at 0 when there
// is none.
OtaWrapping otaWrappingFind(const std::uint8_t* data, std::size_t size);

// Where the OTA file starts in data[0..size): the offset of the first
// occurrence of the identifier bytes 1E F1 EE 0B (0 for a plain OTA file, the
// vendor header's length otherwise). False when the identifier is nowhere.
bool otaFindFileStart(const std::uint8_t* data, std::size_t size, std::size_t& prefixLength);

enum class OtaTrailerKind : std::uint8_t {
  none,
  crc32,               // u32 CRC-32 of file[0..TIS)
  paddedInvertedCrc32, // 0xFF to a multiple of 16, then u32 ~CRC-32 of all before it
};

struct OtaTrailer {
  OtaTrailerKind kind;
  std::size_t length;  // bytes behind the total image size, padding included
  std::size_t padding; // 0xFF bytes before the CRC
};

// The trailer behind file[0..totalSize) in file[0..size), if the bytes there
// are exactly one of the two kinds with a matching CRC. Requires
// totalSize < size.
OtaTrailer otaTrailerFind(const std::uint8_t* file, std::size_t size, std::size_t totalSize);

}  // namespace otawrap
