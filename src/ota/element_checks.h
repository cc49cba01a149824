// The checks the reader runs on single sub-elements and on the end of the
// sub-element chain: the image preamble and image CRC of an upgrade image,
// the integrity code, and the signature layouts of crypto suites 1 and 2.
// Each takes the file's bytes and the sub-elements it judges, never the
// reader's state; none reads outside the bytes it is given, prints or fails
// other than by its result.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "image/platform.h"
#include "ota/check_result.h"
#include "ota/header.h"

namespace otawrap {

// True when the upgrade image image[0..length) carries the image preamble
// this tool writes, that is when either of its two parts is stamped: the
// 32-bit little-endian length at offset 0x8C equals length, or the
// manufacturer code, image type and file version at 0x90..0x97 equal the
// header's. Either part is 4 or 8 bytes at a fixed place that a foreign
// payload matches only by rare chance, and asking for one rather than both
// keeps a preamble with one damaged part ours, so the preamble check fails
// on it instead of passing it over as foreign. Only then do the image
// preamble and image CRC checks apply, unless a platform is named.
bool otaImageCarriesPreamble(const std::uint8_t* image, std::uint32_t length,
                             const OtaHeader& header);

// The image preamble check of image[0..length): its length and identifiers.
OtaCheck otaImagePreambleCheck(const std::uint8_t* image, std::uint32_t length,
                               const OtaHeader& header);

// Where the image CRC matched and its value.
struct ImageCrcFound {
  std::uint32_t offset;
  std::uint16_t crc;
};

// The image CRC check of image[0..length): with a named platform only at its
// offset, else at 0x88, then 0. found is set when it passes.
OtaCheck otaImageCrcCheck(const std::uint8_t* image, std::uint32_t length, bool platformGiven,
                          Platform platform, ImageCrcFound& found);

// The sub-elements the seal checks judge, gathered over the whole chain.
struct OtaSealElements {
  std::optional<OtaSubElement> firstSignature;
  std::optional<OtaSubElement> firstCertificate;
  std::optional<OtaSubElement> firstIntegrityCode;
  std::optional<OtaSubElement> firstSuite2Signature;
  std::optional<OtaSubElement> firstSuite2Certificate;
  std::optional<OtaSubElement> lastSubElement;
  std::optional<OtaSubElement> beforeLastSubElement;
};

// Crypto suite 1: certificate (48 bytes), then signature (50 bytes) last.
OtaCheck otaSignatureLayoutCheck(const OtaSealElements& seal);

enum class Suite2Layout : std::uint8_t {
  absent,              // neither 0x0005 nor 0x0006
  wellFormed,          // certificate 0x0006 (74 bytes), then signature 0x0005 (80 bytes), last
  withoutCertificate,  // signature 0x0005 (80 bytes) last, no 0x0006 anywhere
  integrityCodeLast,   // suite 2 elements, then an integrity code last: the code is checked
  malformed,           // anything else with either tag
};

// The crypto suite 2 signature layout, judged on the last two sub-elements.
Suite2Layout otaSuite2SignatureLayout(const OtaSealElements& seal);

// True when the r and s of a suite-2 signature's 80 bytes (the layout of
// sign/suite2_signature.h) lie in [1, n-1] for sect283k1, read big-endian or
// read little-endian: false says the bytes are no sect283k1 signature at all.
bool otaSuite2ScalarsPlausible(const std::uint8_t* signature);

enum class IntegrityCodeStatus : std::uint8_t {
  absent,     // no sub-element 0x0003
  passed,     // 16 bytes equal to the AES-MMO hash of the bytes before it, by one convention
  badLength,  // its data is not 16 bytes
  mismatch,   // the stored code matches no convention
  tooLarge,   // the hashed bytes reach 2^29, beyond AES-MMO's limit
};

// The conventions in use for what the code hashes (ota/format.h).
enum class IntegrityConvention : std::uint8_t {
  beforeHead,    // file[0..head), ZigBee padding: the standard one
  withHead,      // file[0..head + 6), ZigBee padding
  shortPadding,  // file[0..head), the short padding form whatever the length
};

struct IntegrityCodeCheck {
  IntegrityCodeStatus status;
  bool last;                              // the code is the last sub-element of the file
  IntegrityConvention convention;         // for passed
  std::array<std::uint8_t, 16> stored;    // for passed and mismatch
  std::array<std::uint8_t, 16> computed;  // the standard convention's, for passed and mismatch
};

// Recomputes the integrity code of file[0..fileSize): the first 0x0003 of
// the whole chain, over the bytes before it wherever it lies, by each
// convention in the order of the enum.
IntegrityCodeCheck otaIntegrityCodeCheck(const std::uint8_t* file, std::size_t fileSize,
                                         const OtaSealElements& seal);

// The integrity code check as the report gives it. A code that matches but
// is not last passes as misplaced when a signature layout follows it
// (signatureFollows), and fails otherwise; a code that does not match fails
// wherever it lies.
OtaCheck otaIntegrityCodeVerdict(const IntegrityCodeCheck& check, const OtaSealElements& seal,
                                 bool signatureFollows);

// AES-MMO of data[0..length) with the short padding form (0x80, zeros to 14
// mod 16, the bit length mod 2^16 big-endian) even past 8,191 bytes; equal
// to mmoHash below that. length < 2^29.
void mmoHashShortPadding(const std::uint8_t* data, std::size_t length, std::uint8_t digest[16]);

}  // namespace otawrap
