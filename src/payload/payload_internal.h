// The recognisers and checks behind payloadIdentify and payloadCheck, one
// pair per format, grouped by file: tagged containers (tagged_images.cpp),
// application images with a header (app_images.cpp), the compressed streams
// (xz_stream.cpp, zlib_stream.cpp). Each reads only payload[0..size).
#pragma once

#include <cstddef>
#include <cstdint>

#include "payload/payload.h"

namespace otawrap::payload_detail {

inline constexpr PayloadCheck kOk{PayloadVerdict::ok, PayloadReason::none};

constexpr PayloadCheck fail(PayloadReason reason) { return {PayloadVerdict::failed, reason}; }
constexpr PayloadCheck notCheckable(PayloadReason reason) {
  return {PayloadVerdict::notCheckable, reason};
}

// Padding a format may leave after its end, up to a flash page's alignment:
// fewer than 4096 bytes, all 0xFF or all 0x00.
inline constexpr std::size_t kPaddingLimit = 4096;
bool isPadding(const std::uint8_t* bytes, std::size_t count);

// ok when payload[end..size) is padding, else trailingBytes.
PayloadCheck endsWithPadding(const std::uint8_t* payload, std::size_t size, std::size_t end);

PayloadCheck checkGbl(const std::uint8_t* payload, std::size_t size);
PayloadCheck checkEbl(const std::uint8_t* payload, std::size_t size);
PayloadCheck checkFb05Head(const std::uint8_t* payload, std::size_t size);

bool isSegmentedApp(const std::uint8_t* payload, std::size_t size);
PayloadCheck checkSegmentedApp(const std::uint8_t* payload, std::size_t size);
bool isKnltImage(const std::uint8_t* payload, std::size_t size);
PayloadCheck checkKnltImage(const std::uint8_t* payload, std::size_t size);
bool isVectorTable(const std::uint8_t* payload, std::size_t size);
PayloadCheck checkVectorTable(const std::uint8_t* payload, std::size_t size);
PayloadCheck checkOadImage(const std::uint8_t* payload, std::size_t size);
bool isImagePreamble(const std::uint8_t* payload, std::size_t size, const PayloadContext& context);
PayloadCheck checkImagePreamble(const std::uint8_t* payload, std::size_t size);
bool isHeadedVectorTable(const std::uint8_t* payload, std::size_t size);
bool isTlvWrapper(const std::uint8_t* payload, std::size_t size);
bool isCborMultiImage(const std::uint8_t* payload, std::size_t size);

PayloadCheck checkXzStream(const std::uint8_t* payload, std::size_t size);
bool isZlibStream(const std::uint8_t* payload, std::size_t size);
PayloadCheck checkZlibStream(const std::uint8_t* payload, std::size_t size);

}  // namespace otawrap::payload_detail
