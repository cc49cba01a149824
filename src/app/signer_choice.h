// The signer a command's options name: signer credentials of either suite
// (-s FILE, in any of the layouts of sign/credentials.h), or a command outside
// this process that holds the key (--signer-command CMD) with the public part
// in a certificate text (--certificate FILE).
#pragma once

#include <string>

#include "app/failure.h"
#include "app/file_settings.h"
#include "ota/builder.h"
#include "sign/credentials.h"

namespace otawrap {

// The outside signer's command and deadline, and why its last run gave no
// signature. credentials.externalContext points at it while it signs: keep
// it where it is.
struct ExternalSigner {
  std::string command;
  std::string certificatePath;
  unsigned timeoutSeconds = 60;
  SigningCurve curve = SigningCurve::sect163k1;  // the certificate's: r and s of its length
  std::string failure;
};

// The most the command may write: r and s in hex with room for line breaks.
inline constexpr std::size_t kSignerOutputLimit = 4096;

// True when file names a signer.
bool signerGiven(const OtaFileSettings& file);

// Loads the signer credentials at path. False with problem set (naming the
// file, with the system's reason) when they cannot be read or are invalid.
bool loadCredentials(const std::string& path, SignerCredentials& credentials, Problem& problem);

// Loads the signer file names: the credentials, or the certificate text with
// credentials.externalSign set to run external's command. False with problem
// set when a file cannot be read or is invalid.
bool loadSigner(const OtaFileSettings& file, SignerCredentials& credentials,
                ExternalSigner& external, Problem& problem);

// The problem of a seal that failed with status: for an outside signer
// why its run gave no signature or that the signature does not verify under
// the certificate's key; else the build failure of status.
Problem sealProblem(OtaBuildStatus status, const ExternalSigner& external);

// Runs the outside signer (an ExternalSigner) on digest, given to it as 32
// lower-case hex digits and a line feed, and reads r and s from what it
// writes: r then s, the curve's scalar octets each (42 or 72 octets in all),
// in hex, whitespace anywhere. False with its failure set on a timeout, a start or exit that
// fails, or output of any other form. Called through credentials.externalSign.
bool externalSignDigest(void* context, const std::uint8_t digest[kEcdsaDigestOctets],
                        std::uint8_t* r, std::uint8_t* s);

}  // namespace otawrap
