// Sub-element tags of the ZigBee OTA Upgrade file: every standard tag, the
// manufacturer-specific range, and the kind of each. Pure lookups; nothing
// fails. Their names are the command layer's (report/check_texts.h).
#pragma once

#include <cstdint>

#include "ota/format.h"

namespace otawrap {

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
