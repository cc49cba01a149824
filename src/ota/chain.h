// The sub-element chain: one walk that tiles the bytes from the header's end
// to the end of the OTA file with sub-elements. Heads are 6 bytes; only where
// no such tiling exists may an encrypted element (tag 0xF000) have its
// 8-byte head, and then the tiling must end exactly at the end. Where no
// tiling exists at all, the bytes behind the header or behind the last
// well-formed sub-element may be a headless payload (ota/headless.h). Reads
// only file[start..end).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

#include "ota/check_result.h"
#include "ota/header.h"
#include "ota/headless.h"

namespace otawrap {

struct OtaChainResult {
  OtaCheck check;  // passed when sub-elements, and perhaps a headless payload, fill it all
  std::optional<OtaHeadlessPayload> headless;
};

// Walks file[start..end) and hands every complete sub-element, in file
// order, to onElement: on failure those before the first that does not fit.
// Requires start <= end.
OtaChainResult otaChainWalk(const std::uint8_t* file, std::size_t start, std::size_t end,
                            const OtaHeader& header,
                            const std::function<void(const OtaSubElement&)>& onElement);

}  // namespace otawrap
