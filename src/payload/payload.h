// The firmware inside an upgrade image: which format it is (payloadIdentify)
// and whether it passes the format's own structural and checksum checks
// (payloadCheck). Both read only payload[0..size), never outside it, for any
// content; neither prints, fails other than by its result, or allocates
// except the compressed-stream check's 32 KiB window. Work is bounded: every
// walk advances by at least one byte per step and a compressed stream is
// inflated (and discarded) up to kPayloadInflateLimit bytes at most.
#pragma once

#include <cstddef>
#include <cstdint>

namespace otawrap {

// Named by their structure, not by who makes them; docs/checks.md gives each
// one's recognition, checks and the sources of its constants.
enum class PayloadFormat : std::uint8_t {
  unknown,
  gbl,                // tagged container, 4-byte tags, end tag FC 04 04 FC
  ebl,                // tagged container, 2-byte big-endian tags, end tag FC 04
  segmentedApp,       // 0xE9 application image: segments, XOR checksum, SHA-256
  knltImage,          // 5D 02 at 6 ("KNLT" at 8): size at 0x18, inverted CRC-32 last
  vectorTable,        // Cortex-M vector table, stack at 0x04xxxxxx, words 0-7 sum to 0
  fb05Head,           // FB 05 00 06: CRC-32 of all but the last 4 bytes, stored last
  magic12345678,      // 12345678 11223344 55667788 (either byte order); identified only
  nestedOta,          // an OTA file identifier at offset 8: read by the OTA layer
  xzStream,           // xz container: framing and its CRC-32s
  zlibStream,         // zlib stream: inflated and discarded, Adler-32
  oadImage,           // "CC26x2R1"/"CC13x2R1" mark: CRC-32 at 8 over [12, length at 0x18)
  imagePreamble,      // this tool's image preamble: image CRC at 0x88 or 0
  headedVectorTable,  // a vector table behind a 16-byte head; identified only
  tlvWrapper,         // 4-byte type, 4-byte length + 8 = size; identified only
  lvrmMark,           // "LVRM" at 0x1C; identified only
  frs0Mark,           // "FRS0" at 0; identified only
  dec0deMark,         // DE C0 DE at 0 (or 00 DE C0 DE); identified only
  cborMultiImage,     // 2-byte length, CBOR map keyed "img"; identified only
};
inline constexpr std::size_t kPayloadFormatCount = 19;

enum class PayloadVerdict : std::uint8_t {
  ok,
  failed,
  notCheckable,  // identified, but nothing known to check, or beyond a limit
};

enum class PayloadReason : std::uint8_t {
  none,                // ok
  truncated,           // a structure runs past the end of the payload
  trailingBytes,       // bytes after the format's end that are not padding
  lengthMismatch,      // a length field disagrees with the payload or its parts
  malformed,           // a field outside its allowed values (segment count, tag length, ...)
  badPadding,          // padding inside the format that is not its fill value
  checksumMismatch,    // the format's CRC, checksum or sum does not match
  digestMismatch,      // the appended SHA-256 does not match
  streamCorrupt,       // a compressed stream breaks its coding rules
  nestedFileFailed,    // a nested OTA file fails its own checks (given by the OTA layer)
  // notCheckable
  noCheckKnown,        // identified by its magic only
  unknownFormat,       // nothing recognised
  readAsOtaFile,       // a nested OTA file: the OTA layer reads it
  presetDictionary,    // a zlib stream that needs a dictionary it does not carry
  inflateLimit,        // the stream inflates to more than kPayloadInflateLimit
};

// What a passing check has verified, for the report's wording.
enum class PayloadCheckKind : std::uint8_t {
  none,               // identified only
  crc32,              // a CRC-32 (residue, stored or inverted)
  checksumAndDigest,  // XOR checksum, and the SHA-256 when the image carries one
  wordSum,            // words 0-7 sum to 0
  framingCrc32,       // stream and index framing with their CRC-32s, no decompression
  adler32,            // the inflated stream's Adler-32
  imageCrc,           // this tool's 16-bit image CRC
  otaFile,            // the nested OTA file's own checks
};

struct PayloadCheck {
  PayloadVerdict verdict;
  PayloadReason reason;  // none when ok
};

// What the enclosing OTA header says; lets payloadIdentify recognise an image
// preamble by its stamped identifiers as well as by its stamped length.
struct PayloadContext {
  bool headerKnown = false;
  std::uint16_t manufacturerCode = 0;
  std::uint16_t imageType = 0;
  std::uint32_t fileVersion = 0;
};

// Inflated bytes a zlib check produces at most before giving up (notCheckable).
inline constexpr std::uint64_t kPayloadInflateLimit = std::uint64_t{256} << 20;

// The first format whose recogniser accepts payload[0..size); the order puts
// long magics before short ones and the zlib header rule last.
PayloadFormat payloadIdentify(const std::uint8_t* payload, std::size_t size,
                              const PayloadContext& context);

// The format's check on payload[0..size). A format that was not identified
// from these bytes may give any failure, but still reads only inside them.
PayloadCheck payloadCheck(PayloadFormat format, const std::uint8_t* payload, std::size_t size);

// True when payload[0..size) carries this tool's image preamble: the 32-bit
// little-endian length at 0x8C equals size, or (with the header known) the
// manufacturer code, image type and file version at 0x90..0x97 equal the
// header's. Either part suffices, so an image of ours with one damaged part
// is still ours and fails its check instead of passing for foreign.
bool payloadCarriesImagePreamble(const std::uint8_t* payload, std::size_t size,
                                 const PayloadContext& context);

// What payloadCheck verifies for the format.
PayloadCheckKind payloadCheckKind(PayloadFormat format);

// Stable lower-case name for JSON and tests ("gbl", "segmented-app", ...).
const char* payloadFormatKey(PayloadFormat format);

}  // namespace otawrap
