// The failure table: every failure the core names has its exact legacy text,
// every ok value has none.
#include <gtest/gtest.h>


#include <cerrno>
#include <string>
#include <vector>

#include "app/module_failures.h"
#include "app/failure.h"
#include "report/check_texts.h"

namespace otawrap {
namespace {

struct Case {
  std::string message;
  const char *expected;
};

TEST(FailureMessages, EachFailureHasItsTextAndOkHasNone) {
  const std::vector<Case> cases = {
      {legacyMessage({imageFailure(ImageStatus::inputTruncated), "", "", 0}),
       "Input file is truncated"},
      {legacyMessage({imageFailure(ImageStatus::inputReadFailed), "", "", 0}),
       "Unable to open input file"},
      {legacyMessage({imageFailure(ImageStatus::imageTooSmall), "", "", 0}),
       "Input image too small"},
      {legacyMessage({imageFailure(ImageStatus::imageTooLarge), "", "", 0}),
       "Input image too large"},
      {pointDecodeText(PointDecodeStatus::ok), ""},
      {pointDecodeText(PointDecodeStatus::badLength),
       "public key must be 22 or 43 octets (crypto suite 1) or 37 or 73 octets (crypto suite 2), compressed or uncompressed"},
      {pointDecodeText(PointDecodeStatus::badPrefix),
       "public key must start with 02 or 03 (compressed) or 04 (uncompressed)"},
      {pointDecodeText(PointDecodeStatus::notInField),
       "public key coordinate is not a field element"},
      {pointDecodeText(PointDecodeStatus::notOnCurve),
       "public key is not a point on sect163k1"},
      {pointDecodeText(PointDecodeStatus::wrongOrder),
       "public key is not a point of order n"},
      {legacyMessage({Failure::signingFailed, "", "", 0}),
       "Unable to generate signature"},
      {otaReasonText(signatureCheckReport(SignatureCheckStatus::notSigned).reason),
       "the file is not signed"},
      {otaReasonText(signatureCheckReport(SignatureCheckStatus::notLast).reason),
       "the signature is not the last sub-element of the file"},
      {otaReasonText(signatureCheckReport(SignatureCheckStatus::fileTooLarge).reason),
       "file too large to hash"},
      {credentialsFaultText({CredentialsDefect::notHexDigit, CredentialsField::privateKey}),
       "'Device Private Key:' holds a character that is not a hex digit"},
      {credentialsFaultText({CredentialsDefect::fieldTooLong, CredentialsField::certificate}),
       "'Device Implicit Cert:' has more than 96 hex digits"},
      {credentialsFaultText({CredentialsDefect::fieldTruncated, CredentialsField::ieeeAddress}),
       "'IEEE Address:' ends before its 16 hex digits"},
      {credentialsFaultText({CredentialsDefect::tooLong, CredentialsField::none}),
       "larger than 1023 bytes"},
      {credentialsFaultText({CredentialsDefect::zeroKey, CredentialsField::privateKey}),
       "'Device Private Key:' is zero modulo the group order"},
      {legacyMessage({Failure::invalidCredentials, "detail", "k.txt", 0}), "Invalid certificate"},
      {commandMessage({Failure::invalidCredentials, "detail", "k.txt", 0}),
       "credentials file 'k.txt': detail"},
      {commandMessage({Failure::usage, "unexpected operand 'a\nb'", "", 0}),
       "unexpected operand 'a\\nb'"},
      {commandMessage({Failure::cannotOpenInput, "", "x\n\x1B", ENOENT}),
       "cannot open input file 'x\\n\\x1B': No such file or directory"},
      {otaReasonText(signatureCheckReport(SignatureCheckStatus::mismatch).reason),
       "the signature does not match the key"},
      // A '%' or "{}" in a name is not a placeholder.
      {commandMessage({Failure::invalidCredentials, "d{}", "k%{}.txt", 0}),
       "credentials file 'k%{}.txt': d{}"},
      {commandMessage({Failure::tagNotFound, "0x0004", "a.ota", 0}),
       "file 'a.ota' has no sub-element with tag 0x0004"},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(cases[i].message, cases[i].expected) << i;
  }
}

TEST(FailureMessages, SignatureCheckReportPassesOnlyAPassedCheck) {
  const OtaCheck passed = signatureCheckReport(SignatureCheckStatus::passed);
  EXPECT_EQ(passed.state, OtaCheckState::passed);
  EXPECT_EQ(passed.reason, OtaReason::none);
  const OtaCheck failed = signatureCheckReport(SignatureCheckStatus::mismatch);
  EXPECT_EQ(failed.state, OtaCheckState::failed);
  EXPECT_STREQ(otaReasonText(failed.reason), "the signature does not match the key");
  EXPECT_FALSE(failed.hasValues);
}

// The table says which failures find an input wanting; the command's kind
// turns that into the exit code: 1 only for a command that judges files, 2
// for the rest and for every failure of the legacy form, which reports on
// standard output.
TEST(FailureMessages, TheTableAndTheKindDecideTheExitCode) {
  const struct {
    Failure failure;
    int judges;
    int makes;
  } cases[] = {
      {Failure::unsoundOtaFile, 1, 2},  {Failure::tagNotFound, 1, 2},
      {Failure::notOtaFile, 1, 2},      {Failure::usage, 2, 2},
      {Failure::cannotOpenInput, 2, 2}, {Failure::cannotWriteOutput, 2, 2},
      {Failure::outputExists, 2, 2},
  };
  for (const auto& c : cases) {
    const Problem problem{c.failure, "d", "f", 0};
    const struct {
      CommandKind kind;
      int exitCode;
    } kinds[] = {{CommandKind::judges, c.judges}, {CommandKind::makes, c.makes},
                 {CommandKind::prints, 2}, {CommandKind::legacy, 2}};
    for (const auto& k : kinds) {
      StringOutputStream out;
      StringOutputStream err;
      EXPECT_EQ(reportFailure(problem, {out, err, k.kind}), k.exitCode) << commandMessage(problem);
      const bool legacy = k.kind == CommandKind::legacy;
      EXPECT_EQ((legacy ? out : err).str().rfind(legacy ? "Error: " : "otawrap: " + commandMessage(problem) + "\n", 0), 0u);
    }
  }
}

}  // namespace
}  // namespace otawrap
