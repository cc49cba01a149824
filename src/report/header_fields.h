// The header fields of an OTA file as every report shows them: one table of
// names, JSON keys and formats, in file order, read by info's report,
// restamp's report, the written-file summary and diff.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ota/reader.h"
#include "report/json_writer.h"

namespace otawrap {

enum class HeaderFieldFormat : std::uint8_t { hex4, hex8, decimal, text, destination };

// One header field of a file: its text label, JSON key, how it is written,
// its value (text: 0, the header string is the header's), whether it is shown
// at all (optional fields only when the field control announces them) and
// present (inside the file).
struct HeaderField {
  const char* label;
  const char* key;
  HeaderFieldFormat format;
  std::uint64_t value;
  bool shown;
  bool present;
};

// The fields of info's header, in file order.
std::vector<HeaderField> otaHeaderFields(const OtaFileInfo& info);

// The one field whose key is key (a key of the table).
HeaderField otaHeaderField(const OtaFileInfo& info, const char* key);

// The header string's length without its trailing zero padding.
std::size_t otaHeaderStringLength(const OtaHeader& header);

// The header string as the text report shows it: quoted, printable ASCII as
// it is ('"' and '\\' escaped), every other byte as \xNN.
std::string otaHeaderStringQuoted(const OtaHeader& header);

// The field's value as the text report shows it ("0x100B", "4323", the
// quoted header string, 16 hex digits of the destination), or
// "missing (beyond the end of the file)".
std::string headerFieldText(const HeaderField& field, const OtaHeader& header);

// The field's value as JSON: a number, the header string as text, the
// destination as 16 hex digits; null when it is not present.
void headerFieldJson(JsonWriter& json, const HeaderField& field, const OtaHeader& header);

}  // namespace otawrap
