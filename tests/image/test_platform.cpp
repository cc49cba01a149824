// Platform drop ranges: the run-length walk against a per-address check with
// the literal range edges.
#include <gtest/gtest.h>

#include "image/platform.h"

namespace otawrap {
namespace {

bool droppedByDefinition(Platform platform, std::uint32_t a) {
  switch (platform) {
    case Platform::fenBoard:
      return a >= 0xCA00 && a <= 0xFFFF;
    case Platform::marshDev:
      return (a >= 0x3100 && a <= 0x31FF) || (a >= 0xE200 && a <= 0xFFFF);
    case Platform::quillDev:
      break;
  }
  return false;
}

constexpr Platform kPlatforms[] = {Platform::quillDev, Platform::fenBoard, Platform::marshDev};

TEST(Platform, EdgesOfEveryRange) {
  const std::uint32_t addresses[] = {0,      0x30FF, 0x3100, 0x31FF, 0x3200, 0xC9FF,  0xCA00,
                                     0xE1FF, 0xE200, 0xFFFF, 0x10000, 0x1CA00, 0xFFFFFFFF};
  for (Platform p : kPlatforms) {
    for (std::uint32_t a : addresses) {
      EXPECT_EQ(platformDropsAddress(p, a) == 1, droppedByDefinition(p, a))
          << static_cast<int>(p) << " " << std::hex << a;
    }
  }
}

TEST(Platform, RunLengthsCoverAddressesWithOneStatus) {
  // Walk from just below each edge in runs; every address of a run must have
  // the run's status, and the run must stop where the status changes.
  const std::uint32_t starts[] = {0x3000, 0xC900, 0xE100, 0xFF00, 0xFFFFFF00};
  for (Platform p : kPlatforms) {
    for (std::uint32_t start : starts) {
      std::uint32_t address = start;
      std::uint64_t left = 0x300;
      while (left > 0) {
        bool dropped = true;
        const std::uint64_t run = platformRunLength(p, address, left, dropped);
        ASSERT_GE(run, 1u);
        ASSERT_LE(run, left);
        for (std::uint64_t i = 0; i < run; ++i) {
          ASSERT_EQ(droppedByDefinition(p, static_cast<std::uint32_t>(address + i)), dropped);
        }
        const std::uint64_t next = std::uint64_t{address} + run;
        if (run < left && next <= 0xFFFFFFFF) {
          ASSERT_NE(droppedByDefinition(p, static_cast<std::uint32_t>(next)), dropped);
        }
        ASSERT_LE(next, 0x100000000ULL) << "a run must not wrap";
        address = static_cast<std::uint32_t>(next);
        left -= run;
      }
    }
  }
}

TEST(Platform, CrcOffsets) {
  EXPECT_EQ(platformCrcOffset(Platform::quillDev), 0x88u);
  EXPECT_EQ(platformCrcOffset(Platform::fenBoard), 0u);
  EXPECT_EQ(platformCrcOffset(Platform::marshDev), 0u);
}

}  // namespace
}  // namespace otawrap
