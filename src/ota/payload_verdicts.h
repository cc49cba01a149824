// The firmware payload of every upgrade image of a read OTA file: its format
// (payload/payload.h) and that format's own check. A payload that is itself
// an OTA file behind an 8-byte head is read here, one level deep: it passes
// when the nested file passes every reader check (its own payloads are not
// looked into). Reads only inside the given bytes; reports data only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ota/header.h"
#include "ota/reader.h"
#include "payload/payload.h"

namespace otawrap {

struct OtaPayloadVerdict {
  std::size_t offset;     // of the upgrade image's sub-element head, from the OTA file's start
  std::uint32_t length;   // of the payload (the sub-element's data)
  PayloadFormat format;
  bool checked;        // false: identified only, check is not meaningful
  PayloadCheck check;
};

// One payload: identified (with the header's identifiers for the image
// preamble) and, when check is set, checked; a nested OTA file read as
// described above.
OtaPayloadVerdict otaPayloadVerdict(const std::uint8_t* payload, std::uint32_t length,
                                    const OtaHeader& header, bool check = true);

// Every listed upgrade image (tag 0x0000) of file, in file order; file is
// what info was read from (otaFileRead(file, info.fileSize)).
std::vector<OtaPayloadVerdict> otaPayloadVerdicts(const std::uint8_t* file, const OtaFileInfo& info,
                                                  bool check = true);

// True when no verdict is failed.
bool otaPayloadsPass(const std::vector<OtaPayloadVerdict>& verdicts);

}  // namespace otawrap
