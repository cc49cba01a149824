// Signatures and integrity codes together: a code is checked wherever it
// lies, a signature info did not verify never excuses it, and crypto suite 2
// is reported like suite 1.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ota/reader.h"
#include "ota/ota_file_builder.h"
#include "support/openssl_hash.h"

namespace otawrap {
namespace {

using test::appendLe;
using test::Bytes;
using test::builtImage;
using test::builtOtaFile;
using test::putLe;

// file with the sub-elements appended and the total size fixed.
Bytes append(Bytes file, const std::vector<test::BuiltSubElement>& elements) {
  for (const auto& e : elements) {
    appendLe(file, e.tag, 2);
    appendLe(file, e.data.size(), 4);
    file.insert(file.end(), e.data.begin(), e.data.end());
  }
  putLe(file, 52, file.size(), 4);
  return file;
}

// body, an integrity code over it, then after: the code hashes the header
// with the final total size.
Bytes withCode(Bytes body, const std::vector<test::BuiltSubElement>& after = {}) {
  std::size_t total = body.size() + 22;
  for (const auto& e : after) total += 6 + e.data.size();
  putLe(body, 52, total, 4);
  const std::vector<std::uint8_t> code = test::opensslMmoHash(body.data(), body.size());
  appendLe(body, 0x0003, 2);
  appendLe(body, 16, 4);
  body.insert(body.end(), code.begin(), code.end());
  return append(body, after);
}

Bytes flipped(Bytes file, std::size_t at) {
  file[at] ^= 1;
  return file;
}

TEST(OtaSeals, EveryCombinationOfCodeAndSignature) {
  const Bytes body = builtOtaFile({{0x0000, builtImage(0x200, 0x88)}});
  const test::BuiltSubElement cert1{0x0002, Bytes(48, 0)};
  const test::BuiltSubElement sig1{0x0001, Bytes(50, 0)};
  const test::BuiltSubElement cert2{0x0006, Bytes(74, 0)};
  const test::BuiltSubElement sig2{0x0005, Bytes(80, 0)};
  struct Case {
    const char* name;
    Bytes file;
    OtaCheckState code;
    OtaReason codeReason;
    OtaReason suite1Reason;
    OtaReason suite2Reason;
  } const cases[] = {
      // A zero certificate and signature behind a tampered sealed file: the
      // code is still checked, and fails.
      {"tampered code, suite 1 signature appended",
       append(flipped(withCode(body), 0x100), {cert1, sig1}),
       OtaCheckState::failed, OtaReason::integrityCodeMismatch, OtaReason::none,
       OtaReason::noSuite2Signature},
      {"sound code, suite 1 signature behind it", withCode(body, {cert1, sig1}),
       OtaCheckState::passed, OtaReason::integrityCodeMisplaced, OtaReason::none,
       OtaReason::noSuite2Signature},
      {"tampered code, suite 2 signature behind it",
       flipped(withCode(body, {cert2, sig2}), 0x100),
       OtaCheckState::failed, OtaReason::integrityCodeMismatch, OtaReason::unsignedFile,
       OtaReason::suite2NotSect283k1},
      {"code, then a manufacturer element", withCode(body, {{0xF000, Bytes(4)}}),
       OtaCheckState::failed, OtaReason::integrityCodeNotLast, OtaReason::unsignedFile,
       OtaReason::noSuite2Signature},
      {"suite 1 signature, then a code", withCode(append(body, {cert1, sig1})),
       OtaCheckState::passed, OtaReason::integrityCodeBeforeHead,
       OtaReason::integrityCodeCheckedInstead, OtaReason::noSuite2Signature},
      {"suite 2 signature, then a code", withCode(append(body, {cert2, sig2})),
       OtaCheckState::passed, OtaReason::integrityCodeBeforeHead, OtaReason::unsignedFile,
       OtaReason::integrityCodeCheckedInstead},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const OtaFileInfo info = otaFileRead(c.file.data(), c.file.size());
    EXPECT_EQ(info.check(OtaCheckId::integrityCode).state, c.code);
    EXPECT_EQ(info.check(OtaCheckId::integrityCode).reason, c.codeReason);
    EXPECT_EQ(info.check(OtaCheckId::signatureLayout).reason, c.suite1Reason);
    EXPECT_EQ(info.check(OtaCheckId::suite2SignatureLayout).reason, c.suite2Reason);
    EXPECT_NE(info.check(OtaCheckId::suite2SignatureLayout).state, OtaCheckState::failed);
    EXPECT_EQ(otaFileChecksPass(info), c.code == OtaCheckState::passed);
  }
}

}  // namespace
}  // namespace otawrap
