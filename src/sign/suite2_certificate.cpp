#include "sign/suite2_certificate.h"

#include <algorithm>

namespace otawrap {

namespace {

template <std::size_t N>
void take(const std::uint8_t* octets, std::size_t offset, std::array<std::uint8_t, N>& out) {
  std::copy(octets + offset, octets + offset + N, out.begin());
}

std::uint64_t bigEndian(const std::uint8_t* octets, std::size_t offset, std::size_t count) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < count; ++i) {
    value = (value << 8) | octets[offset + i];
  }
  return value;
}

}  // namespace

Suite2CertificateStatus suite2CertificateParse(const std::uint8_t octets[kSuite2CertificateOctets],
                                               Suite2Certificate& out) {
  out.type = octets[0];
  take(octets, 1, out.serial);
  out.curve = octets[9];
  out.hash = octets[10];
  take(octets, 11, out.issuer);
  out.validFrom = bigEndian(octets, 19, 5);
  out.validFor = static_cast<std::uint32_t>(bigEndian(octets, 24, 4));
  take(octets, 28, out.subject);
  out.keyUsage = octets[36];
  take(octets, kSuite2ReconstructionOffset, out.reconstruction);
  if (out.type != kSuite2CertificateType) {
    return Suite2CertificateStatus::badType;
  }
  if (out.curve != kSuite2CurveSect283k1) {
    return Suite2CertificateStatus::badCurve;
  }
  if (out.hash != kSuite2HashAesMmo) {
    return Suite2CertificateStatus::badHash;
  }
  return Suite2CertificateStatus::ok;
}

}  // namespace otawrap
