// The failures and texts of the lower modules' statuses: which Failure row a
// status becomes, and the words for the reasons a status carries. Kept apart
// from app/failure.h so that a command that reports no module status
// (version, help) does not compile the modules' headers.
#pragma once

#include <string>

#include "app/failure.h"
#include "ecc/point_decode.h"
#include "image/assembly.h"
#include "image/intel_hex.h"
#include "ota/builder.h"
#include "ota/reader.h"
#include "ota/signature_check.h"
#include "sign/credentials.h"
#include "sign/ecdsa_curves.h"

namespace otawrap {

// The failure a conversion reports for an image status other than ok.
Failure imageFailure(ImageStatus status);

// Why a credentials file is invalid, naming the field: the detail of
// invalidCredentials.
std::string credentialsFaultText(const CredentialsFault& fault);

// The failure for a build status other than ok.
Failure buildFailure(OtaBuildStatus status);

// The text of an Intel HEX error ("checksum mismatch", ...).
const char* intelHexErrorText(IntelHexError error);

// Why a public key could not be decoded on curve; "" for ok.
std::string pointDecodeText(PointDecodeStatus status,
                            SigningCurve curve = SigningCurve::sect163k1);

// The signature check as a report entry: passed, or failed with its reason.
OtaCheck signatureCheckReport(SignatureCheckStatus status);

// The failure of an Intel HEX file that does not parse: "<file>:<line>: <reason>".
Problem intelHexProblem(const std::string& file, const IntelHexFailure& failure);

// The failure of a key option (what: "--public-key", ...) whose text is not an
// even number of hex digits (status ok), or whose octets decode to no usable
// point (status says why).
Problem invalidKeyProblem(const char* what, const std::string& text, PointDecodeStatus status,
                          SigningCurve curve = SigningCurve::sect163k1);

// The failure of a convert input that is not raw firmware: kind is what it
// looks like (empty: nothing known, so "image too small").
Problem notFirmwareProblem(const std::string& file, const std::string& kind);

}  // namespace otawrap
