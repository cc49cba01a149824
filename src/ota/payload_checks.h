// Checks on a read OTA file beyond the reader's own: whether the upgrade
// image carries the image preamble (and exempting foreign payloads from the
// image checks), the crypto suite 2 layout, the image integrity code, a
// vendor header before the OTA file identifier, sub-element lookup and the
// names of extracted sub-elements, and the fields of an OTA index entry. All
// take the file's bytes and what otaFileRead made of them; none reads outside
// the given bytes, prints or fails other than by its result.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "ota/reader.h"

namespace otawrap {

// True when the sub-element (inside file) carries the image preamble this
// tool writes, that is when either of its two parts is stamped: the 32-bit
// little-endian length at offset 0x8C equals the sub-element's length, or the
// manufacturer code, image type and file version at 0x90..0x97 equal the
// header's. Either part is 4 or 8 bytes at a fixed place that a foreign
// payload matches only by rare chance, and asking for one rather than both
// keeps a preamble with one damaged part ours, so the preamble check fails on it instead of passing it
// over as foreign. Only then do the image preamble and image CRC checks
// apply.
bool otaImageCarriesPreamble(const std::uint8_t* file, const OtaSubElement& element,
                             const OtaHeader& header);

// The first upgrade image decides: when it does not carry the preamble and
// the checks are not forced (a platform named by the user), imagePreamble
// and imageCrc become notApplicable with the reason foreignPayload, and the
// function returns true; otherwise it changes
// nothing and returns false. Files without an upgrade image keep the
// reader's verdicts. otaFileRead calls it before running the image checks.
bool otaExemptForeignPayload(const std::uint8_t* file, OtaFileInfo& info, bool forced);

// The first sub-element with the tag among the listed ones, or nullptr.
const OtaSubElement* otaFindSubElement(const OtaFileInfo& info, std::uint16_t tag);

// Name of the file that holds sub-element `index` when all are extracted:
// the index in decimal, at least two digits, '-', the tag as four upper-case
// hex digits, ".bin" ("00-0000.bin", "03-F00D.bin").
std::string otaSubElementFileName(std::size_t index, std::uint16_t tag);

enum class Suite2Layout : std::uint8_t {
  absent,      // neither 0x0005 nor 0x0006
  wellFormed,  // certificate 0x0006 (74 bytes), then signature 0x0005 (80 bytes), last
  malformed,   // anything else with either tag
};

// The crypto suite 2 signature layout, judged on the whole chain (the last
// two sub-elements). Its verification is not supported.
Suite2Layout otaSuite2SignatureLayout(const OtaFileInfo& info);

enum class IntegrityCodeStatus : std::uint8_t {
  absent,     // no sub-element 0x0003
  passed,     // last, 16 bytes, equal to the AES-MMO hash of every byte before its head
  notLast,    // present but not the last sub-element
  badLength,  // its data is not 16 bytes
  mismatch,   // the stored code differs from the recomputed one
  tooLarge,   // the hashed bytes reach 2^29, beyond AES-MMO's limit
};

struct IntegrityCodeCheck {
  IntegrityCodeStatus status;
  std::array<std::uint8_t, 16> stored;    // for passed and mismatch
  std::array<std::uint8_t, 16> computed;  // for passed and mismatch
};

// Recomputes the integrity code of file[0..info.fileSize): the first 0x0003
// of the whole chain, which must be the last sub-element.
IntegrityCodeCheck otaIntegrityCodeCheck(const std::uint8_t* file, const OtaFileInfo& info);

// Where the OTA file starts in data[0..size): the offset of the first
// occurrence of the identifier bytes 1E F1 EE 0B (0 for a plain OTA file, the
// vendor header's length otherwise). False when the identifier is nowhere.
bool otaFindFileStart(const std::uint8_t* data, std::size_t size, std::size_t& prefixLength);

// The fields of a zigbee-herdsman OTA index entry for one file.
struct OtaIndexEntry {
  std::string fileName;          // as given
  std::uint32_t fileVersion;
  std::uint64_t fileSize;        // of the whole file, vendor header included
  std::uint16_t manufacturerCode;
  std::uint16_t imageType;
  std::string sha512;            // lower-case hex of the SHA-512 of the whole file
  std::string url;               // as given
  bool headerStringPresent;      // otaHeaderString is not empty
  std::string otaHeaderString;   // its bytes up to the first 0 (or all 32)
  bool hardwareVersionsPresent;
  std::uint16_t hardwareVersionMin;
  std::uint16_t hardwareVersionMax;
};

// The entry for data[0..size), whose OTA file starts at prefixLength and was
// read into info (otaFileRead(data + prefixLength, size - prefixLength)).
// The caller decides beforehand whether the file is fit to be listed.
OtaIndexEntry otaIndexEntry(const std::uint8_t* data, std::size_t size, const OtaFileInfo& info,
                            const std::string& fileName, const std::string& url);

}  // namespace otawrap
