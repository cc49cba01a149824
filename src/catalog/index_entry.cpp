#include "catalog/index_entry.h"

#include <limits>

#include "codec/utf8.h"

namespace otawrap {

namespace {

// Reads the members of one object, recording the first failure.
class FieldReader {
 public:
  FieldReader(const JsonValue& object, IndexDecodeError& error) : object_(object), error_(error) {}

  bool failed() const { return error_.status != IndexEntryStatus::ok; }

  template <typename T>
  void number(const char* name, std::optional<T>& out, bool required = false) {
    const JsonValue* v = find(name, required);
    if (v == nullptr) return;
    std::uint64_t value = 0;
    if (v->kind != JsonKind::number) return fail(IndexEntryStatus::wrongType, name);
    if (!v->asUint64(value) || value > std::numeric_limits<T>::max()) {
      return fail(IndexEntryStatus::outOfRange, name);
    }
    out = static_cast<T>(value);
  }

  void string(const char* name, std::optional<std::string>& out, bool required = false) {
    const JsonValue* v = find(name, required);
    if (v == nullptr) return;
    if (v->kind != JsonKind::string) return fail(IndexEntryStatus::wrongType, name);
    out = v->text;
  }

  void strings(const char* name, std::optional<std::vector<std::string>>& out) {
    const JsonValue* v = find(name, false);
    if (v == nullptr) return;
    if (v->kind != JsonKind::array) return fail(IndexEntryStatus::wrongType, name);
    std::vector<std::string> list;
    for (const JsonValue& item : v->items) {
      if (item.kind != JsonKind::string) return fail(IndexEntryStatus::wrongType, name);
      list.push_back(item.text);
    }
    out = std::move(list);
  }

  void flag(const char* name, bool& out) {
    const JsonValue* v = find(name, false);
    if (v == nullptr) return;
    if (v->kind != JsonKind::boolean) return fail(IndexEntryStatus::wrongType, name);
    out = v->boolean;
  }

 private:
  const JsonValue* find(const char* name, bool required) {
    if (failed()) return nullptr;
    const JsonValue* v = object_.member(name);
    if (v == nullptr && required) fail(IndexEntryStatus::missingField, name);
    return v;
  }

  void fail(IndexEntryStatus status, const char* name) {
    error_.status = status;
    error_.field = name;
  }

  const JsonValue& object_;
  IndexDecodeError& error_;
};

void decodeHerdsman(FieldReader& r, IndexEntry& e) {
  std::optional<std::string> url;
  r.string("url", url, true);
  e.url = url.value_or("");
  r.string("fileName", e.fileName);
  r.number("fileVersion", e.fileVersion);
  r.number("fileSize", e.fileSize);
  r.number("manufacturerCode", e.manufacturerCode);
  r.number("imageType", e.imageType);
  r.string("sha512", e.sha512);
  r.string("otaHeaderString", e.otaHeaderString);
  r.number("hardwareVersionMin", e.hardwareVersionMin);
  r.number("hardwareVersionMax", e.hardwareVersionMax);
  r.string("modelId", e.modelId);
  r.strings("manufacturerName", e.manufacturerNames);
  r.number("minFileVersion", e.minFileVersion);
  r.number("maxFileVersion", e.maxFileVersion);
  r.flag("force", e.force);
  r.string("releaseNotes", e.releaseNotes);
  r.string("originalUrl", e.originalUrl);
}

void decodeZigpy(FieldReader& r, IndexEntry& e) {
  std::optional<std::string> url;
  r.string("fw_binary_url", url, true);
  e.url = url.value_or("");
  r.number("fw_file_version", e.fileVersion, true);
  r.number("fw_filesize", e.fileSize);
  r.number("fw_image_type", e.imageType, true);
  r.number("fw_manufacturer_id", e.manufacturerCode, true);
}

}  // namespace

namespace {

bool decodeOne(const JsonValue& item, std::size_t at, IndexFormat format, std::vector<IndexEntry>& entries,
               IndexDecodeError& error) {
  error.entry = at;
  if (item.kind != JsonKind::object) {
    error.status = IndexEntryStatus::notObject;
    return false;
  }
  IndexEntry e;
  e.begin = item.begin;
  e.end = item.end;
  FieldReader reader(item, error);
  if (format == IndexFormat::herdsman) {
    decodeHerdsman(reader, e);
  } else {
    decodeZigpy(reader, e);
  }
  if (reader.failed()) return false;
  entries.push_back(std::move(e));
  return true;
}

}  // namespace

bool indexDecode(const JsonValue& root, IndexFormat format, std::vector<IndexEntry>& entries,
                 IndexDecodeError& error) {
  error = IndexDecodeError{};
  entries.clear();
  if (root.kind != JsonKind::array) {
    error.status = IndexEntryStatus::notObject;
    return false;
  }
  entries.reserve(root.items.size());
  for (std::size_t i = 0; i < root.items.size(); ++i) {
    if (!decodeOne(root.items[i], i, format, entries, error)) return false;
  }
  return true;
}

void IndexEntryDecoder::element(const JsonValue& value, std::size_t index) {
  if (error_.status != IndexEntryStatus::ok) return;
  if (index == 0 && value.kind == JsonKind::object && value.member("fw_binary_url") != nullptr) {
    format_ = IndexFormat::zigpy;
  }
  decodeOne(value, index, format_, entries_, error_);
}

IndexFormat indexFormatOf(const JsonValue& root) {
  if (root.kind == JsonKind::array && !root.items.empty() &&
      root.items[0].member("fw_binary_url") != nullptr) {
    return IndexFormat::zigpy;
  }
  return IndexFormat::herdsman;
}

std::string indexJoinUrl(const std::string& prefix, const std::string& name) {
  if (prefix.empty()) return name;
  std::size_t end = prefix.size();
  while (end > 0 && prefix[end - 1] == '/') --end;
  std::size_t start = 0;
  while (start < name.size() && name[start] == '/') ++start;
  return prefix.substr(0, end) + "/" + name.substr(start);
}

const char* indexTextFault(const std::string& text, bool lineBreaks) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t length = utf8SequenceLength(bytes + i, text.size() - i);
    if (length == 0) return "is not valid UTF-8";
    const std::uint32_t value = utf8CodePoint(bytes + i, length);
    const bool lineBreak = value == '\t' || value == '\n' || value == '\r';
    if ((value < 0x20 && !(lineBreaks && lineBreak)) || (value >= 0x7F && value < 0xA0)) {
      return "holds a control character";
    }
    i += length;
  }
  return nullptr;
}

}  // namespace otawrap
