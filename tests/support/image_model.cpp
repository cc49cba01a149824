#include "support/image_model.h"

#include <algorithm>

namespace otawrap::test {

namespace {

bool dropped(int platform, std::uint32_t address) {
  if (platform == 1) return address >= 0xCA00 && address <= 0xFFFF;
  if (platform == 2) {
    return (address >= 0x3100 && address <= 0x31FF) || (address >= 0xE200 && address <= 0xFFFF);
  }
  return false;
}

void putLe(std::uint64_t value, int bytes, std::vector<std::uint8_t>& out, std::size_t at) {
  for (int i = 0; i < bytes; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint64_t getLe(const std::vector<std::uint8_t>& in, std::size_t at, int bytes) {
  std::uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | in[at + i];
  return value;
}

}  // namespace

std::uint16_t conventionalCrc16(const std::vector<std::uint8_t>& message) {
  std::uint32_t crc = 0;
  for (std::uint8_t byte : message) {
    crc ^= std::uint32_t{byte} << 8;
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 0x8000) ? ((crc << 1) ^ 0x1021) : (crc << 1);
      crc &= 0xFFFF;
    }
  }
  return static_cast<std::uint16_t>(crc);
}

std::uint16_t imageCrcByConventionalCrc(const std::vector<std::uint8_t>& message) {
  const std::size_t n = message.size();
  const std::vector<std::uint8_t> head(message.begin(), message.end() - 2);
  return static_cast<std::uint16_t>(conventionalCrc16(head) ^ (message[n - 2] << 8) ^ message[n - 1]);
}

std::optional<ModelImage> modelUpgradeImage(const RawFileLayout& layout, int platform,
                                            const ModelIdentifiers& given) {
  std::vector<std::uint8_t> packed;
  for (const RawDataRecord& record : layout.records) {
    for (std::size_t i = 0; i < record.data.size(); ++i) {
      if (!dropped(platform, static_cast<std::uint32_t>(record.address + i))) {
        packed.push_back(record.data[i]);
      }
    }
  }
  if (packed.size() < 100 + 0x98) return std::nullopt;
  packed.resize(packed.size() - 100);
  while (!packed.empty() && packed.back() == 0xFF) packed.pop_back();
  while ((packed.size() + 6) % 4 != 0) packed.push_back(0xFF);
  if (packed.size() < 0x98) return std::nullopt;

  ModelImage model{};
  putLe(packed.size(), 4, packed, 0x8C);
  if (given.manufacturerCode) putLe(*given.manufacturerCode, 2, packed, 0x90);
  if (given.imageType) putLe(*given.imageType, 2, packed, 0x92);
  if (given.fileVersion) putLe(*given.fileVersion, 4, packed, 0x94);
  model.manufacturerCode = static_cast<std::uint16_t>(getLe(packed, 0x90, 2));
  model.imageType = static_cast<std::uint16_t>(getLe(packed, 0x92, 2));
  model.fileVersion = static_cast<std::uint32_t>(getLe(packed, 0x94, 4));

  const std::size_t crcOffset = platform == 0 ? 0x88 : 0;
  std::vector<std::uint8_t> covered;
  for (std::size_t i = 0; i < packed.size(); ++i) {
    if (i < crcOffset || i >= crcOffset + 4) covered.push_back(packed[i]);
  }
  model.crc = imageCrcByConventionalCrc(covered);
  putLe(model.crc, 2, packed, crcOffset);
  putLe(0xFFFF, 2, packed, crcOffset + 2);
  model.image = std::move(packed);
  return model;
}

std::vector<std::uint8_t> modelOtaFile(const ModelImage& image) {
  const std::size_t total = 56 + 6 + image.image.size();
  std::vector<std::uint8_t> file(total, 0);
  putLe(0x0BEEF11E, 4, file, 0);
  putLe(0x0100, 2, file, 4);
  putLe(56, 2, file, 6);
  putLe(image.manufacturerCode, 2, file, 10);
  putLe(image.imageType, 2, file, 12);
  putLe(image.fileVersion, 4, file, 14);
  putLe(2, 2, file, 18);
  putLe(total, 4, file, 52);
  putLe(image.image.size(), 4, file, 58);  // tag 0x0000 at 56 stays zero
  std::copy(image.image.begin(), image.image.end(), file.begin() + 62);
  return file;
}

}  // namespace otawrap::test
