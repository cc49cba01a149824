#include "commands/input_lookalike.h"

#include <cstring>

#include "payload/payload.h"

namespace otawrap {

namespace {

struct Magic {
  const char* bytes;
  std::size_t length;
  const char* kind;
};

// Leading bytes of common file kinds (each format's published signature).
constexpr Magic kMagics[] = {
    {"\x1F\x8B", 2, "a gzip file"},
    {"PK\x03\x04", 4, "a ZIP archive"},
    {"\x89PNG", 4, "a PNG image"},
    {"MZ", 2, "a PE executable"},
    {"%PDF", 4, "a PDF document"},
    {"\xFD" "7zXZ", 5, "an xz file"},
};

bool isText(const std::uint8_t* head, std::size_t size) {
  if (size == 0) return false;
  for (std::size_t i = 0; i < size; ++i) {
    const std::uint8_t c = head[i];
    if (c < 0x20 && c != '\n' && c != '\r' && c != '\t') return false;
    if (c == 0x7F) return false;
  }
  return true;
}

}  // namespace

std::string inputLookalike(const std::uint8_t* head, std::size_t size) {
  for (const Magic& m : kMagics) {
    if (size >= m.length && std::memcmp(head, m.bytes, m.length) == 0) return m.kind;
  }
  const PayloadFormat format = payloadIdentify(head, size, PayloadContext{});
  if (format != PayloadFormat::unknown && format != PayloadFormat::imagePreamble) {
    return std::string("a firmware image of the kind otawrap names ") + payloadFormatKey(format);
  }
  if (isText(head, size)) return "a text file";
  return "";
}

}  // namespace otawrap
