// Each subcommand's option table and the translation of its arguments (those
// after the command word) into the command's options struct. Parsers return
// an empty string on success, else the error text without the help hint.
#pragma once

#include <string>
#include <vector>

#include "commands/build.h"
#include "commands/convert.h"
#include "commands/extract.h"
#include "commands/index.h"
#include "commands/info.h"
#include "commands/verify.h"

namespace otawrap {

using Arguments = std::vector<std::string>;

std::string parseConvertArguments(const Arguments& arguments, ConvertOptions& options);
std::string parseInfoArguments(const Arguments& arguments, InfoOptions& options);
std::string parseVerifyArguments(const Arguments& arguments, VerifyOptions& options);
std::string parseBuildArguments(const Arguments& arguments, BuildOptions& options);
std::string parseExtractArguments(const Arguments& arguments, ExtractOptions& options);
std::string parseIndexArguments(const Arguments& arguments, IndexOptions& options);

}  // namespace otawrap
