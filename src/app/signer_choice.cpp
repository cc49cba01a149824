#include "app/signer_choice.h"

#include <cerrno>

#include "app/module_failures.h"
#include "codec/hex.h"
#include "io/file_system.h"

namespace otawrap {

namespace {

bool signerFails(ExternalSigner& external, const std::string& why) {
  external.failure = why;
  return false;
}

std::string exitText(const FsProcessResult& run) {
  if (run.signal != 0) return "it was ended by signal " + std::to_string(run.signal);
  return "it exited with status " + std::to_string(run.exitCode);
}

bool isSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

}  // namespace

bool signerGiven(const OtaFileSettings& file) {
  return !file.credentialsPath.empty() || !file.signerCommand.empty();
}

bool loadCredentials(const std::string& path, SignerCredentials& credentials, Problem& problem) {
  errno = 0;
  CredentialsFault fault;
  const CredentialsStatus status = loadSignerCredentials(path.c_str(), credentials, &fault);
  if (status == CredentialsStatus::ok) return true;
  if (status == CredentialsStatus::cannotOpen) {
    problem = {Failure::cannotOpenCredentials, "", path, errno};
  } else {
    problem = {Failure::invalidCredentials, credentialsFaultText(fault), path, 0};
  }
  return false;
}

bool loadSigner(const OtaFileSettings& file, SignerCredentials& credentials,
                ExternalSigner& external, Problem& problem) {
  if (file.signerCommand.empty()) return loadCredentials(file.credentialsPath, credentials, problem);
  errno = 0;
  CredentialsFault fault;
  const CredentialsStatus status =
      loadSignerCertificate(file.certificatePath.c_str(), credentials, &fault);
  if (status == CredentialsStatus::cannotOpen) {
    problem = {Failure::cannotOpenCredentials, "", file.certificatePath, errno};
    return false;
  }
  if (status != CredentialsStatus::ok) {
    problem = {Failure::invalidCredentials, credentialsFaultText(fault), file.certificatePath, 0};
    return false;
  }
  external.command = file.signerCommand;
  external.certificatePath = file.certificatePath;
  external.timeoutSeconds = file.signerTimeout;
  external.curve = credentials.curve;
  credentials.externalSign = externalSignDigest;
  credentials.externalContext = &external;
  return true;
}

Problem sealProblem(OtaBuildStatus status, const ExternalSigner& external) {
  if (status == OtaBuildStatus::signerFailed) {
    return {Failure::signerFailed, external.failure, external.command, 0};
  }
  if (status == OtaBuildStatus::signatureFailed && !external.command.empty()) {
    return {Failure::signerFailed,
            "its signature does not verify under the public key of '" + external.certificatePath +
                "'",
            external.command, 0};
  }
  return {buildFailure(status), "", "", 0};
}

bool externalSignDigest(void* context, const std::uint8_t digest[kEcdsaDigestOctets],
                        std::uint8_t* r, std::uint8_t* s) {
  ExternalSigner& external = *static_cast<ExternalSigner*>(context);
  const FsProcessResult run =
      fsRunCommand(external.command, hexLowerOctets(digest, kEcdsaDigestOctets) + "\n",
                   external.timeoutSeconds, kSignerOutputLimit);
  switch (run.status) {
    case FsProcessStatus::unsupported:
      return signerFails(external, "this build starts no processes");
    case FsProcessStatus::cannotStart:
      return signerFails(external, std::string("cannot start it: ") + fsErrorText(run.osError));
    case FsProcessStatus::timedOut:
      return signerFails(external, "no signature within " +
                                       std::to_string(external.timeoutSeconds) +
                                       (external.timeoutSeconds == 1 ? " second" : " seconds") +
                                       "; stopped");
    case FsProcessStatus::interrupted:
      return signerFails(external, "interrupted; stopped");
    case FsProcessStatus::outputTooLong:
      return signerFails(external, "it wrote more than " + std::to_string(kSignerOutputLimit) +
                                       " bytes; stopped");
    case FsProcessStatus::exited:
      break;
  }
  if (run.exitCode != 0) return signerFails(external, exitText(run));
  std::string digits;
  for (const char c : run.output) {
    if (!isSpace(c)) digits += c;
  }
  const std::size_t scalar = signingCurveSizes(external.curve).scalarOctets;
  std::string octets;
  if (!parseHexOctets(digits, octets) || octets.size() != 2 * scalar ||
      digits.size() != 4 * scalar) {
    return signerFails(external, "its output is not r and s as " + std::to_string(4 * scalar) +
                                     " hex digits");
  }
  std::copy(octets.begin(), octets.begin() + static_cast<std::ptrdiff_t>(scalar), r);
  std::copy(octets.begin() + static_cast<std::ptrdiff_t>(scalar), octets.end(), s);
  return true;
}

}  // namespace otawrap
