#include "ota/file_entries.h"

#include <algorithm>

#include "codec/bytes.h"
#include "codec/hex.h"
#include "sign/sha512.h"

namespace otawrap {

std::optional<OtaSubElement> otaFindSubElement(const std::uint8_t* file, const OtaFileInfo& info,
                                               std::uint16_t tag) {
  for (const OtaSubElement& e : info.subElements) {
    if (e.tag == tag) return e;
  }
  // Past the listed part the chain goes on in 6-byte heads, as it was tiled.
  if (info.subElementCount <= info.subElements.size() || info.subElements.empty()) {
    return std::nullopt;
  }
  const OtaSubElement& last = info.subElements.back();
  if (last.headSize != kOtaSubElementHeadSize) return std::nullopt;
  std::size_t offset = last.dataOffset() + last.length;
  while (offset <= info.fileSize && info.fileSize - offset >= kOtaSubElementHeadSize) {
    OtaSubElement element{};
    element.tag = loadLittle16(file + offset);
    element.offset = offset;
    element.length = loadLittle32(file + offset + 2);
    element.headSize = static_cast<std::uint8_t>(kOtaSubElementHeadSize);
    if (element.length > info.fileSize - offset - kOtaSubElementHeadSize) break;
    if (element.tag == tag) return element;
    offset += kOtaSubElementHeadSize + element.length;
  }
  return std::nullopt;
}

std::string otaSubElementFileName(std::size_t index, std::uint16_t tag) {
  std::string number = std::to_string(index);
  if (number.size() < 2) number.insert(0, 1, '0');
  return number + "-" + hexUpper(tag, 4) + ".bin";
}

OtaIndexEntry otaIndexEntry(const std::uint8_t* data, std::size_t size, const OtaFileInfo& info,
                            const std::string& fileName, const std::string& url) {
  OtaIndexEntry entry{};
  entry.fileName = fileName;
  entry.url = url;
  entry.fileSize = size;
  entry.fileVersion = info.header.fileVersion;
  entry.manufacturerCode = info.header.manufacturerCode;
  entry.imageType = info.header.imageType;
  std::uint8_t digest[sha512DigestSize];
  sha512Hash(data, size, digest);
  entry.sha512 = hexLowerOctets(digest, sizeof digest);
  const auto& text = info.header.headerString;
  const auto textEnd = std::find(text.begin(), text.end(), 0);
  entry.otaHeaderString.assign(text.begin(), textEnd);
  entry.headerStringPresent = !entry.otaHeaderString.empty();
  entry.hardwareVersionsPresent = info.hardwareVersionsPresent;
  entry.hardwareVersionMin = info.header.minimumHardwareVersion;
  entry.hardwareVersionMax = info.header.maximumHardwareVersion;
  return entry;
}

}  // namespace otawrap
