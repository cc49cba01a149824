// Hardware platforms: which firmware address ranges each one leaves out of the
// image, and where it keeps the image CRC.
#pragma once

#include <cstdint>

namespace otawrap {

enum class Platform : std::uint8_t {
  quillDev = 0,  // "QUILLDEV", the default
  fenBoard = 1,  // "FENBOARD"
  marshDev = 2,  // "MARSHDEV"
};

// The platforms' names, in capitals, as the command lines spell them.
struct PlatformName {
  const char* name;
  Platform platform;
};

inline constexpr PlatformName kPlatformNames[] = {
    {"QUILLDEV", Platform::quillDev},
    {"MARSHDEV", Platform::marshDev},
    {"FENBOARD", Platform::fenBoard},
};

// The platform named exactly name (capitals); false when none is.
bool platformFromName(const char* name, Platform& platform);

// The platform's name in capitals.
const char* platformName(Platform platform);

// Half-open address range [begin, end) whose bytes are read but not kept.
struct AddressRange {
  std::uint32_t begin;
  std::uint32_t end;
};

// The dropped ranges of a platform, ascending and disjoint; count is 0 to 2.
struct DroppedRanges {
  const AddressRange* ranges;
  int count;
};

DroppedRanges platformDroppedRanges(Platform platform);

// 1 if the platform drops the byte at address, else 0.
int platformDropsAddress(Platform platform, std::uint32_t address);

// Number of consecutive addresses from address upwards (at most limit, without
// wrapping past 0xFFFFFFFF) that share the drop status of address; sets dropped
// to that status. Returns at least 1 when limit is at least 1.
std::uint64_t platformRunLength(Platform platform, std::uint32_t address, std::uint64_t limit,
                                bool& dropped);

// Image offset of the 16-bit CRC: 0x88 for QUILLDEV, 0 for the others.
std::uint32_t platformCrcOffset(Platform platform);

}  // namespace otawrap
