#include "windows/case_writer.h"

#include <cstdio>
#include <filesystem>

namespace otawrap::test::cases {

std::string CaseWriter::sparseInput(const std::string& name, const std::string& head,
                                    std::uint64_t size) {
  std::string path = input(name, head);
  std::error_code error;
  std::filesystem::resize_file(dir_ + "/in/" + name, size, error);
  ok_ = !error && ok_;
  return path;
}

Bytes raw(std::uint32_t seed, std::size_t dataBytes, std::uint16_t manufacturer, std::uint16_t type,
          std::uint32_t version, bool trailer) {
  otawrap::test::RawGeneratorOptions options;
  options.seed = seed;
  options.dataBytes = dataBytes;
  options.manufacturerCode = manufacturer;
  options.imageType = type;
  options.fileVersion = version;
  options.trailingRecords = trailer;
  return otawrap::test::rawFileBytes(otawrap::test::generateRawFile(options));
}

std::string hex(std::uint64_t value, int digits) {
  char text[20];
  static_cast<void>(
      std::snprintf(text, sizeof text, "%0*llX", digits, static_cast<unsigned long long>(value)));
  return text;
}

}  // namespace otawrap::test::cases
