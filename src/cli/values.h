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

// An output directory as a prefix for file names: with the path separator
// appended unless it ends with one ('/' counts everywhere). Not empty.
std::string directoryPrefix(const std::string& directory);

// A sub-element tag: 1 to 4 hex digits, optional "0x".
std::string parseTag(const std::string& option, const std::string& text, std::uint16_t& tag);

// TAG=FILE of a --tag option: a tag as above that the builder takes from the
// user (not 0x0001..0x0003, 0x0005 or 0x0006, written by otawrap itself) and
// a non-empty file name.
std::string parseTagFile(const std::string& option, const std::string& text, std::uint16_t& tag,
                         std::string& path);

// A whole number of seconds, decimal, from 1 to maxSeconds.
std::string parseSeconds(const std::string& option, const std::string& text, unsigned maxSeconds,
                         unsigned& seconds);

// The platform names as completion offers them (kPlatformNames).
inline constexpr char kPlatformChoices[] = "QUILLDEV MARSHDEV FENBOARD";

// QUILLDEV, MARSHDEV or FENBOARD in any case.
std::string parsePlatform(const std::string& option, const std::string& text,
                          Platform& platform);

}  // namespace otawrap
