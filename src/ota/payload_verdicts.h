// The firmware payload of every upgrade image of a read OTA file: its format
// and verdict under the payload module's policy (payload/payload.h), all of
// one file's payload work paid from one budget. A payload that is an OTA
// file behind an 8-byte head is read here, one level deep: when its header's
// sub-element chain ends at its total image size it is a plain OTA file and
// passes or fails by every reader check (its own payloads are not looked
// into); otherwise it is a vendor layout around an opaque body, reported with
// its identifiers and never failed. Reads only inside the given bytes;
// reports data only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "ota/header.h"
#include "ota/reader.h"
#include "payload/payload.h"

namespace otawrap {

// What the header of a nested OTA file says, and how its layout reads.
struct OtaNestedHeader {
  std::uint16_t manufacturerCode;
  std::uint16_t imageType;
  std::uint32_t fileVersion;
  std::uint32_t totalImageSize;
  bool plainFile;  // its sub-element chain ends at its total image size
  // Vendor layout only: the head's second word L is the total image size,
  // or that plus a 64-byte block, and L or L + 1 bytes follow the head.
  bool lengthsAgree;
};

struct OtaPayloadVerdict {
  std::size_t offset;     // of the upgrade image's sub-element head, from the OTA file's start
  std::uint32_t length;   // of the payload (the sub-element's data)
  PayloadFormat format;
  bool checked;        // false: identified only, check is not meaningful
  PayloadCheck check;
  std::optional<OtaNestedHeader> nested;  // a nested OTA file with a whole header
};

// One payload: judged (with the header's identifiers for the image
// preamble) when check is set, else identified; a nested OTA file read as
// described above. The budget is shared with the file's other payloads; the
// overload without one gives the payload a budget of its own.
OtaPayloadVerdict otaPayloadVerdict(const std::uint8_t* payload, std::uint32_t length,
                                    const OtaHeader& header, PayloadBudget& budget,
                                    bool check = true);
OtaPayloadVerdict otaPayloadVerdict(const std::uint8_t* payload, std::uint32_t length,
                                    const OtaHeader& header, bool check = true);

// Every upgrade image (tag 0x0000) of file, in file order, beyond the listed
// sub-elements too; file is what info was read from (otaFileRead(file,
// info.fileSize)). One budget, payloadBudgetFor(info.fileSize), for all.
std::vector<OtaPayloadVerdict> otaPayloadVerdicts(const std::uint8_t* file, const OtaFileInfo& info,
                                                  bool check = true);

// True when no verdict is failed.
bool otaPayloadsPass(const std::vector<OtaPayloadVerdict>& verdicts);

}  // namespace otawrap
