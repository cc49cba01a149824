// otawrap match INDEX.json --manufacturer M --image-type T --file-version V
// [--hardware-version H] [--model-id X] [--manufacturer-name Y]: which entry
// each consumer would offer that device, and why (catalog/index_match.h has the
// rules).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "catalog/index_match.h"
#include "app/command.h"

namespace otawrap {

struct MatchOptions {
  std::string index;
  MatchDevice device;
  bool manufacturerGiven = false;
  bool imageTypeGiven = false;
  bool fileVersionGiven = false;
};

// The definition. The run prints, for the consumer that reads the index's format,
// the entry it offers (or why none), then one line per entry saying why it is
// or is not the one; the other consumer gets one line saying it does not read
// that format. Exits 0 when an entry is offered, 1 when none is, 2 when the
// index cannot be read or is not an index, or standard output is lost.
const CommandDefinition<MatchOptions>& matchDefinition();
const Command& matchCommand();

}  // namespace otawrap
