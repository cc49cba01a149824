#include "catalog/index_match.h"

#include <algorithm>

namespace otawrap {

MatchReason herdsmanEntryTest(const IndexEntry& e, const MatchDevice& d) {
  if (!e.imageType || !e.manufacturerCode || !e.fileVersion) return MatchReason::noIdentifiers;
  if (*e.imageType != d.imageType) return MatchReason::imageType;
  if (*e.manufacturerCode != d.manufacturerCode) return MatchReason::manufacturerCode;
  if (e.minFileVersion && d.fileVersion < *e.minFileVersion) return MatchReason::belowMinFileVersion;
  if (e.maxFileVersion && d.fileVersion > *e.maxFileVersion) return MatchReason::aboveMaxFileVersion;
  if (e.modelId && !e.modelId->empty() && (!d.modelId || *d.modelId != *e.modelId)) {
    return MatchReason::modelId;
  }
  if (e.manufacturerNames) {
    const auto& names = *e.manufacturerNames;
    if (!d.manufacturerName ||
        std::find(names.begin(), names.end(), *d.manufacturerName) == names.end()) {
      return MatchReason::manufacturerName;
    }
  }
  if (e.hardwareVersionMin && (!d.hardwareVersion || *d.hardwareVersion < *e.hardwareVersionMin)) {
    return MatchReason::belowHardwareMin;
  }
  if (e.hardwareVersionMax && (!d.hardwareVersion || *d.hardwareVersion > *e.hardwareVersionMax)) {
    return MatchReason::aboveHardwareMax;
  }
  return MatchReason::matches;
}

MatchResult matchHerdsman(const std::vector<IndexEntry>& entries, const MatchDevice& device) {
  MatchResult result;
  bool found = false;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    MatchReason reason = herdsmanEntryTest(entries[i], device);
    if (reason == MatchReason::matches) {
      if (found) {
        reason = MatchReason::shadowedByEarlierEntry;
      } else {
        found = true;
        result.chosen = i;
      }
    }
    result.reasons.push_back(reason);
  }
  if (found) {
    const IndexEntry& e = entries[result.chosen];
    result.outcome = e.force || device.fileVersion < *e.fileVersion ? MatchOutcome::offered
                                                                    : MatchOutcome::notNewer;
  }
  return result;
}

MatchResult matchZigpy(const std::vector<IndexEntry>& entries, const MatchDevice& device) {
  MatchResult result;
  bool found = false;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const IndexEntry& e = entries[i];
    MatchReason reason = MatchReason::matches;
    if (!e.imageType || !e.manufacturerCode || !e.fileVersion) {
      reason = MatchReason::noIdentifiers;
    } else if (*e.imageType != device.imageType) {
      reason = MatchReason::imageType;
    } else if (*e.manufacturerCode != device.manufacturerCode) {
      reason = MatchReason::manufacturerCode;
    } else {
      // The later entry of a key replaces the earlier one.
      if (found) result.reasons[result.chosen] = MatchReason::replacedByLaterEntry;
      found = true;
      result.chosen = i;
    }
    result.reasons.push_back(reason);
  }
  if (!found) return result;
  const IndexEntry& e = entries[result.chosen];
  if (device.fileVersion >= *e.fileVersion) {
    result.outcome = MatchOutcome::notNewer;
  } else if (device.hardwareVersion && e.hardwareVersionMin && e.hardwareVersionMax &&
             (*device.hardwareVersion < *e.hardwareVersionMin ||
              *device.hardwareVersion > *e.hardwareVersionMax)) {
    result.outcome = MatchOutcome::hardwareRange;
  } else {
    result.outcome = MatchOutcome::offered;
  }
  return result;
}

}  // namespace otawrap
