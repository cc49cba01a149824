// otawrap lint INDEX.json [--files DIR] [--json]: the findings on an OTA
// index and the files it lists (catalog/index_lint.h says which).
#pragma once

#include <string>

#include "app/command.h"
#include "app/ota_input.h"

namespace otawrap {

struct LintOptions {
  std::string index;
  std::string filesDirectory;  // where files behind relative and http(s) urls are; "" none given
  bool json = false;           // one JSON object per finding and line
  // The files are judged as every command judges them; a FIFO or device
  // named by an entry is not a file of the index and is not opened.
  OtaInputOptions input{{}, true, DashInput::fileName, InputKind::regularFile};
};

// The definition. The run prints one line per finding (nothing when there is none)
// and exits 0 when there is none, 1 when there are, 2 when the index cannot
// be read or is not an index, or standard output is lost. A relative url
// names a file under --files DIR, else beside the index; an http(s) url's last
// path segment (percent-decoded) names a file under --files DIR, and without
// it the file is not looked at.
const CommandDefinition<LintOptions>& lintDefinition();
const Command& lintCommand();

}  // namespace otawrap
