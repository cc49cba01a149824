// otawrap restamp FILE --file-version V [header fields] (--output OUT | -o DIR)
// [--credentials FILE | --signer-command CMD --certificate FILE |
// --drop-signature]: new header fields over the same sub-elements, sealed
// again.
#pragma once

#include <string>

#include "app/command.h"
#include "app/file_settings.h"
#include "app/ota_input.h"

namespace otawrap {

struct RestampOptions {
  std::string path;
  // Only the file version, header string, hardware versions and the signer
  // are taken.
  OtaFileSettings file;
  bool dropSignature = false;
  OutputChoice output;  // OUT, or DIR and the name MMMM-TTTT-VVVVVVVV.zigbee (new version)
  ReportChoice report;
  OtaInputOptions input;
};

// The definition. The run reads FILE through the OTA input service and
// refuses it when a check fails. It writes the plain OTA file with
// the new header fields and the sub-elements between the header and the seal
// byte for byte; a container, prefix or trailer around the input is not
// kept. The seal: a signature of the signer's suite with --credentials or
// --signer-command (any signer; the report names the old and the new one),
// else a recomputed integrity code when the file had one, else none. A
// signature of either suite is replaced or dropped. Exit 2, nothing written:
// a signed file without a signer or --drop-signature, half a
// hardware range on a file without one, a minimum above the maximum, a new
// file that would fail a check, unreadable input or credentials, a failed
// write.
const CommandDefinition<RestampOptions>& restampDefinition();
const Command& restampCommand();

}  // namespace otawrap
