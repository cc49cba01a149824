// The published ECQV certificate vectors (shared/test-vectors/
// ecqv-certificates.txt), one of each crypto suite, as a certificate
// authority's page hands them out. Header only.
#pragma once

#include <string>

namespace otawrap::test {

struct CaVector {
  const char* caKey;
  const char* certificate;
  const char* privateKey;
  const char* devicePublicKey;
  const char* subject;  // the IEEE address the certificate names
};

inline constexpr CaVector kCaSuite1{
    "0200fde8a7f3d1084224962a4e7c54e69ac3f04da6b8",
    "02020882b1d7df05538f37cdd09a4f6b15368998642b002208000000000154455354534543410109108301234567890a",
    "0392ba4afc2453a49eebe9bca8de73210f02479a4a",
    "0207d1ca014786b5e552cfd5f04339a2e856f00eaaef",
    "0022080000000001"};

inline constexpr CaVector kCaSuite2{
    "0207a445022d9f39f49bdc38380026a27a9e0a1799313ab28c5c1a1c6b605154db1dff6752",
    "000b3ad5a312ab75d60d081112131415161718005b7ed230ffffffff0022080000000001080205bb3d1d1576197ff9"
    "ab6563915019a130437adb0ee7915432dc4a09c97dc595c5856800",
    "00997097b87684f62f555173c47be89935fbf6440ae292492b54c5829a0d541f4d26e254",
    "02012f082ee7db1bd3f89f16eabbf5d6221a5dcd077fc0c9d37b329eee8e2cdaee03439de0",
    "0022080000000001"};

// The four-label text, each value on the line after its label as the CA's
// page lays it out; a field left "" is left out with its label.
inline std::string caText(const std::string& caKey, const std::string& certificate,
                          const std::string& privateKey, const std::string& devicePublicKey) {
  std::string text;
  if (!caKey.empty()) text += "CA Pub Key:\n" + caKey + "\n";
  if (!certificate.empty()) text += "Device Implicit Cert:\n" + certificate + "\n";
  if (!privateKey.empty()) text += "Private Key Reconstruction Data:\n" + privateKey + "\n";
  if (!devicePublicKey.empty()) text += "Device Public Key:\n" + devicePublicKey + "\n";
  return text;
}

inline std::string caText(const CaVector& v) {
  return caText(v.caKey, v.certificate, v.privateKey, v.devicePublicKey);
}

}  // namespace otawrap::test
