// The recognisers and checks behind payloadIdentify and payloadCheck, one
// pair per format, grouped by file: tagged containers (tagged_images.cpp),
// application images with a header (app_images.cpp), the compressed streams
// (xz_stream.cpp, zlib_stream.cpp), and the trailer rule (trailers.cpp). Each
// reads only payload[0..size). A format's check returns ok with the end of
// the format's own bytes; payloadCheck judges what follows.
#pragma once

#include <cstddef>
#include <cstdint>

#include "payload/payload.h"

namespace otawrap::payload_detail {

inline constexpr PayloadTrailer kNoTrailer{PayloadTrailerKind::none, false, 0, 0};

constexpr PayloadCheck ok(std::size_t end) {
  return {PayloadVerdict::ok, PayloadReason::none, end, kNoTrailer, 0, PayloadVerdict::ok};
}
constexpr PayloadCheck fail(PayloadReason reason) {
  return {PayloadVerdict::failed, reason, 0, kNoTrailer, 0, PayloadVerdict::failed};
}
constexpr PayloadCheck notCheckable(PayloadReason reason) {
  return {PayloadVerdict::notCheckable, reason, 0, kNoTrailer, 0, PayloadVerdict::notCheckable};
}
inline constexpr PayloadCheck kOverBudget = notCheckable(PayloadReason::workBudget);

// Budget units per byte: a table CRC-32, Adler-32 or XOR pass costs about
// 1 ns a byte here, SHA-256 about 5, a CRC-32 residue looked for after
// every byte about 3 (bench/bench_payload.cpp).
inline constexpr std::uint64_t kByteCost = 1;
inline constexpr std::uint64_t kSha256ByteCost = 5;
inline constexpr std::uint64_t kResidueScanByteCost = 3;

// True when count bytes are all 0xFF or all 0x00 (or count is 0).
bool isFill(const std::uint8_t* bytes, std::size_t count);

PayloadCheck checkGbl(const std::uint8_t* payload, std::size_t size, PayloadBudget& budget);
PayloadCheck checkEbl(const std::uint8_t* payload, std::size_t size, PayloadBudget& budget);
PayloadCheck checkFb05Head(const std::uint8_t* payload, std::size_t size, PayloadBudget& budget);

bool isSegmentedApp(const std::uint8_t* payload, std::size_t size);
PayloadCheck checkSegmentedApp(const std::uint8_t* payload, std::size_t size,
                               PayloadBudget& budget);
bool isKnltImage(const std::uint8_t* payload, std::size_t size);
PayloadCheck checkKnltImage(const std::uint8_t* payload, std::size_t size, PayloadBudget& budget);
bool isVectorTable(const std::uint8_t* payload, std::size_t size);
PayloadCheck checkVectorTable(const std::uint8_t* payload, std::size_t size);
bool isImagePreamble(const std::uint8_t* payload, std::size_t size, const PayloadContext& context);
PayloadCheck checkImagePreamble(const std::uint8_t* payload, std::size_t size,
                                PayloadBudget& budget);
bool isHeadedVectorTable(const std::uint8_t* payload, std::size_t size);
bool isTlvWrapper(const std::uint8_t* payload, std::size_t size);
bool isCborMultiImage(const std::uint8_t* payload, std::size_t size);

PayloadCheck checkXzStream(const std::uint8_t* payload, std::size_t size, PayloadBudget& budget);
bool isZlibStream(const std::uint8_t* payload, std::size_t size);
PayloadCheck checkZlibStream(const std::uint8_t* payload, std::size_t size, PayloadBudget& budget);

}  // namespace otawrap::payload_detail
