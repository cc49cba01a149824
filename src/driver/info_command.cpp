#include "driver/info_command.h"

namespace otawrap {

int runInfoCommand(const LongOptionArguments& arguments, std::ostream& out) {
  static_cast<void>(arguments);
  out << "Error: --info is not yet supported" << std::flush;
  return 2;
}

}  // namespace otawrap
