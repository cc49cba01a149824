#include "io/output.h"

#include <cstdio>

#include "codec/hex.h"
#include "io/file_system.h"

namespace otawrap {

std::string outputFileName(std::uint16_t manufacturerCode, std::uint16_t imageType,
                           std::uint32_t fileVersion) {
  std::string name;
  if (manufacturerCode == 0xFFFF) {
    name += '*';
  } else {
    name += hexUpper(manufacturerCode, 4);
  }
  name += '-';
  if (imageType == 0xFFFF) {
    name += '*';
  } else {
    name += hexUpper(imageType, 4);
  }
  name += '-';
  if (fileVersion == 0xFFFFFFFF) {
    name += '*';
  } else {
    name += hexUpper(fileVersion, 8);
  }
  name += ".zigbee";
  return name;
}

const char* outputWriteFile(const std::string& directory, const std::string& name,
                            const std::uint8_t* data, std::size_t size) {
  std::string temporary;
  std::FILE* file = fsCreateTemporary(directory, temporary);
  if (file == nullptr) {
    return "Unable to open output file";
  }
  bool written = std::fwrite(data, 1, size, file) == size;
  written = std::fflush(file) == 0 && written;
  written = written && fsSyncFile(file);  // the data is on the device before the rename
  written = std::fclose(file) == 0 && written;
  if (!written) {
    fsRemove(temporary);
    return "Unable to write output file";
  }
  if (!fsReplaceFile(temporary, directory + name)) {
    fsRemove(temporary);
    return "Unable to open output file";
  }
  // The rename is done; a failed directory sync means it may not survive a
  // power cut, which the caller must hear about.
  if (!fsSyncDirectory(directory)) {
    return "Unable to write output file";
  }
  return nullptr;
}

}  // namespace otawrap
