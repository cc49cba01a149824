#include "ota/element_checks.h"

#include <algorithm>
#include <cstring>

#include "codec/bytes.h"
#include "ecc/order283.h"
#include "image/assembly.h"
#include "image/crc.h"
#include "ota/format.h"
#include "payload/payload.h"
#include "sign/mmo.h"
#include "sign/suite2_signature.h"

namespace otawrap {

namespace {

constexpr OtaCheck kPassed = OtaCheck::passed();

}  // namespace

bool otaImageCarriesPreamble(const std::uint8_t* image, std::uint32_t length,
                             const OtaHeader& header) {
  PayloadContext context;
  context.headerKnown = true;
  context.manufacturerCode = header.manufacturerCode;
  context.imageType = header.imageType;
  context.fileVersion = header.fileVersion;
  return payloadCarriesImagePreamble(image, length, context);
}

OtaCheck otaImagePreambleCheck(const std::uint8_t* image, std::uint32_t length,
                               const OtaHeader& h) {
  if (length < kImagePreambleEnd) {
    return OtaCheck::failed(OtaReason::imageShorterThanPreamble, kImagePreambleEnd, length);
  }
  const std::uint32_t stamped = loadLittle32(image + kImageLengthOffset);
  if (stamped != length) {
    return OtaCheck::failed(OtaReason::preambleLengthMismatch, length, stamped);
  }
  const std::uint16_t manufacturer = loadLittle16(image + kImageManufacturerOffset);
  if (manufacturer != h.manufacturerCode) {
    return OtaCheck::failedHex(OtaReason::preambleManufacturerMismatch, h.manufacturerCode,
                               manufacturer);
  }
  const std::uint16_t imageType = loadLittle16(image + kImageTypeOffset);
  if (imageType != h.imageType) {
    return OtaCheck::failedHex(OtaReason::preambleImageTypeMismatch, h.imageType, imageType);
  }
  const std::uint32_t version = loadLittle32(image + kImageFileVersionOffset);
  if (version != h.fileVersion) {
    return OtaCheck::failedHex(OtaReason::preambleFileVersionMismatch, h.fileVersion, version);
  }
  return kPassed;
}

OtaCheck otaImageCrcCheck(const std::uint8_t* image, std::uint32_t length, bool platformGiven,
                          Platform platform, ImageCrcFound& found) {
  // The CRC offsets the platforms use, in the order they are tried; a named
  // platform has only its own.
  const std::uint32_t tried[] = {platformCrcOffset(Platform::quillDev),
                                 platformCrcOffset(Platform::fenBoard)};
  const std::uint32_t named = platformCrcOffset(platform);
  const std::uint32_t* offsets = platformGiven ? &named : tried;
  const std::size_t count = platformGiven ? 1 : 2;
  std::uint32_t furthest = 0;
  for (std::size_t i = 0; i < count; ++i) furthest = std::max(furthest, offsets[i]);
  if (length < std::size_t{furthest} + 4) {
    return OtaCheck::failed(OtaReason::imageTooShortForCrc, furthest + 4, length);
  }
  std::uint16_t computed = 0;
  for (std::size_t i = 0; i < count; ++i) {
    computed = imageCrcCompute(image, length, offsets[i]);
    if (computed == loadLittle16(image + offsets[i])) {
      found = {offsets[i], computed};
      return kPassed;
    }
  }
  if (!platformGiven) {
    return OtaCheck::failed(OtaReason::crcMatchesNeitherOffset);
  }
  return OtaCheck::failedHex(named == 0 ? OtaReason::crcMismatchAtZero
                                        : OtaReason::crcMismatchAt0x88,
                             computed, loadLittle16(image + named));
}

OtaCheck otaSignatureLayoutCheck(const OtaSealElements& seal) {
  if (!seal.firstSignature && !seal.firstCertificate) {
    return OtaCheck::notApplicable(OtaReason::unsignedFile);
  }
  if (!seal.firstSignature) {
    return OtaCheck::failed(OtaReason::certificateWithoutSignature);
  }
  const OtaSubElement& last = *seal.lastSubElement;
  if (last.tag == kOtaTagIntegrityCode) {
    // Both seals: the last one is checked, the other reported.
    return OtaCheck::notApplicable(OtaReason::integrityCodeCheckedInstead);
  }
  if (last.tag != kOtaTagSignature) {
    return OtaCheck::failed(OtaReason::signatureNotLast);
  }
  if (last.length != kOtaSignatureLength) {
    return OtaCheck::failed(OtaReason::signatureLengthNot50, kOtaSignatureLength, last.length);
  }
  if (!seal.beforeLastSubElement || seal.beforeLastSubElement->tag != kOtaTagCertificate) {
    return OtaCheck::failed(OtaReason::noCertificateBeforeSignature);
  }
  if (seal.beforeLastSubElement->length != kOtaCertificateLength) {
    return OtaCheck::failed(OtaReason::certificateLengthNot48, kOtaCertificateLength,
                            seal.beforeLastSubElement->length);
  }
  return kPassed;
}

Suite2Layout otaSuite2SignatureLayout(const OtaSealElements& seal) {
  if (!seal.firstSuite2Signature && !seal.firstSuite2Certificate) {
    return Suite2Layout::absent;
  }
  const std::optional<OtaSubElement>& last = seal.lastSubElement;
  const std::optional<OtaSubElement>& certificate = seal.beforeLastSubElement;
  if (last && last->tag == kOtaTagIntegrityCode) {
    return Suite2Layout::integrityCodeLast;
  }
  if (!last || last->tag != kOtaTagSignatureSuite2 || last->length != kOtaSuite2SignatureLength) {
    return Suite2Layout::malformed;
  }
  if (!seal.firstSuite2Certificate) {
    return Suite2Layout::withoutCertificate;
  }
  if (!certificate || certificate->tag != kOtaTagCertificateSuite2 ||
      certificate->length != kOtaSuite2CertificateLength) {
    return Suite2Layout::malformed;
  }
  return Suite2Layout::wellFormed;
}

namespace {

bool scalarsInRange(const std::uint8_t* r, const std::uint8_t* s) {
  Scalar283 a;
  Scalar283 b;
  limbsFromOctets(r, kSuite2ScalarOctets, a);
  limbsFromOctets(s, kSuite2ScalarOctets, b);
  return scalar283InRange(a) != 0 && scalar283InRange(b) != 0;
}

}  // namespace

bool otaSuite2ScalarsPlausible(const std::uint8_t* signature) {
  const std::uint8_t* r = signature + kSuite2ROffset;
  const std::uint8_t* s = signature + kSuite2SOffset;
  if (scalarsInRange(r, s)) return true;
  std::uint8_t reversedR[kSuite2ScalarOctets];
  std::uint8_t reversedS[kSuite2ScalarOctets];
  std::reverse_copy(r, r + kSuite2ScalarOctets, reversedR);
  std::reverse_copy(s, s + kSuite2ScalarOctets, reversedS);
  return scalarsInRange(reversedR, reversedS);
}

void mmoHashShortPadding(const std::uint8_t* data, std::size_t length, std::uint8_t digest[16]) {
  std::uint8_t state[16] = {};
  const std::size_t whole = length / 16;
  mmoAbsorbBlocks(mmoDefaultEngine(), state, data, whole);
  std::uint8_t tail[32] = {};
  const std::size_t rest = length % 16;
  if (rest > 0) std::memcpy(tail, data + whole * 16, rest);
  tail[rest] = 0x80;
  const std::size_t blocks = rest + 1 + 2 <= 16 ? 1 : 2;
  storeBig16(static_cast<std::uint16_t>(length * 8), tail + 16 * blocks - 2);
  for (std::size_t i = 0; i < blocks; ++i) mmoStep(state, tail + 16 * i);
  std::memcpy(digest, state, 16);
}

IntegrityCodeCheck otaIntegrityCodeCheck(const std::uint8_t* file, std::size_t fileSize,
                                         const OtaSealElements& seal) {
  IntegrityCodeCheck check{IntegrityCodeStatus::absent, false, IntegrityConvention::beforeHead,
                           {}, {}};
  if (!seal.firstIntegrityCode) {
    return check;
  }
  const OtaSubElement& code = *seal.firstIntegrityCode;
  check.last = seal.lastSubElement && seal.lastSubElement->offset == code.offset &&
               code.dataOffset() + std::uint64_t{code.length} == fileSize;
  if (code.length != kOtaIntegrityCodeLength) {
    check.status = IntegrityCodeStatus::badLength;
    return check;
  }
  if (code.dataOffset() >= kOtaMmoMessageLimit) {
    check.status = IntegrityCodeStatus::tooLarge;
    return check;
  }
  std::memcpy(check.stored.data(), file + code.dataOffset(), check.stored.size());
  const auto head = static_cast<std::uint32_t>(code.offset);
  mmoHash(file, head, check.computed.data());
  std::array<std::uint8_t, 16> withHead{};
  mmoHash(file, static_cast<std::uint32_t>(code.dataOffset()), withHead.data());
  std::array<std::uint8_t, 16> shortPadding{};
  mmoHashShortPadding(file, head, shortPadding.data());
  check.status = IntegrityCodeStatus::passed;
  if (check.stored == check.computed) {
    check.convention = IntegrityConvention::beforeHead;
  } else if (check.stored == withHead) {
    check.convention = IntegrityConvention::withHead;
  } else if (check.stored == shortPadding) {
    check.convention = IntegrityConvention::shortPadding;
  } else {
    check.status = IntegrityCodeStatus::mismatch;
  }
  return check;
}

OtaCheck otaIntegrityCodeVerdict(const IntegrityCodeCheck& check, const OtaSealElements& seal,
                                 bool signatureFollows) {
  switch (check.status) {
    case IntegrityCodeStatus::absent:
      return OtaCheck::notApplicable(OtaReason::noIntegrityCode);
    case IntegrityCodeStatus::passed:
      break;
    case IntegrityCodeStatus::badLength:
      return OtaCheck::failed(OtaReason::integrityCodeLengthNot16, kOtaIntegrityCodeLength,
                              seal.firstIntegrityCode->length);
    case IntegrityCodeStatus::tooLarge:
      return OtaCheck::failed(OtaReason::fileTooLargeToHash);
    case IntegrityCodeStatus::mismatch:
      return OtaCheck::failed(OtaReason::integrityCodeMismatch);
  }
  if (!check.last) {
    return signatureFollows ? OtaCheck::passed(OtaReason::integrityCodeMisplaced)
                            : OtaCheck::failed(OtaReason::integrityCodeNotLast);
  }
  switch (check.convention) {
    case IntegrityConvention::beforeHead:
      return OtaCheck::passed(OtaReason::integrityCodeBeforeHead);
    case IntegrityConvention::withHead:
      return OtaCheck::passed(OtaReason::integrityCodeWithHead);
    case IntegrityConvention::shortPadding:
      break;
  }
  return OtaCheck::passed(OtaReason::integrityCodeShortPadding);
}

}  // namespace otawrap
