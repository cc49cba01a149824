#include "image/platform.h"

#include <cstring>

namespace otawrap {

namespace {

constexpr AddressRange kFenBoardDropped[] = {{0xCA00, 0x10000}};
constexpr AddressRange kMarshDevDropped[] = {{0x3100, 0x3200}, {0xE200, 0x10000}};

}  // namespace

DroppedRanges platformDroppedRanges(Platform platform) {
  switch (platform) {
    case Platform::fenBoard:
      return {kFenBoardDropped, 1};
    case Platform::marshDev:
      return {kMarshDevDropped, 2};
    case Platform::quillDev:
      break;
  }
  return {nullptr, 0};
}

int platformDropsAddress(Platform platform, std::uint32_t address) {
  const DroppedRanges dropped = platformDroppedRanges(platform);
  for (int i = 0; i < dropped.count; ++i) {
    if (address >= dropped.ranges[i].begin && address < dropped.ranges[i].end) {
      return 1;
    }
  }
  return 0;
}

std::uint64_t platformRunLength(Platform platform, std::uint32_t address, std::uint64_t limit,
                                bool& dropped) {
  // The next address at which the drop status may change: a range edge above
  // address, or the top of the address space.
  std::uint64_t boundary = 0x100000000ULL;
  dropped = false;
  const DroppedRanges ranges = platformDroppedRanges(platform);
  for (int i = 0; i < ranges.count; ++i) {
    const AddressRange& r = ranges.ranges[i];
    if (address >= r.begin && address < r.end) {
      dropped = true;
      boundary = r.end;
      break;
    }
    if (address < r.begin) {
      boundary = r.begin;
      break;
    }
  }
  const std::uint64_t run = boundary - address;
  return run < limit ? run : limit;
}

std::uint32_t platformCrcOffset(Platform platform) {
  return platform == Platform::quillDev ? 0x88 : 0;
}

bool platformFromName(const char* name, Platform& platform) {
  for (const PlatformName& p : kPlatformNames) {
    if (std::strcmp(name, p.name) == 0) {
      platform = p.platform;
      return true;
    }
  }
  return false;
}

const char* platformName(Platform platform) {
  for (const PlatformName& p : kPlatformNames) {
    if (p.platform == platform) return p.name;
  }
  return kPlatformNames[0].name;
}

}  // namespace otawrap
