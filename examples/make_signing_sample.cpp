// Writes TEST signing material for the examples, issued by the test suite's
// certificate authority (seed 4711; every key here is public and protects
// nothing):
//   <dir>/test-ca-credentials.txt  a credentials file for -s: subject
//                               000D6F0000123456, private key and the 48-octet
//                               implicit certificate the test CA issued
//   <dir>/test-ca-key.txt       the test CA's public key, compressed, for
//                               otawrap --verify FILE --ca-key HEX
//
//   otawrap_make_signing_sample [dir]      (default: examples)
#include <cstdio>
#include <string>
#include <vector>

#include "support/raw_file_generator.h"
#include "support/test_ca.h"
#include "support/vector_file.h"

int main(int argc, char** argv) {
  const std::string dir = argc > 1 ? argv[1] : "examples";
  otawrap::test::TestCertificateAuthority ca(4711);
  const std::array<std::uint8_t, 8> subject = {0x00, 0x0D, 0x6F, 0x00, 0x00, 0x12, 0x34, 0x56};
  const otawrap::test::IssuedCredentials issued = ca.issue(subject);

  const std::string credentials =
      "# TEST credentials for the otawrap examples, issued by the otawrap test CA\n"
      "# (seed 4711). Not a real key: never use it for a device.\n"
      "IEEE Address: " + otawrap::test::bytesToHex(subject.data(), subject.size()) +
      "\nDevice Private Key: " + otawrap::test::bytesToHex(issued.privateKey.data(), 21) +
      "\nDevice Implicit Cert: " +
      otawrap::test::bytesToHex(issued.certificate.data(), issued.certificate.size()) + "\n";
  const std::vector<std::uint8_t> caKey = ca.publicKeyCompressed();
  const std::string caText = otawrap::test::bytesToHex(caKey.data(), caKey.size()) + "\n";

  const std::string credentialsPath = dir + "/test-ca-credentials.txt";
  const std::string caPath = dir + "/test-ca-key.txt";
  if (!otawrap::test::writeFileBytes(credentialsPath,
                                     std::vector<std::uint8_t>(credentials.begin(), credentials.end())) ||
      !otawrap::test::writeFileBytes(caPath, std::vector<std::uint8_t>(caText.begin(), caText.end()))) {
    std::printf("cannot write into %s\n", dir.c_str());
    return 1;
  }
  std::printf("wrote %s and %s\n", credentialsPath.c_str(), caPath.c_str());
  return 0;
}
