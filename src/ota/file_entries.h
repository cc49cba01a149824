// What the toolkit commands make of a read OTA file: the lookup of a
// sub-element, the names of extracted sub-elements, and the fields of an OTA
// index entry. None reads outside the given bytes, prints or fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "ota/reader.h"

namespace otawrap {

// The first sub-element with the tag in the whole chain of file (as read
// into info): the listed ones, then the rest of a chain of 6-byte heads;
// none when absent. The walk stops at a head or data cut short by the end
// of the file.
std::optional<OtaSubElement> otaFindSubElement(const std::uint8_t* file, const OtaFileInfo& info,
                                               std::uint16_t tag);

// Name of the file that holds sub-element `index` when all are extracted:
// the index in decimal, at least two digits, '-', the tag as four upper-case
// hex digits, ".bin" ("00-0000.bin", "03-F00D.bin").
std::string otaSubElementFileName(std::size_t index, std::uint16_t tag);

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
