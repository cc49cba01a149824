// The files of `--tag TAG=FILE` options (build and convert), read whole into
// memory as sub-element payloads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "commands/failure.h"
#include "commands/file_settings.h"
#include "ota/builder.h"
#include "ota/header.h"

namespace otawrap {

// The bytes of each file and the payloads pointing into them.
struct PayloadFiles {
  std::vector<std::vector<std::uint8_t>> bytes;
  std::vector<OtaPayload> payloads;  // valid while bytes lives and is unchanged
};

// Reads every file in order. The sizes together with 6 bytes of head each may
// not pass budget (the rest of the 64 MiB file limit): no more is ever read.
// False with problem set (cannotReadPayload naming the file and the system's
// reason, or fileTooLarge).
bool readPayloadFiles(const std::vector<TagFile>& files, std::size_t budget,
                      PayloadFiles& loaded, Problem& problem);

// Every loaded upgrade image (tag 0x0000) identified and checked by its
// format's own rules (ota/payload_verdicts.h), the header's identifiers
// telling this tool's image preamble. False with problem set
// (payloadCheckFailed naming the file, the format and the reason) for the
// first that fails.
bool checkUpgradeImagePayloads(const std::vector<TagFile>& files, const PayloadFiles& loaded,
                               const OtaHeader& header, Problem& problem);

}  // namespace otawrap
