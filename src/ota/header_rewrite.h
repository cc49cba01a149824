// Re-stamping an OTA file: new header fields over the same sub-elements, then
// a new seal. The sub-elements between the header and the old seal are
// copied byte for byte, except that an upgrade image carrying this tool's
// image preamble gets the new identifiers and its CRC stamped again as
// convert stamps them; a header that grows or shrinks (the hardware versions
// are optional fields) moves them and the total image size follows. Works on
// bytes in memory: no I/O, no printing.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "ota/builder.h"
#include "ota/reader.h"
#include "sign/credentials.h"

namespace otawrap {

// The header fields to change; a field not given keeps its value.
struct OtaRestampFields {
  bool fileVersionGiven = false;
  std::uint32_t fileVersion = 0;
  bool headerStringGiven = false;
  std::array<std::uint8_t, 32> headerString{};  // zero-padded
  bool minimumHardwareVersionGiven = false;
  std::uint16_t minimumHardwareVersion = 0;
  bool maximumHardwareVersionGiven = false;
  std::uint16_t maximumHardwareVersion = 0;
};

// What happens to a signature the file carries.
enum class OtaResign : std::uint8_t {
  keep,  // a signed file is refused: its signature would no longer hold
  sign,  // sign with new credentials (replacing signature, certificate and an integrity code)
  drop,  // write the file without signature and certificate
};

enum class OtaRestampStatus : std::uint8_t {
  ok,
  signatureWouldBreak,      // signed, and OtaResign::keep
  hardwareRangeIncomplete,  // one hardware version given and the file has neither
  hardwareRangeInverted,    // the minimum would lie above the maximum
  fileTooLarge,             // beyond kOtaFileSizeLimit
  signatureFailed,          // the new signature could not be made or did not verify
  signerFailed,             // the outside signer gave no signature
  checkFails,               // the new file fails a check; failedCheck names it
};

struct OtaRestampResult {
  OtaRestampStatus status = OtaRestampStatus::ok;
  OtaSeal sealBefore = OtaSeal::none;  // the seal the input ended with
  OtaSeal sealAfter = OtaSeal::none;
  OtaCheckId failedCheck = OtaCheckId::container;  // for checkFails
  bool preambleStamped = false;  // the upgrade image's preamble and CRC were stamped again
  std::uint16_t imageCrc = 0;    // the new image CRC, when they were
  OtaFileInfo after{};                             // the new file as the reader sees it, for ok and checkFails
};

struct OtaRestampRequest {
  OtaRestampFields fields;
  OtaResign resign = OtaResign::keep;
  const SignerCredentials* credentials = nullptr;  // required for OtaResign::sign
};

// The seal file[0..info.fileSize) ends with and the offset where it starts
// (info.fileSize without one): a signature of either suite (certificate and
// signature last, or suite 2's signature last without a certificate; an
// integrity code right before them counted in) or an integrity code last.
struct OtaSealSpan {
  OtaSeal seal;
  bool integrityCode;  // an integrity code is part of it
  std::size_t start;
};
OtaSealSpan otaSealSpan(const OtaFileInfo& info);

// Writes the re-stamped file to out (replaced; empty unless ok). info is
// otaFileRead's view of file[0..info.fileSize) with no failed check. When
// its image preamble and image CRC checks passed (this tool's own image),
// the first upgrade image gets the new header's identifiers at 0x90..0x97
// and the CRC over them at the offset where it matched; its other bytes stay.
// The new seal: a signature with OtaResign::sign; else an integrity code
// when the file had one; else none. The new file is read back, and every
// check must pass; a file that fails is not handed out.
OtaRestampResult otaRestamp(const std::uint8_t* file, const OtaFileInfo& info,
                            const OtaRestampRequest& request, std::vector<std::uint8_t>& out);

}  // namespace otawrap
