#include "driver/verify_command.h"

namespace otawrap {

int runVerifyCommand(const LongOptionArguments& arguments, std::ostream& out) {
  static_cast<void>(arguments);
  out << "Error: Signature verification is not yet supported" << std::flush;
  return 2;
}

}  // namespace otawrap
