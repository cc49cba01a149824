#include "report/check_texts.h"

#include <cstddef>
#include <iterator>
#include <string>

namespace otawrap {

namespace {

template <typename Id>
struct Text {
  Id id;
  const char* text;
};

// Each table lists every value of its enum once, in the enum's order, so a
// value indexes its own row (checked below).
template <typename Id, std::size_t count>
constexpr bool inEnumOrder(const Text<Id> (&table)[count]) {
  for (std::size_t i = 0; i < count; ++i) {
    if (static_cast<std::size_t>(table[i].id) != i) return false;
  }
  return true;
}

template <typename Id, std::size_t count>
const char* lookUp(const Text<Id> (&table)[count], Id id) {
  const auto at = static_cast<std::size_t>(id);
  return at < count ? table[at].text : "unknown";
}

constexpr Text<OtaCheckId> kCheckNames[] = {
    {OtaCheckId::container, "container"},
    {OtaCheckId::fileIdentifier, "file identifier"},
    {OtaCheckId::headerLength, "header length"},
    {OtaCheckId::totalImageSize, "total image size"},
    {OtaCheckId::trailer, "trailer"},
    {OtaCheckId::subElementChain, "sub-element chain"},
    {OtaCheckId::imagePreamble, "image preamble"},
    {OtaCheckId::imageCrc, "image CRC"},
    {OtaCheckId::signatureLayout, "signature layout"},
    {OtaCheckId::signatureVerification, "signature verification"},
    {OtaCheckId::integrityCode, "integrity code"},
    {OtaCheckId::suite2SignatureLayout, "crypto suite 2 signature layout"},
    {OtaCheckId::suite2SignatureVerification, "crypto suite 2 signature verification"},
};
static_assert(inEnumOrder(kCheckNames) && std::size(kCheckNames) == kOtaCheckCount,
              "one name per check, in OtaCheckId order");

constexpr Text<OtaReason> kReasonTexts[] = {
    {OtaReason::none, ""},
    {OtaReason::shorterThanIdentifier, "file shorter than the identifier"},
    {OtaReason::notOtaIdentifier, "not the OTA file identifier"},
    {OtaReason::shorterThanHeader, "file shorter than the 56-byte header"},
    {OtaReason::headerLengthMismatch, "header length does not match the field-control bits"},
    {OtaReason::headerPastEnd, "header runs past the end of the file"},
    {OtaReason::noCompleteHeader, "no complete header"},
    {OtaReason::totalSizeMismatch, "total image size differs from the file size"},
    {OtaReason::bytesAfterTotalSize, "bytes after the total image size"},
    {OtaReason::containerCut, "container shorter than its fixed fields"},
    {OtaReason::containerFieldMismatch, "container field does not match the layout"},
    {OtaReason::containerSizeMismatch,
     "no OTA file of the container's size at the container's offset"},
    {OtaReason::containerBlockHashMismatch, "SHA-256 of a block differs from its stored hash"},
    {OtaReason::trailerCrc32, "CRC-32"},
    {OtaReason::trailerPaddedInvertedCrc32, "0xFF padding and inverted CRC-32"},
    {OtaReason::headerLengthOutsideFile, "no sub-elements: header length outside the file"},
    {OtaReason::subElementHeadCut, "sub-element head cut short by the end of the file"},
    {OtaReason::subElementPastEnd, "sub-element runs past the end of the file"},
    {OtaReason::noUpgradeImage, "no upgrade image"},
    {OtaReason::noCompleteUpgradeImage, "no complete upgrade image"},
    {OtaReason::foreignPayload, "payload without the image preamble"},
    {OtaReason::imageShorterThanPreamble, "upgrade image shorter than its preamble"},
    {OtaReason::preambleLengthMismatch, "preamble length differs from the sub-element length"},
    {OtaReason::preambleManufacturerMismatch, "preamble manufacturer code differs from the header"},
    {OtaReason::preambleImageTypeMismatch, "preamble image type differs from the header"},
    {OtaReason::preambleFileVersionMismatch, "preamble file version differs from the header"},
    {OtaReason::imageTooShortForCrc, "upgrade image too short for its CRC"},
    {OtaReason::crcMatchesNeitherOffset, "image CRC matches at neither offset 0x88 nor 0"},
    {OtaReason::crcMismatchAtZero, "image CRC at offset 0 does not match"},
    {OtaReason::crcMismatchAt0x88, "image CRC at offset 0x88 does not match"},
    {OtaReason::unsignedFile, "unsigned file"},
    {OtaReason::certificateWithoutSignature, "certificate without a signature"},
    {OtaReason::integrityCodeCheckedInstead, "the integrity code is last and is checked instead"},
    {OtaReason::signatureNotLast, "signature is not the last sub-element"},
    {OtaReason::signatureLengthNot50, "signature length is not 50"},
    {OtaReason::noCertificateBeforeSignature, "no certificate right before the signature"},
    {OtaReason::certificateLengthNot48, "certificate length is not 48"},
    {OtaReason::noIntegrityCode, "no integrity code"},
    {OtaReason::signatureCheckedInstead, "the signature is last and is checked instead"},
    {OtaReason::integrityCodeNotLast, "integrity code is not the last sub-element"},
    {OtaReason::integrityCodeLengthNot16, "integrity code length is not 16"},
    {OtaReason::fileTooLargeToHash, "file too large to hash"},
    {OtaReason::integrityCodeMismatch, "integrity code differs from the AES-MMO hash of the file"},
    {OtaReason::integrityCodeBeforeHead, "AES-MMO of the bytes before its head"},
    {OtaReason::integrityCodeWithHead, "AES-MMO of the bytes up to and including its head"},
    {OtaReason::integrityCodeShortPadding,
     "AES-MMO of the bytes before its head, short padding form"},
    {OtaReason::integrityCodeMisplaced,
     "misplaced: not the last sub-element, a signature follows; it covers the bytes before it"},
    {OtaReason::noSuite2Signature, "no crypto suite 2 signature"},
    {OtaReason::suite2LayoutMalformed,
     "not a certificate of 74 bytes, then a signature of 80 bytes, at the end of the file"},
    {OtaReason::suite2WithoutCertificate, "a signature of 80 bytes last, no certificate"},
    {OtaReason::suite2NotSect283k1,
     "its r and s lie outside [1, n-1] for sect283k1 in either byte order: not a sect283k1 "
     "signature"},
    {OtaReason::suite2WithoutCertificateNotSect283k1,
     "a signature of 80 bytes last, no certificate; its r and s lie outside [1, n-1] for "
     "sect283k1 in either byte order: not a sect283k1 signature"},
    {OtaReason::notAskedFor, "not asked for"},
    {OtaReason::fileNotSigned, "the file is not signed"},
    {OtaReason::signatureNotLastOfFile, "the signature is not the last sub-element of the file"},
    {OtaReason::signatureMismatch, "the signature does not match the key"},
    {OtaReason::certificateNotUnderCaKey,
     "the certificate does not give a public key under this CA key"},
    {OtaReason::suite2NeedsCertificate, "cannot be verified without the signer's certificate"},
    {OtaReason::keyOfOtherSuite, "the key is of the other crypto suite than the signature"},
    {OtaReason::notSect283k1Signature,
     "not a sect283k1 signature: r or s lies outside [1, n-1] in either byte order"},
    {OtaReason::certificateNotSuite2,
     "the certificate is not one for sect283k1 and AES-MMO (type 00, curve 0D, hash 08)"},
};
constexpr auto kLastReason = static_cast<std::size_t>(OtaReason::certificateNotSuite2);
static_assert(inEnumOrder(kReasonTexts) && std::size(kReasonTexts) == kLastReason + 1,
              "one text per reason, in OtaReason order");

constexpr Text<OtaTagKind> kTagKindNames[] = {
    {OtaTagKind::upgradeImage, "upgrade image"},
    {OtaTagKind::signatureSuite1, "ECDSA signature (crypto suite 1)"},
    {OtaTagKind::certificateSuite1, "ECDSA signing certificate (crypto suite 1)"},
    {OtaTagKind::integrityCode, "image integrity code"},
    {OtaTagKind::pictureData, "picture data"},
    {OtaTagKind::signatureSuite2, "ECDSA signature (crypto suite 2)"},
    {OtaTagKind::certificateSuite2, "ECDSA signing certificate (crypto suite 2)"},
    {OtaTagKind::manufacturerSpecific, "manufacturer specific"},
    {OtaTagKind::unknown, "unknown"},
};
static_assert(inEnumOrder(kTagKindNames) &&
                  std::size(kTagKindNames) == static_cast<std::size_t>(OtaTagKind::unknown) + 1,
              "one name per tag kind, in OtaTagKind order");

constexpr Text<OtaWrapKind> kWrapKindNames[] = {
    {OtaWrapKind::none, "none"},
    {OtaWrapKind::identifierPrefix, "prefix before the OTA file identifier"},
    {OtaWrapKind::lengthPrefix, "4-byte length prefix and 17-byte suffix"},
    {OtaWrapKind::signedContainer, "signed container with block hashes"},
};
static_assert(inEnumOrder(kWrapKindNames), "one name per wrapping, in OtaWrapKind order");

constexpr Text<OtaTrailerKind> kTrailerKindNames[] = {
    {OtaTrailerKind::none, "none"},
    {OtaTrailerKind::crc32, "CRC-32"},
    {OtaTrailerKind::paddedInvertedCrc32, "0xFF padding and inverted CRC-32"},
};
static_assert(inEnumOrder(kTrailerKindNames), "one name per trailer, in OtaTrailerKind order");

constexpr Text<OtaHeadlessKind> kHeadlessKindNames[] = {
    {OtaHeadlessKind::timestampedEncryptedImage, "encrypted image with a timestamped length header"},
    {OtaHeadlessKind::segmentedApplicationImage,
     "segmented application image, checksum and SHA-256 ok"},
    {OtaHeadlessKind::rawImageWithCrc16, "raw image with a CRC-16, CRC-16 ok"},
};
static_assert(inEnumOrder(kHeadlessKindNames), "one name per headless kind, in enum order");

}  // namespace

const char* otaWrapKindName(OtaWrapKind kind) { return lookUp(kWrapKindNames, kind); }

const char* otaTrailerKindName(OtaTrailerKind kind) { return lookUp(kTrailerKindNames, kind); }

const char* otaHeadlessKindName(OtaHeadlessKind kind) {
  return lookUp(kHeadlessKindNames, kind);
}

std::string otaCheckReasonText(const OtaCheck& check) {
  if (check.reason == OtaReason::bytesAfterTotalSize && check.hasValues &&
      check.found > check.expected) {
    const std::uint64_t count = check.found - check.expected;
    return std::to_string(count) + (count == 1 ? " byte after" : " bytes after") +
           " the total image size";
  }
  return otaReasonText(check.reason);
}

const char* otaCheckName(OtaCheckId id) { return lookUp(kCheckNames, id); }

const char* otaReasonText(OtaReason reason) { return lookUp(kReasonTexts, reason); }

const char* otaTagKindName(OtaTagKind kind) { return lookUp(kTagKindNames, kind); }

}  // namespace otawrap
