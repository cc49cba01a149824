#include "driver/info_command.h"

#include <fstream>
#include <vector>

#include "driver/info_format.h"
#include "ota/reader.h"

namespace otawrap {

namespace {

// Largest file --info reads; OTA files are far smaller.
constexpr std::streamoff kInfoFileLimit = std::streamoff{256} * 1024 * 1024;

// Reads the whole file; nullptr on success, else the error text.
const char* readWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return "Unable to open input file";
  }
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0) {
    return "Unable to open input file";
  }
  if (size > kInfoFileLimit) {
    return "Input file too large to inspect";
  }
  in.seekg(0, std::ios::beg);
  bytes.resize(static_cast<std::size_t>(size));
  if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size)) {
    return "Unable to open input file";
  }
  return nullptr;
}

}  // namespace

int runInfoCommand(const LongOptionArguments& arguments, std::ostream& out) {
  std::vector<std::uint8_t> bytes;
  const char* error = readWholeFile(arguments.file, bytes);
  if (error != nullptr) {
    out << "Error: " << error << std::flush;
    return 2;
  }
  const OtaFileInfo info = otaFileRead(bytes.data(), bytes.size());
  out << (arguments.json ? infoFormatJson(info, arguments.file)
                         : infoFormatText(info, arguments.file))
      << std::flush;
  return otaFileChecksPass(info) ? 0 : 2;
}

}  // namespace otawrap
