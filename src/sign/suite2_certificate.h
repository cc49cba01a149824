// The 74-octet implicit certificate of crypto suite 2 (sect283k1, AES-MMO):
//   octet   0      type (0x00: no extensions)
//   octets  1..8   serial number
//   octet   9      curve (0x0D: sect283k1)
//   octet  10      hash (0x08: AES-MMO)
//   octets 11..18  issuer
//   octets 19..23  valid from (seconds, big-endian)
//   octets 24..27  valid for (seconds after valid from, big-endian; 0xFFFFFFFF never expires)
//   octets 28..35  subject (the device's IEEE address, most significant first)
//   octet  36      key usage (0x08 key agreement, 0x80 digital signature)
//   octets 37..73  reconstruction point P, compressed
// Nothing here allocates or fails beyond the status it returns.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace otawrap {

inline constexpr std::size_t kSuite2CertificateOctets = 74;
inline constexpr std::size_t kSuite2ReconstructionOffset = 37;
inline constexpr std::uint8_t kSuite2CertificateType = 0x00;
inline constexpr std::uint8_t kSuite2CurveSect283k1 = 0x0D;
inline constexpr std::uint8_t kSuite2HashAesMmo = 0x08;
inline constexpr std::uint8_t kSuite2KeyAgreement = 0x08;
inline constexpr std::uint8_t kSuite2DigitalSignature = 0x80;
inline constexpr std::uint32_t kSuite2NeverExpires = 0xFFFFFFFFu;

struct Suite2Certificate {
  std::uint8_t type;
  std::array<std::uint8_t, 8> serial;
  std::uint8_t curve;
  std::uint8_t hash;
  std::array<std::uint8_t, 8> issuer;
  std::uint64_t validFrom;  // 40 bits
  std::uint32_t validFor;
  std::array<std::uint8_t, 8> subject;
  std::uint8_t keyUsage;
  std::array<std::uint8_t, 37> reconstruction;
};

enum class Suite2CertificateStatus {
  ok,
  badType,   // type other than 0x00
  badCurve,  // curve other than 0x0D
  badHash,   // hash other than 0x08
};

// Splits the certificate into its fields (always, whatever the status) and
// says whether it is one this suite can use, checking type, curve, hash in
// that order.
Suite2CertificateStatus suite2CertificateParse(const std::uint8_t octets[kSuite2CertificateOctets],
                                               Suite2Certificate& out);

}  // namespace otawrap
