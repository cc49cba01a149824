// Seeded generator of raw firmware files in the IAR linker's layout, shared by
// the property tests, the example generator, the benchmarks and the fuzzers.
//
// A generated file is: the 14-byte file header; a first data record at address
// 0x0000 (never dropped by any platform) of 0x100..0x1FF bytes that carries the
// chosen identifiers at offsets 0x90..0x97 and a 0x00 at 0x98, so every
// platform's image keeps its preamble; data records at random addresses, most
// of them near the edges of the platforms' dropped ranges (0x3100, 0x3200,
// 0xCA00, 0xE200, 0x10000) or wrapping past 0xFFFFFFFF, some with no bytes,
// some ending in runs of 0xFF; a last data record at 0x20000 or above of at
// least 100 bytes (sometimes mostly 0xFF); then optionally trailing non-data
// records and bytes that the reader ignores.
//
// Randomness comes from std::mt19937 seeded with the given seed, reduced by
// modulo, so a seed gives the same file with every standard library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace otawrap::test {

struct RawDataRecord {
  std::uint32_t address;
  std::vector<std::uint8_t> data;
};

// A raw file as its parts: data records in file order, then trailer bytes that
// start with a non-data record (or are empty).
struct RawFileLayout {
  std::vector<RawDataRecord> records;
  std::vector<std::uint8_t> trailer;
};

struct RawGeneratorOptions {
  std::uint32_t seed = 1;
  std::size_t dataBytes = 4096;       // about this many data bytes in all records
  std::uint16_t manufacturerCode = 0x100B;
  std::uint16_t imageType = 0x0042;
  std::uint32_t fileVersion = 0x00010203;
  bool trailingRecords = true;        // add a random trailer
};

RawFileLayout generateRawFile(const RawGeneratorOptions& options);

// The file bytes: header (0x49, 0x41, 0x52, 0x00 then 0x00..0x09), each data
// record (type 1, kind 0, word 0, address, count, bytes), then the trailer.
std::vector<std::uint8_t> rawFileBytes(const RawFileLayout& layout);

// A data record as bytes (type byte included), for hand-crafted files.
std::vector<std::uint8_t> rawDataRecordBytes(std::uint32_t address,
                                             const std::vector<std::uint8_t>& data);

// The bundled example: seed 2024, about 4 KiB of data, manufacturer 0x100B,
// image type 0x0042, file version 0x00010203, no trailer. Its output file is
// 100B-0042-00010203.zigbee.
RawGeneratorOptions sampleRawFileOptions();

// The same data records as Intel HEX text, so that its conversion must equal
// the raw file's: each record becomes data records of 0..255 bytes at the same
// addresses, in order. From seed (std::mt19937) come the record lengths, the
// choice of extended linear (04) or, below 1 MiB, extended segment (02)
// addressing, linear records that cross a 64 KiB boundary, ignored start
// address records (03, 05), blank lines, lower- or upper-case digits and CRLF
// or LF line ends. Ends with the end-of-file record; the raw trailer is not
// written.
std::string intelHexText(const RawFileLayout& layout, std::uint32_t seed);

// One record line ":LLAAAATT<data>CC" with a correct count and checksum, no
// line end.
std::string intelHexLine(std::uint8_t type, std::uint16_t offset,
                         const std::vector<std::uint8_t>& data);

// Writes bytes to path; false on failure.
bool writeFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
// Reads a whole file; empty if it cannot be read.
std::vector<std::uint8_t> readFileBytes(const std::string& path);

}  // namespace otawrap::test
