// The one way a command reads an OTA file: the whole file (64 MiB at most),
// where the OTA file starts behind a vendor header or container, what the
// reader made of it and the verdict on every upgrade image's payload. Every
// command that reads OTA files (info, verify, extract, index, lint, normalize,
// restamp, diff) judges a file by the same checks through openOtaInput.
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

struct OtaInputOptions {
  OtaReadOptions read{};      // --platform forces the image checks
  bool payloadCheck = true;   // false (--no-payload-check): payloads identified, not checked
  DashInput dash = DashInput::fileName;
  InputKind kind = InputKind::stream;  // regularFile: lint's files
};

struct OtaInput {
  std::vector<std::uint8_t> bytes;  // the whole file
  OtaFileInfo info{};               // of bytes[info.prefixLength..)
  std::vector<OtaPayloadVerdict> payloads;
  const std::uint8_t* file() const { return bytes.data() + info.prefixLength; }
  // No reader check and no payload check failed.
  bool passes() const;
  // "CHECK failed: REASON" or "payload check failed: FORMAT, REASON" for the
  // first failed check (the reader's before the payloads'); "" when it passes.
  std::string firstFailure() const;
};

// Reads path into input. False with problem set when the file cannot be read
// (cannotOpenInput), is not the regular file options ask for
// (inputNotRegular), is too large (inputTooLarge) or holds no OTA file
// identifier where one should start (notOtaFile): one message for every
// command, the exit code of the command's kind.
bool openOtaInput(const std::string& path, const OtaInputOptions& options, OtaInput& input,
                  Problem& problem);

// openOtaInput, and a file that fails a check is refused as well
// (unsoundOtaFile naming the first failure): what a command needs that works
// only on a sound file.
bool openSoundOtaInput(const std::string& path, const OtaInputOptions& options, OtaInput& input,
                       Problem& problem);

// "CHECK failed: REASON" for a failed check of info.
std::string failedCheckText(const OtaFileInfo& info, OtaCheckId id);

}  // namespace otawrap
