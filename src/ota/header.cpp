#include "ota/header.h"

#include "codec/bytes.h"

namespace otawrap {

namespace {

// Store little-endian and step past the field.
std::uint8_t* put16(std::uint16_t value, std::uint8_t* out) {
  storeLittle16(value, out);
  return out + 2;
}

std::uint8_t* put32(std::uint32_t value, std::uint8_t* out) {
  storeLittle32(value, out);
  return out + 4;
}

}  // namespace

std::uint16_t otaHeaderLengthFor(std::uint16_t fieldControl) {
  std::uint16_t length = kOtaHeaderBaseLength;
  if (fieldControl & kOtaFieldSecurityCredential) length += 1;
  if (fieldControl & kOtaFieldDestination) length += 8;
  if (fieldControl & kOtaFieldHardwareVersions) length += 4;
  return length;
}

void otaHeaderDefaults(OtaHeader& header) {
  header = OtaHeader{};
  header.fileIdentifier = kOtaFileIdentifier;
  header.headerVersion = kOtaHeaderVersion;
  header.fieldControl = 0;
  header.headerLength = otaHeaderLengthFor(header.fieldControl);
  header.stackVersion = kOtaStackVersion;
  header.totalImageSize = header.headerLength;
}

std::size_t otaHeaderSerialize(const OtaHeader& header, std::uint8_t* out) {
  std::uint8_t* p = out;
  p = put32(header.fileIdentifier, p);
  p = put16(header.headerVersion, p);
  p = put16(header.headerLength, p);
  p = put16(header.fieldControl, p);
  p = put16(header.manufacturerCode, p);
  p = put16(header.imageType, p);
  p = put32(header.fileVersion, p);
  p = put16(header.stackVersion, p);
  for (std::uint8_t byte : header.headerString) {
    *p++ = byte;
  }
  p = put32(header.totalImageSize, p);
  if (header.fieldControl & kOtaFieldSecurityCredential) {
    *p++ = header.securityCredentialVersion;
  }
  if (header.fieldControl & kOtaFieldDestination) {
    for (std::uint8_t byte : header.upgradeFileDestination) {
      *p++ = byte;
    }
  }
  if (header.fieldControl & kOtaFieldHardwareVersions) {
    p = put16(header.minimumHardwareVersion, p);
    p = put16(header.maximumHardwareVersion, p);
  }
  return static_cast<std::size_t>(p - out);
}

void otaHeaderPatch(const OtaHeader& header, std::uint8_t* file) {
  put16(header.manufacturerCode, file + 10);
  put16(header.imageType, file + 12);
  put32(header.fileVersion, file + 14);
  put32(header.totalImageSize, file + 52);
}

void otaSubElementHeadWrite(std::uint16_t tag, std::uint32_t length, std::uint8_t* out) {
  put32(length, put16(tag, out));
}

}  // namespace otawrap
