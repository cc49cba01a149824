// Naming and writing the output file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace otawrap {

// "MMMM-TTTT-VVVVVVVV.zigbee": upper-case hexadecimal identifiers, each one "*"
// when all its bits are set.
std::string outputFileName(std::uint16_t manufacturerCode, std::uint16_t imageType,
                           std::uint32_t fileVersion);

// Writes data[0..size-1] to directory + name: into a new temporary file in the
// same directory first, synced to the device, then renamed over the target,
// so the target is either replaced whole or left as it was; the directory is
// synced after the rename. Returns nullptr on success, else the error text; on
// failure no temporary file is left. The one failure after the target was
// replaced is a failed directory sync ("Unable to write output file"): the
// new file is complete but its name may not be durable yet.
const char* outputWriteFile(const std::string& directory, const std::string& name,
                            const std::uint8_t* data, std::size_t size);

}  // namespace otawrap
