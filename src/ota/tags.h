// Sub-element tags of the ZigBee OTA Upgrade file: every standard tag, the
// manufacturer-specific range, and the kind of each. Pure lookups; nothing
// fails. Their names are the command layer's (report/check_texts.h).
#pragma once

#include <cstdint>

namespace otawrap {

// Tags beyond the three in ota/header.h (0x0000 upgrade image, 0x0001 and
// 0x0002 signature and certificate of crypto suite 1).
inline constexpr std::uint16_t kOtaTagIntegrityCode = 0x0003;
inline constexpr std::uint16_t kOtaTagPictureData = 0x0004;
inline constexpr std::uint16_t kOtaTagSignatureSuite2 = 0x0005;
inline constexpr std::uint16_t kOtaTagCertificateSuite2 = 0x0006;
// 0xF000..0xFFFF belong to the manufacturer.
inline constexpr std::uint16_t kOtaTagManufacturerFirst = 0xF000;

enum class OtaTagKind : std::uint8_t {
  upgradeImage,
  signatureSuite1,
  certificateSuite1,
  integrityCode,
  pictureData,
  signatureSuite2,
  certificateSuite2,
  manufacturerSpecific,
  unknown,  // 0x0007..0xEFFF
};

OtaTagKind otaTagKind(std::uint16_t tag);

}  // namespace otawrap
