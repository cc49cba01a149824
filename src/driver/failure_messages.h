// The command layer's one table from each failure the core reports to the text
// the user sees. The core (image/, sign/, ecc/, ota/) names its failures;
// only this table words them. Every text is fixed, static and never null.
#pragma once

#include "ecc/point_decode.h"
#include "image/assembly.h"
#include "ota/reader.h"
#include "ota/signature_check.h"
#include "ota/signed_file.h"

namespace otawrap {

// The error text of a failure; "" for the ok value of each enum.
const char* failureMessage(ImageStatus status);
const char* failureMessage(PointDecodeStatus status);
const char* failureMessage(SignStatus status);
const char* failureMessage(SignatureCheckStatus status);

// The signature check as a report entry: passed, or failed with the text of
// its failure.
OtaCheck signatureCheckReport(SignatureCheckStatus status);

}  // namespace otawrap
