// Strict option values of the subcommands. Each parser returns an empty
// string on success, else the error text naming the option and the value.
#pragma once

#include <cstdint>
#include <string>

#include "image/platform.h"

namespace otawrap {

// An identifier: 1..maxDigits hex digits (4 or 8), optional "0x", read as an
// ordinary number ("1" is 0x0001).
std::string parseIdentifier(const std::string& option, const std::string& text, int maxDigits,
                            std::uint32_t& value);

// QUILLDEV, MARSHDEV or FENBOARD in any case.
std::string parsePlatform(const std::string& option, const std::string& text,
                          Platform& platform);

// The platform's name in capitals.
const char* platformName(Platform platform);

}  // namespace otawrap
