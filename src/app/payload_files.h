// The files of `--tag TAG=FILE` options: read whole into memory as
// sub-element payloads (convert), or straight into their places in the one
// buffer of the OTA file they go into (build).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/failure.h"
#include "app/file_settings.h"
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

// Builds the file of request without holding any payload twice: every
// file's size is taken first (a regular file's from the system; any other
// input, and a regular file that says it is empty, is read whole then), the
// file is laid out (otaLayoutFile) and allocated once, and each sized file is
// read into its place. A file whose length then differs from the size taken
// fails (payloadChangedSize) and nothing is built. request.payloads is
// replaced: the tags in files' order, each pointing at its bytes in file
// once this returns true; the header and seal are the caller's. Finish with
// otaFinishFile(request, layout, file.data()). False with problem set
// (cannotReadPayload, payloadChangedSize, fileTooLarge or the layout's
// refusal).
bool placePayloadFiles(const std::vector<TagFile>& files, OtaBuildRequest& request,
                       OtaFileLayout& layout, std::vector<std::uint8_t>& file,
                       Problem& problem);

// Every upgrade image (tag 0x0000) among payloads identified and checked by
// its format's own rules (ota/payload_verdicts.h), the header's identifiers
// telling this tool's image preamble; payloads[i] came from files[i]. False
// with problem set (payloadCheckFailed naming the file, the format and the
// reason) for the first that fails.
bool checkUpgradeImages(const std::vector<TagFile>& files,
                        const std::vector<OtaPayload>& payloads, const OtaHeader& header,
                        Problem& problem);

}  // namespace otawrap
