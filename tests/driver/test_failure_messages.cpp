// The failure table: every failure the core names has its exact legacy text,
// every ok value has none.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/failure_messages.h"

namespace otawrap {
namespace {

struct Case {
  const char* message;
  const char* expected;
};

TEST(FailureMessages, EachFailureHasItsTextAndOkHasNone) {
  const std::vector<Case> cases = {
      {failureMessage(ImageStatus::ok), ""},
      {failureMessage(ImageStatus::inputTruncated), "Input file is truncated"},
      {failureMessage(ImageStatus::inputReadFailed), "Unable to open input file"},
      {failureMessage(ImageStatus::imageTooSmall), "Input image too small"},
      {failureMessage(ImageStatus::imageTooLarge), "Input image too large"},
      {failureMessage(PointDecodeStatus::ok), ""},
      {failureMessage(PointDecodeStatus::badLength),
       "public key must be 22 octets (compressed) or 43 octets (uncompressed)"},
      {failureMessage(PointDecodeStatus::badPrefix),
       "public key must start with 02 or 03 (compressed) or 04 (uncompressed)"},
      {failureMessage(PointDecodeStatus::notInField), "public key coordinate is not a field element"},
      {failureMessage(PointDecodeStatus::notOnCurve), "public key is not a point on sect163k1"},
      {failureMessage(PointDecodeStatus::wrongOrder), "public key is not a point of order n"},
      {failureMessage(SignStatus::ok), ""},
      {failureMessage(SignStatus::signatureFailed), "Unable to generate signature"},
      {failureMessage(SignatureCheckStatus::passed), ""},
      {failureMessage(SignatureCheckStatus::notSigned), "the file is not signed"},
      {failureMessage(SignatureCheckStatus::notLast),
       "the signature is not the last sub-element of the file"},
      {failureMessage(SignatureCheckStatus::fileTooLarge), "file too large to hash"},
      {failureMessage(SignatureCheckStatus::mismatch), "the signature does not match the key"},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    ASSERT_NE(cases[i].message, nullptr) << i;
    EXPECT_EQ(std::string(cases[i].message), cases[i].expected) << i;
  }
}

TEST(FailureMessages, SignatureCheckReportPassesOnlyAPassedCheck) {
  const OtaCheck passed = signatureCheckReport(SignatureCheckStatus::passed);
  EXPECT_EQ(passed.state, OtaCheckState::passed);
  EXPECT_EQ(passed.reason, nullptr);
  const OtaCheck failed = signatureCheckReport(SignatureCheckStatus::mismatch);
  EXPECT_EQ(failed.state, OtaCheckState::failed);
  EXPECT_STREQ(failed.reason, "the signature does not match the key");
  EXPECT_FALSE(failed.hasValues);
}

}  // namespace
}  // namespace otawrap
