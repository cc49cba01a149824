// An OTA file read for extract and index: the whole file (64 MiB at most),
// where the OTA file starts behind a vendor header, and what the reader made
// of the rest.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/failure.h"
#include "app/input_file.h"
#include "ota/payload_verdicts.h"
#include "ota/reader.h"

namespace otawrap {

struct OtaInput {
  std::vector<std::uint8_t> bytes;  // the whole file
  std::size_t prefixLength = 0;     // bytes before the OTA file identifier
  OtaFileInfo info{};               // of bytes[prefixLength..)
  const std::uint8_t* file() const { return bytes.data() + prefixLength; }
};

// Reads path into input ("-" is standard input when dash says so). False
// with problem set when it cannot be read, is too large, or holds no OTA file
// identifier (notOtaFile).
bool readOtaInput(const std::string& path, OtaInput& input, Problem& problem,
                  DashInput dash = DashInput::fileName);

// The first check that failed among those named, or nullptr.
const OtaCheckId* firstFailedCheck(const OtaFileInfo& info, const OtaCheckId* ids,
                                   std::size_t count);

// "CHECK failed: REASON" for a failed check: the detail of the failures
// that name one.
std::string failedCheckText(const OtaFileInfo& info, OtaCheckId id);

// "payload check failed: GBL, checksum mismatch" for a failed payload
// verdict: the detail of notIndexable.
std::string failedPayloadText(const OtaPayloadVerdict& verdict);

}  // namespace otawrap
