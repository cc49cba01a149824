// Which index entry each consumer would offer a device, and why, as the
// consumers' sources decide it.
//
// zigbee-herdsman (10.x, Device.findMatchingOtaImage and checkOta): the FIRST
// entry in index order whose imageType and manufacturerCode equal the
// device's; whose minFileVersion/maxFileVersion (each when present) hold the
// device's current file version; whose modelId, when present and not empty,
// equals the device's; whose manufacturerName list, when present, contains
// the device's (an empty list matches nothing); whose hardwareVersionMin/Max,
// when present, hold the device's hardware version (a device that reports none
// passes no such bound). That entry is offered when it has force or its
// fileVersion is above the device's; otherwise nothing is offered, even when a
// later entry would be newer.
//
// zigpy (0.53, the configurable update-URL provider and OtaManager): entries
// are keyed by (manufacturer, image type); a later entry of the same key
// replaces an earlier one. The one left is offered when its file version is
// above the device's and, when the device reports a hardware version and the
// downloaded file's header carries a range, the range holds it (the index
// carries no range; this simulation uses the entry's range when it has one).
//
// Pure code: no I/O, no printing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalog/index_entry.h"

namespace otawrap {

struct MatchDevice {
  std::uint16_t manufacturerCode = 0;
  std::uint16_t imageType = 0;
  std::uint32_t fileVersion = 0;
  std::optional<std::uint16_t> hardwareVersion;
  std::optional<std::string> modelId;
  std::optional<std::string> manufacturerName;
};

// Why an entry does not serve a device: the first test it fails, in the
// order the consumer makes them.
enum class MatchReason : std::uint8_t {
  matches,
  noIdentifiers,          // the entry lacks imageType, manufacturerCode or fileVersion
  imageType,
  manufacturerCode,
  belowMinFileVersion,
  aboveMaxFileVersion,
  modelId,
  manufacturerName,
  belowHardwareMin,       // or the device reports no hardware version
  aboveHardwareMax,       // or the device reports no hardware version
  replacedByLaterEntry,   // zigpy: a later entry has the same key
  shadowedByEarlierEntry, // herdsman: an earlier entry matched first
};

enum class MatchOutcome : std::uint8_t {
  offered,         // the chosen entry is offered
  notNewer,        // chosen, but its version is not above the device's (and no force)
  hardwareRange,   // zigpy: chosen, but the range refuses the device's hardware
  noEntry,         // nothing matches
};

struct MatchResult {
  MatchOutcome outcome = MatchOutcome::noEntry;
  std::size_t chosen = 0;            // valid unless outcome is noEntry
  std::vector<MatchReason> reasons;  // one per entry
};

// zigbee-herdsman's test of one entry against a device (shadowing aside).
MatchReason herdsmanEntryTest(const IndexEntry& entry, const MatchDevice& device);

MatchResult matchHerdsman(const std::vector<IndexEntry>& entries, const MatchDevice& device);
MatchResult matchZigpy(const std::vector<IndexEntry>& entries, const MatchDevice& device);

}  // namespace otawrap
