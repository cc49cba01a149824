#include "ota/tags.h"

#include "ota/header.h"

namespace otawrap {

OtaTagKind otaTagKind(std::uint16_t tag) {
  if (tag >= kOtaTagManufacturerFirst) {
    return OtaTagKind::manufacturerSpecific;
  }
  switch (tag) {
    case kOtaTagUpgradeImage:
      return OtaTagKind::upgradeImage;
    case kOtaTagSignature:
      return OtaTagKind::signatureSuite1;
    case kOtaTagCertificate:
      return OtaTagKind::certificateSuite1;
    case kOtaTagIntegrityCode:
      return OtaTagKind::integrityCode;
    case kOtaTagPictureData:
      return OtaTagKind::pictureData;
    case kOtaTagSignatureSuite2:
      return OtaTagKind::signatureSuite2;
    case kOtaTagCertificateSuite2:
      return OtaTagKind::certificateSuite2;
    default:
      return OtaTagKind::unknown;
  }
}

const char* otaTagKindName(OtaTagKind kind) {
  switch (kind) {
    case OtaTagKind::upgradeImage:
      return "upgrade image";
    case OtaTagKind::signatureSuite1:
      return "ECDSA signature (crypto suite 1)";
    case OtaTagKind::certificateSuite1:
      return "ECDSA signing certificate (crypto suite 1)";
    case OtaTagKind::integrityCode:
      return "image integrity code";
    case OtaTagKind::pictureData:
      return "picture data";
    case OtaTagKind::signatureSuite2:
      return "ECDSA signature (crypto suite 2)";
    case OtaTagKind::certificateSuite2:
      return "ECDSA signing certificate (crypto suite 2)";
    case OtaTagKind::manufacturerSpecific:
      return "manufacturer specific";
    case OtaTagKind::unknown:
      break;
  }
  return "unknown";
}

}  // namespace otawrap
