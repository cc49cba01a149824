#include "app/index_findings.h"

#include <cstring>

#include "app/index_document.h"

namespace otawrap {

namespace {

// The field's name in the format (the model uses herdsman's names).
std::string fieldName(const char* field, IndexFormat format) {
  if (format == IndexFormat::zigpy) {
    static const char* const kNames[][2] = {{"url", "fw_binary_url"},
                                            {"fileVersion", "fw_file_version"},
                                            {"fileSize", "fw_filesize"},
                                            {"imageType", "fw_image_type"},
                                            {"manufacturerCode", "fw_manufacturer_id"}};
    for (const auto& name : kNames) {
      if (std::strcmp(field, name[0]) == 0) return name[1];
    }
  }
  return field;
}

}  // namespace

const char* indexConsumerName(IndexFormat format) {
  return format == IndexFormat::zigpy ? "zigpy" : "zigbee-herdsman";
}

const char* lintKindName(LintKind kind) {
  switch (kind) {
    case LintKind::fileMissing: return "fileMissing";
    case LintKind::fileUnreadable: return "fileUnreadable";
    case LintKind::notOtaFile: return "notOtaFile";
    case LintKind::failsCheck: return "failsCheck";
    case LintKind::sha512Mismatch: return "sha512Mismatch";
    case LintKind::sizeMismatch: return "sizeMismatch";
    case LintKind::identifierMismatch: return "identifierMismatch";
    case LintKind::hardwareRangeInverted: return "hardwareRangeInverted";
    case LintKind::fileVersionWindowEmpty: return "fileVersionWindowEmpty";
    case LintKind::neverAnUpgrade: return "neverAnUpgrade";
    case LintKind::textFault: return "textFault";
    case LintKind::duplicate: return "duplicate";
    case LintKind::collision: return "collision";
    case LintKind::shadowed: return "shadowed";
    case LintKind::partlyShadowed: return "partlyShadowed";
    case LintKind::hardwareRangeOverlap: return "hardwareRangeOverlap";
    case LintKind::replacedByOlder: return "replacedByOlder";
  }
  return "";
}

std::string lintFindingText(const LintFinding& f, const std::vector<IndexEntry>& entries, IndexFormat format,
                            const std::string& path, const IndexFileFacts& facts) {
  const std::string n = std::to_string(f.expected);
  const std::string a = std::to_string(f.actual);
  const std::string other = "entry " + std::to_string(f.other) + " (" + indexEntryLabel(entries[f.other]) + ")";
  const auto name = [format](const char* field) { return fieldName(field, format); };
  switch (f.kind) {
    case LintKind::fileMissing: return "file '" + path + "' not found";
    case LintKind::fileUnreadable:
    case LintKind::notOtaFile:
    case LintKind::failsCheck: return facts.failedCheck;
    case LintKind::sha512Mismatch: return "sha512 is not that of '" + path + "'";
    case LintKind::sizeMismatch:
      return name("fileSize") + " " + n + " is neither the file's length " + a + " nor its total image size " +
             std::to_string(facts.totalImageSize);
    case LintKind::identifierMismatch: return name(f.field) + " " + n + " differs from the file header's " + a;
    case LintKind::hardwareRangeInverted: return "hardwareVersionMin " + n + " is above hardwareVersionMax " + a;
    case LintKind::fileVersionWindowEmpty:
      return "minFileVersion " + n + " is above maxFileVersion " + a + ": no device is ever offered it";
    case LintKind::neverAnUpgrade:
      return "minFileVersion " + n + " is not below its fileVersion " + a +
             " and force is not set: no device is ever offered it";
    case LintKind::textFault: return name(f.field) + " " + f.detail;
    case LintKind::duplicate: return "lists the same file with the same identifiers as " + other;
    case LintKind::collision:
      if (format == IndexFormat::zigpy) {
        return "never offered: " + other + " comes later with the same " + name("manufacturerCode") + ", " +
               name("imageType") + " and " + name("fileVersion") + " and a different file, and replaces it";
      }
      return "same manufacturerCode, imageType and fileVersion as " + other + " with a different file";
    case LintKind::shadowed:
      return "never offered: " + other + " comes first and matches every device this one does";
    case LintKind::partlyShadowed:
      return "entry " + std::to_string(f.other) + " (" + indexEntryLabel(entries[f.other]) + ", fileVersion " + n +
             ") comes first and takes some devices this newer entry (fileVersion " + a + ") is for";
    case LintKind::hardwareRangeOverlap: return "its hardware range overlaps that of " + other;
    case LintKind::replacedByOlder:
      return "never offered: " + other + " comes later with the same " + name("manufacturerCode") + " and " +
             name("imageType") + " and replaces it with the older " + name("fileVersion") + " " + n +
             " (this one: " + a + ")";
  }
  return "";
}

std::string lintFindingLine(const LintFinding& f, const std::vector<IndexEntry>& entries, IndexFormat format,
                            const std::string& path, const IndexFileFacts& facts) {
  return "entry " + std::to_string(f.entry) + " (" + indexEntryLabel(entries[f.entry]) + "): " +
         indexConsumerName(format) + ": " + lintFindingText(f, entries, format, path, facts);
}

}  // namespace otawrap
