// otawrap verify FILE... KEY-OPTION [--platform NAME] [--no-payload-check] [--json],
// the key as hex (--public-key, --ca-key), as hex text in a file (--public-key-file,
// --ca-key-file) or from credentials (--credentials): checks each OTA file like info,
// then its ECDSA signature of crypto suite 1 or 2, as the key's length or the
// credentials say.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/command.h"
#include "app/ota_report.h"

namespace otawrap {

enum class KeySource : std::uint8_t {
  publicKey,      // key: the signer's public key in hex
  publicKeyFile,  // key: the path of a file holding it as hex text
  credentials,    // key: the path of a signer credentials file
  caKey,          // key: the CA's public key in hex; the signer's comes from the certificate
  caKeyFile,      // key: the path of a file holding the CA's key as hex text
};

// The most a key file may hold: the 86 digits of an uncompressed key and
// room for any spacing.
inline constexpr std::size_t kKeyFileLimit = 1024;

struct VerifyOptions : OtaFilesChoice {
  bool keyGiven = false;
  KeySource keySource = KeySource::publicKey;
  std::string key;
};

// The definition. The run resolves the key first (a bad key is an error whatever
// the file holds), then reads the file, runs every check info runs (the
// payload checks included) and the signature check and prints info's report
// with the signature's lines (signer, a suite-2 certificate's fields, the
// key; in JSON the member "signature"). It returns 0 when all pass, 1 when a check, a
// payload or the signature fails, 2 when the key or the file cannot be used or the
// report cannot be written; of several files the worst (app/batch.h).
const CommandDefinition<VerifyOptions>& verifyDefinition();
const Command& verifyCommand();

}  // namespace otawrap
