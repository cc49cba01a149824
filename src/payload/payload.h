// The firmware inside an upgrade image: which format it is (payloadIdentify),
// whether it passes the format's own structural and checksum checks
// (payloadCheck), and the verdict policy over both (payloadJudge). All read
// only payload[0..size), never outside it, for any content; none prints,
// fails other than by its result, or allocates except the compressed-stream
// check's 32 KiB window. Work is bounded by a PayloadBudget the caller passes
// for the whole file: every walk advances by at least one byte per step, and
// a check that would spend more than is left stops, not checkable.
//
// The verdict policy (docs/checks.md, "Payload formats"):
// - failed needs proof: a format identified by its own magic, and a value
//   the format defines to protect its bytes (a CRC, a digest, a length it
//   requires) disagrees;
// - a format recognised by plausibility is that format only when its check
//   holds, a coded stream only when its data keeps the coding rules for a
//   stretch; otherwise the next candidate is tried, and in the end unknown;
// - bytes after a format's end are fill, a checkable trailer (the SHA-256 of
//   the stream, the CRC-32 of every byte before it, a marked CRC-32), or
//   reported as followedBy; only a trailer that does not match fails.
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
  fb05Head,           // FB 05 00 06, then bytes whose CRC-32 follows them
  magic12345678,      // 12345678 11223344 55667788 (either byte order); identified only
  nestedOta,          // an OTA file identifier at offset 8: read by the OTA layer
  xzStream,           // xz container: framing and its CRC-32s
  zlibStream,         // zlib stream: inflated and discarded, Adler-32
  imagePreamble,      // this tool's image preamble: image CRC at 0x88 or 0
  headedVectorTable,  // a vector table behind a 16-byte head; identified only
  tlvWrapper,         // 4-byte type, 4-byte length + 8 = size; identified only
  lvrmMark,           // "LVRM" at 0x1C; identified only
  frs0Mark,           // "FRS0" at 0; identified only
  dec0deMark,         // DE C0 DE at 0 (or 00 DE C0 DE); identified only
  cborMultiImage,     // 2-byte length, CBOR map keyed "img"; identified only
};
inline constexpr std::size_t kPayloadFormatCount = 18;

// How strongly a format's recognition identifies it.
enum class PayloadIdentification : std::uint8_t {
  magic,         // its own magic bytes: a failed check is proof
  codedStream,   // a 2-byte header with check bits: identified once the data
                 // keeps the coding rules over 128 bytes; an earlier break of
                 // them is no proof
  plausibility,  // field values that fit: that format only when its check holds
};

enum class PayloadVerdict : std::uint8_t {
  ok,
  failed,
  notCheckable,  // identified, but nothing known to check, or beyond a limit
};

enum class PayloadReason : std::uint8_t {
  none,                // ok
  truncated,           // a structure runs past the end of the payload
  lengthMismatch,      // a length field disagrees with the payload or its parts
  malformed,           // a field outside its allowed values (segment count, tag length, ...)
  badPadding,          // padding inside the format that is not its fill value
  checksumMismatch,    // the format's CRC, checksum or sum does not match
  digestMismatch,      // the appended SHA-256 does not match
  streamCorrupt,       // a compressed stream breaks its coding rules
  nestedFileFailed,    // a nested OTA file fails its own checks (given by the OTA layer)
  trailerMismatch,     // a recognised trailer after the format's end does not match
  // notCheckable
  noCheckKnown,        // identified by its magic only
  unknownFormat,       // nothing recognised
  readAsOtaFile,       // a nested OTA file: the OTA layer reads it
  vendorLayout,        // an OTA-style header around an opaque body (given by the OTA layer)
  presetDictionary,    // a zlib stream that needs a dictionary it does not carry
  inflateLimit,        // the stream inflates to more than kPayloadInflateLimit
  workBudget,          // the file's payload work budget is spent
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

// A checkable trailer after a format's end, each after optional fill (all
// 0xFF or all 0x00 bytes).
enum class PayloadTrailerKind : std::uint8_t {
  none,
  sha256,       // 32 bytes: the SHA-256 of the stream, or of every byte before it
  crc32,        // 4 bytes: the CRC-32 of every byte before it, or of the stream, little-endian
  markedCrc32,  // A5 5A 5A A5 and the CRC-32 of every byte before the mark, little-endian;
                // anything may lie between the format's end and the mark
};

struct PayloadTrailer {
  PayloadTrailerKind kind;
  bool matches;
  std::size_t offset;  // where the trailer starts in the payload
  std::size_t length;  // 32, 4 or 8
};

struct PayloadCheck {
  PayloadVerdict verdict;
  PayloadReason reason;     // none when ok
  // ok: where the format's own bytes end (size when not known). failed: for
  // a coded stream, how far it was read when its coding rules broke.
  std::size_t end;
  PayloadTrailer trailer;   // kind none when no trailer was recognised
  std::size_t followedBy;   // bytes after end that are neither fill nor a trailer
  // The format's own check before the trailer rule: an identified-only
  // payload made ok by a matching trailer keeps notCheckable here.
  PayloadVerdict formatVerdict;
};

// The work a file's payload checks may do, in units of about a nanosecond
// on a 2-core machine of 2024 (one byte read by a CRC or inflated counts 1).
// One budget is passed by reference through every check of one file.
class PayloadBudget {
 public:
  explicit PayloadBudget(std::uint64_t units) : left_(units) {}
  // False, and nothing left afterwards, when units is more than is left.
  bool spend(std::uint64_t units) {
    if (units > left_) {
      left_ = 0;
      return false;
    }
    left_ -= units;
    return true;
  }
  std::uint64_t left() const { return left_; }

