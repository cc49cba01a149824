#include "app/input_lookalike.h"

#include <cstring>

#include "payload/payload.h"
#include "report/payload_report.h"

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

// Continuation bytes a UTF-8 lead byte promises; -1 for a byte no sequence
// starts with.
int utf8Continuations(std::uint8_t lead) {
  if (lead < 0x80) return 0;
  if (lead >= 0xC2 && lead <= 0xDF) return 1;
  if (lead >= 0xE0 && lead <= 0xEF) return 2;
  if (lead >= 0xF0 && lead <= 0xF4) return 3;
  return -1;
}

// Printable ASCII, line ends and tabs, and well-formed UTF-8 sequences (one
// cut by the end of head counts as text).
bool isText(const std::uint8_t* head, std::size_t size) {
  if (size == 0) return false;
  for (std::size_t i = 0; i < size; ++i) {
    const std::uint8_t c = head[i];
    if (c < 0x20 && c != '\n' && c != '\r' && c != '\t') return false;
    if (c == 0x7F) return false;
    const int more = utf8Continuations(c);
    if (more < 0) return false;
    for (int k = 0; k < more && i + 1 < size; ++k) {
      if ((head[++i] & 0xC0u) != 0x80u) return false;
    }
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
    return std::string("a firmware payload (") + payloadFormatName(format) + ")";
  }
  if (isText(head, size)) return "a text file";
  return "";
}

}  // namespace otawrap
