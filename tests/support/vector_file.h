// Reader for known-answer files: blocks of "name = value" lines separated by
// blank lines; '#' starts a comment line. Each block becomes one record.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace otawrap::test {

using VectorRecord = std::map<std::string, std::string>;

// Reads all records of the file; an unreadable file gives an empty list.
std::vector<VectorRecord> readVectorFile(const std::string& path);

// Decodes a hexadecimal string (even length, no separators) into bytes.
std::vector<std::uint8_t> hexToBytes(const std::string& hex);

// Encodes bytes as upper-case hexadecimal.
std::string bytesToHex(const std::uint8_t* data, std::size_t length);

// Path of a file in the repository's known-answer directory.
std::string vectorPath(const std::string& name);

}  // namespace otawrap::test
