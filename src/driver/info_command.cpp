#include "driver/info_command.h"

#include <vector>

#include "driver/info_format.h"
#include "driver/input_file.h"
#include "ota/reader.h"

namespace otawrap {

namespace {

// Largest file --info reads; OTA files are far smaller.
constexpr std::size_t kInfoFileLimit = std::size_t{256} * 1024 * 1024;

}  // namespace

int runInfoCommand(const LongOptionArguments& arguments, std::ostream& out) {
  std::vector<std::uint8_t> bytes;
  const InputFileStatus status = inputFileReadAll(arguments.file, kInfoFileLimit, bytes);
  if (status != InputFileStatus::ok) {
    out << "Error: "
        << (status == InputFileStatus::tooLarge ? "Input file too large to inspect"
                                                : "Unable to open input file")
        << std::flush;
    return 2;
  }
  const OtaFileInfo info = otaFileRead(bytes.data(), bytes.size());
  out << (arguments.json ? infoFormatJson(info, arguments.file)
                         : infoFormatText(info, arguments.file))
      << std::flush;
  return otaFileChecksPass(info) ? 0 : 2;
}

}  // namespace otawrap
