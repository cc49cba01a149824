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

OtaHeaderPresence otaHeaderDecode(const std::uint8_t* file, std::size_t size, OtaHeader& h) {
  OtaHeaderPresence present{false, false, false};
  h.fileIdentifier = loadLittle32(file + kOtaIdentifierOffset);
  h.headerVersion = loadLittle16(file + kOtaHeaderVersionOffset);
  h.headerLength = loadLittle16(file + kOtaHeaderLengthOffset);
  h.fieldControl = loadLittle16(file + kOtaFieldControlOffset);
  h.manufacturerCode = loadLittle16(file + kOtaManufacturerOffset);
  h.imageType = loadLittle16(file + kOtaImageTypeOffset);
  h.fileVersion = loadLittle32(file + kOtaFileVersionOffset);
  h.stackVersion = loadLittle16(file + kOtaStackVersionOffset);
  for (std::size_t i = 0; i < h.headerString.size(); ++i) {
    h.headerString[i] = file[kOtaHeaderStringOffset + i];
  }
  h.totalImageSize = loadLittle32(file + kOtaTotalImageSizeOffset);

  // Optional fields follow in bit order, each only when its bit is set.
  std::size_t at = kOtaHeaderBaseLength;
  if (h.fieldControl & kOtaFieldSecurityCredential) {
    if (size - at >= 1) {
      h.securityCredentialVersion = file[at];
      present.securityCredentialVersion = true;
    }
    at += 1;
  }
  if (h.fieldControl & kOtaFieldDestination) {
    if (at <= size && size - at >= 8) {
      for (std::size_t i = 0; i < 8; ++i) {
        h.upgradeFileDestination[i] = file[at + i];
      }
      present.destination = true;
    }
    at += 8;
  }
  if (h.fieldControl & kOtaFieldHardwareVersions) {
    if (at <= size && size - at >= 4) {
      h.minimumHardwareVersion = loadLittle16(file + at);
      h.maximumHardwareVersion = loadLittle16(file + at + 2);
      present.hardwareVersions = true;
    }
  }
  return present;
}

void otaHeaderPatch(const OtaHeader& header, std::uint8_t* file) {
  put16(header.manufacturerCode, file + kOtaManufacturerOffset);
  put16(header.imageType, file + kOtaImageTypeOffset);
  put32(header.fileVersion, file + kOtaFileVersionOffset);
  put32(header.totalImageSize, file + kOtaTotalImageSizeOffset);
}

void otaSubElementHeadWrite(std::uint16_t tag, std::uint32_t length, std::uint8_t* out) {
  put32(length, put16(tag, out));
}

}  // namespace otawrap
