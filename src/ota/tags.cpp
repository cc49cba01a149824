#include "ota/tags.h"

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

}  // namespace otawrap