 private:
  std::uint64_t left_;
};

// Units per input byte and the floor of payloadBudgetFor; docs/performance.md
// gives the measurements they come from.
inline constexpr std::uint64_t kPayloadWorkPerByte = 16;
inline constexpr std::uint64_t kPayloadWorkFloor = std::uint64_t{64} << 20;

// The budget for checking inputBytes bytes of payloads in all (one file's):
// kPayloadWorkPerByte per byte, at least kPayloadWorkFloor.
PayloadBudget payloadBudgetFor(std::uint64_t inputBytes);

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

// The first format whose recogniser accepts payload[0..size), without running
// any check. The order: the image preamble, the magics at a fixed offset
// (longest first), the checked formats told by header fields, then the
// identified-only shapes.
PayloadFormat payloadIdentify(const std::uint8_t* payload, std::size_t size,
                              const PayloadContext& context);

// The format's check on payload[0..size), with the trailer rule applied to
// what follows its end. A format that was not identified from these bytes
// may give any failure, but still reads only inside them.
PayloadCheck payloadCheck(PayloadFormat format, const std::uint8_t* payload, std::size_t size,
                          PayloadBudget& budget);
// The same with a budget of its own (payloadBudgetFor(size)).
PayloadCheck payloadCheck(PayloadFormat format, const std::uint8_t* payload, std::size_t size);

struct PayloadJudgement {
  PayloadFormat format;
  PayloadCheck check;
};

// The verdict policy above: candidates in payloadIdentify's order, a
// plausible format kept only when its check holds, a coded stream only when
// its data keeps the coding rules; an identified-only or unknown payload is
// ok when a trailer at its very end matches its bytes, else not checkable.
PayloadJudgement payloadJudge(const std::uint8_t* payload, std::size_t size,
                              const PayloadContext& context, PayloadBudget& budget);

// The trailer rule over a format's own check own of payload[0..size). When
// own is ok and endKnown, what follows own.end: ok with the trailer or
// followedBy set, failed (trailerMismatch) when a recognised trailer's value
// differs. When own is ok without a known end, or not checkable for a reason
// other than the work budget or a nested OTA file: ok when a trailer at the
// very end matches every byte before it, else own. A failed own stands.
// formatVerdict is own's verdict; workBudget when the budget runs out.
PayloadCheck payloadWithTrailerRule(const PayloadCheck& own, bool endKnown,
                                    const std::uint8_t* payload, std::size_t size,
                                    PayloadBudget& budget);

// True when payload[0..size) carries this tool's image preamble: the 32-bit
// little-endian length at 0x8C equals size, or (with the header known) the
// manufacturer code, image type and file version at 0x90..0x97 equal the
// header's. Either part suffices, so an image of ours with one damaged part
// is still ours and fails its check instead of passing for foreign.
bool payloadCarriesImagePreamble(const std::uint8_t* payload, std::size_t size,
                                 const PayloadContext& context);

// What payloadCheck verifies for the format.
PayloadCheckKind payloadCheckKind(PayloadFormat format);

// How the format's recognition identifies it.
PayloadIdentification payloadIdentification(PayloadFormat format);

// Stable lower-case name for JSON and tests ("gbl", "segmented-app", ...).
const char* payloadFormatKey(PayloadFormat format);

}  // namespace otawrap
