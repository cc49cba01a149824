#include "support/sample_credentials.h"

#include <random>

#include "support/vector_file.h"

namespace otawrap::test {

std::string GeneratedCredentials::text() const {
  return "# otawrap TEST credentials, generated from a fixed seed. Not for real devices.\n"
         "IEEE Address: " +
         bytesToHex(ieeeAddress.data(), ieeeAddress.size()) +
         "\nDevice Private Key: " + bytesToHex(privateKey.data(), privateKey.size()) +
         "\nDevice Implicit Cert: " + bytesToHex(certificate.data(), certificate.size()) + "\n";
}

GeneratedCredentials generateCredentials(std::uint32_t seed) {
  std::mt19937 rng(seed);
  GeneratedCredentials c;
  for (auto& b : c.ieeeAddress) b = static_cast<std::uint8_t>(rng());
  for (auto& b : c.privateKey) b = static_cast<std::uint8_t>(rng());
  for (auto& b : c.certificate) b = static_cast<std::uint8_t>(rng());
  c.privateKey[0] &= 0x03;  // below 2^162 < n
  c.privateKey[20] |= 0x01;  // never zero
  return c;
}

}  // namespace otawrap::test
