#include "ota/chain.h"

#include <vector>

#include "codec/bytes.h"
#include "ota/format.h"

namespace otawrap {

namespace {

// The sub-element at `at` with a 6-byte head, if it fits before end.
std::optional<OtaSubElement> shortHead(const std::uint8_t* file, std::size_t at, std::size_t end) {
  if (end - at < kOtaSubElementHeadSize) return std::nullopt;
  const std::uint32_t length = loadLittle32(file + at + 2);
  if (length > end - at - kOtaSubElementHeadSize) return std::nullopt;
  return OtaSubElement{loadLittle16(file + at), at, length,
                       static_cast<std::uint8_t>(kOtaSubElementHeadSize), {0, 0}};
}

// The encrypted element at `at` with its 8-byte head, if it is one and fits.
std::optional<OtaSubElement> longHead(const std::uint8_t* file, std::size_t at, std::size_t end) {
  if (end - at < kOtaLongHeadSize || loadLittle16(file + at) != kOtaTagLongHeadElement) {
    return std::nullopt;
  }
  const std::uint32_t length = loadLittle32(file + at + 2);
  const std::uint8_t first = file[at + 6];
  const std::uint8_t tail = file[at + 7];
  if (first != kOtaLongHeadFirstInfo || tail >= kOtaLongHeadTailLimit ||
      length % kOtaLongHeadLengthMultiple != 0 || length > end - at - kOtaLongHeadSize) {
    return std::nullopt;
  }
  return OtaSubElement{kOtaTagLongHeadElement, at, length,
                       static_cast<std::uint8_t>(kOtaLongHeadSize), {first, tail}};
}

std::size_t after(const OtaSubElement& e) { return e.dataOffset() + e.length; }

struct GreedyWalk {
  std::size_t stop;       // where the first element that does not fit starts, or end
  OtaCheck failure;       // why it stopped short
  bool sawLongHeadTag;    // a 0xF000 lies on the way: another tiling may exist
};

GreedyWalk walkShortHeads(const std::uint8_t* file, std::size_t start, std::size_t end) {
  GreedyWalk walk{start, OtaCheck::passed(), false};
  std::size_t at = start;
  while (at < end) {
    if (end - at < kOtaSubElementHeadSize) {
      walk.stop = at;
      walk.failure = OtaCheck::failed(OtaReason::subElementHeadCut, at + kOtaSubElementHeadSize, end);
      return walk;
    }
    if (loadLittle16(file + at) == kOtaTagLongHeadElement) walk.sawLongHeadTag = true;
    const std::optional<OtaSubElement> e = shortHead(file, at, end);
    if (!e) {
      walk.stop = at;
      walk.failure = OtaCheck::failed(
          OtaReason::subElementPastEnd,
          std::uint64_t{at} + kOtaSubElementHeadSize + loadLittle32(file + at + 2), end);
      return walk;
    }
    at = after(*e);
  }
  walk.stop = end;
  return walk;
}

// tiles[i]: file[start + i..end) has a tiling where 0xF000 may take either
// head. Filled from the end backwards, one bit per byte.
std::vector<bool> tilingsToEnd(const std::uint8_t* file, std::size_t start, std::size_t end) {
  std::vector<bool> tiles(end - start + 1, false);
  tiles[end - start] = true;
  for (std::size_t at = end; at-- > start;) {
    const std::optional<OtaSubElement> s = shortHead(file, at, end);
    const std::optional<OtaSubElement> l = longHead(file, at, end);
    tiles[at - start] = (s && tiles[after(*s) - start]) || (l && tiles[after(*l) - start]);
  }
  return tiles;
}

}  // namespace

OtaChainResult otaChainWalk(const std::uint8_t* file, std::size_t start, std::size_t end,
                            const OtaHeader& header,
                            const std::function<void(const OtaSubElement&)>& onElement) {
  const GreedyWalk greedy = walkShortHeads(file, start, end);
  if (greedy.stop != end && greedy.sawLongHeadTag) {
    const std::vector<bool> tiles = tilingsToEnd(file, start, end);
    if (tiles[0]) {
      // Short heads wherever they still lead to the end.
      for (std::size_t at = start; at < end;) {
        const std::optional<OtaSubElement> s = shortHead(file, at, end);
        const OtaSubElement e = s && tiles[after(*s) - start] ? *s : *longHead(file, at, end);
        onElement(e);
        at = after(e);
      }
      return {OtaCheck::passed(), std::nullopt};
    }
  }
  std::optional<OtaSubElement> previous;
  for (std::size_t at = start; at < greedy.stop;) {
    const OtaSubElement e = *shortHead(file, at, end);
    onElement(e);
    previous = e;
    at = after(e);
  }
  if (greedy.stop == end) return {OtaCheck::passed(), std::nullopt};
  const std::optional<OtaHeadlessPayload> headless = otaHeadlessPayloadFind(
      file, greedy.stop, end, header, previous ? &*previous : nullptr);
  if (headless) return {OtaCheck::passed(), headless};
  return {greedy.failure, std::nullopt};
}

}  // namespace otawrap
