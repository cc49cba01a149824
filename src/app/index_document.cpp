#include "app/index_document.h"

#include "app/input_file.h"

namespace otawrap {

const char* jsonStatusText(JsonStatus status) {
  switch (status) {
    case JsonStatus::ok: return "valid";
    case JsonStatus::tooLarge: return "larger than 16 MiB";
    case JsonStatus::tooDeep: return "nested deeper than 32 levels";
    case JsonStatus::tooManyValues: return "more than 1,048,576 values";
    case JsonStatus::empty: return "empty";
    case JsonStatus::byteOrderMark: return "starts with a byte order mark";
    case JsonStatus::invalidUtf8: return "not UTF-8";
    case JsonStatus::unexpected: return "unexpected character";
    case JsonStatus::unterminated: return "ends inside a value";
    case JsonStatus::badEscape: return "invalid escape in a string";
    case JsonStatus::controlCharacter: return "control character in a string";
    case JsonStatus::badNumber: return "invalid number";
    case JsonStatus::duplicateKey: return "a key given twice in one object";
    case JsonStatus::trailingData: return "data after the top-level value";
  }
  return "invalid";
}

namespace {

const char* entryStatusText(IndexEntryStatus status) {
  switch (status) {
    case IndexEntryStatus::ok: return "valid";
    case IndexEntryStatus::notObject: return "not an object";
    case IndexEntryStatus::missingField: return "missing";
    case IndexEntryStatus::wrongType: return "of the wrong type";
    case IndexEntryStatus::outOfRange: return "not a whole number in range";
  }
  return "invalid";
}

}  // namespace

std::string indexEntryLabel(const IndexEntry& entry) {
  return entry.fileName && !entry.fileName->empty() ? *entry.fileName : entry.url;
}

bool readJsonFile(const std::string& path, Failure failure, std::string& text, JsonValue& root,
                  Problem& problem, JsonElementSink* sink) {
  const JsonLimits limits;
  std::vector<std::uint8_t> bytes;
  int osError = 0;
  const InputFileStatus status = inputFileReadAll(path, limits.maxBytes + 1, bytes, osError,
                                                  DashInput::fileName, InputKind::regularFile);
  if (status != InputFileStatus::ok) {
    problem = inputFileProblem(status, path, osError);
    if (status == InputFileStatus::tooLarge) problem = {failure, "larger than 16 MiB", path, 0};
    return false;
  }
  text.assign(bytes.begin(), bytes.end());
  std::vector<std::uint8_t>().swap(bytes);
  const JsonError error = jsonParse(text.data(), text.size(), root, limits, sink);
  if (error.status != JsonStatus::ok) {
    problem = {failure,
               "line " + std::to_string(error.line) + ", column " + std::to_string(error.column) +
                   ": " + jsonStatusText(error.status),
               path, 0};
    return false;
  }
  return true;
}

bool readIndexDocument(const std::string& path, IndexDocument& document, Problem& problem) {
  IndexEntryDecoder decoder(document.entries);
  if (!readJsonFile(path, Failure::indexInvalid, document.text, document.root, problem, &decoder)) return false;
  if (document.root.kind != JsonKind::array) {
    problem = {Failure::indexInvalid, "not a JSON array of entries", path, 0};
    return false;
  }
  document.format = decoder.format();
  const IndexDecodeError& decodeError = decoder.error();
  if (decodeError.status != IndexEntryStatus::ok) {
    std::string detail = "entry " + std::to_string(decodeError.entry) + ": ";
    detail += decodeError.field.empty() ? std::string(entryStatusText(decodeError.status))
                                        : decodeError.field + " " + entryStatusText(decodeError.status);
    problem = {Failure::indexInvalid, detail, path, 0};
    return false;
  }
  return true;
}

}  // namespace otawrap
