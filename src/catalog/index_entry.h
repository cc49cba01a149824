// OTA index entries in the two community formats, as one model.
//
// herdsman: a JSON array of objects, the override index zigbee-herdsman reads
// (field names as it declares them: fileName, fileVersion, fileSize, url,
// imageType, manufacturerCode, sha512, otaHeaderString, hardwareVersionMin,
// hardwareVersionMax, modelId, manufacturerName (array of strings),
// minFileVersion, maxFileVersion, force, releaseNotes, originalUrl).
// zigpy: a JSON array of objects with fw_binary_url, fw_file_version,
// fw_filesize, fw_image_type and fw_manufacturer_id, the list zigpy's
// provider with a configurable update URL reads (python3-zigpy 0.53).
//
// Decoding never fails on a field it does not know (kept in the text, not in
// the model); it fails on a known field of the wrong type or range. Pure code:
// no I/O, no printing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalog/json_reader.h"

namespace otawrap {

enum class IndexFormat : std::uint8_t { herdsman, zigpy };

struct IndexEntry {
  std::string url;                               // required in both formats
  std::optional<std::string> fileName;           // herdsman
  std::optional<std::uint32_t> fileVersion;      // required for zigpy
  std::optional<std::uint64_t> fileSize;
  std::optional<std::uint16_t> manufacturerCode;  // required for zigpy
  std::optional<std::uint16_t> imageType;         // required for zigpy
  std::optional<std::string> sha512;
  std::optional<std::string> otaHeaderString;
  std::optional<std::uint16_t> hardwareVersionMin;
  std::optional<std::uint16_t> hardwareVersionMax;
  std::optional<std::string> modelId;
  std::optional<std::vector<std::string>> manufacturerNames;
  std::optional<std::uint32_t> minFileVersion;
  std::optional<std::uint32_t> maxFileVersion;
  bool force = false;
  std::optional<std::string> releaseNotes;
  std::optional<std::string> originalUrl;
  std::size_t begin = 0;  // the entry's object in the index text
  std::size_t end = 0;
};

// Why an entry could not be decoded.
enum class IndexEntryStatus : std::uint8_t {
  ok,
  notObject,     // an element of the array is not an object
  missingField,  // a field the format requires is absent
  wrongType,     // a known field holds another JSON type
  outOfRange,    // a number that is not a whole number in the field's range
};

struct IndexDecodeError {
  IndexEntryStatus status = IndexEntryStatus::ok;
  std::size_t entry = 0;  // 0-based position in the array
  std::string field;      // the field's name in the format
};

// Decodes every element of root (an array) as an entry of format. False with
// error set at the first entry that fails, or when root is not an array
// (notObject, entry 0, field empty).
bool indexDecode(const JsonValue& root, IndexFormat format, std::vector<IndexEntry>& entries,
                 IndexDecodeError& error);

// The format an index is written in: zigpy when its first entry has
// fw_binary_url, herdsman otherwise (also for an empty array).
IndexFormat indexFormatOf(const JsonValue& root);

// indexDecode element by element, as jsonParse hands them to a sink: the
// format from the first element, as indexFormatOf; the first failure kept,
// the elements after it not decoded.
class IndexEntryDecoder final : public JsonElementSink {
 public:
  explicit IndexEntryDecoder(std::vector<IndexEntry>& entries) : entries_(entries) { entries_.clear(); }
  void element(const JsonValue& value, std::size_t index) override;
  IndexFormat format() const { return format_; }
  // error.status is ok while every element so far decoded.
  const IndexDecodeError& error() const { return error_; }

 private:
  std::vector<IndexEntry>& entries_;
  IndexFormat format_ = IndexFormat::herdsman;
  IndexDecodeError error_;
};

// url = prefix + name with exactly one '/' between them (none added to an
// empty prefix).
std::string indexJoinUrl(const std::string& prefix, const std::string& name);

// Why text cannot stand in an entry as it is, or nullptr: every byte must be
// part of well-formed UTF-8 and no character a control character (C0, DEL,
// C1); with lineBreaks, tab, line feed and carriage return may stand.
// "is not valid UTF-8" or "holds a control character".
const char* indexTextFault(const std::string& text, bool lineBreaks = false);

}  // namespace otawrap
