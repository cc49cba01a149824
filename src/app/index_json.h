// The entries `index` writes: what the file says, the metadata given on the
// command line, and the JSON of either format.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalog/index_entry.h"
#include "ota/file_entries.h"

namespace otawrap {

// What fileSize holds: the downloaded file's length (vendor header included),
// or the header's total image size.
enum class IndexFileSize : std::uint8_t { download, totalImage };

struct IndexMetadata {
  IndexFormat format = IndexFormat::herdsman;
  IndexFileSize fileSize = IndexFileSize::download;
  std::optional<std::string> modelId;
  std::optional<std::vector<std::string>> manufacturerNames;
  std::optional<std::uint32_t> minFileVersion;
  std::optional<std::uint32_t> maxFileVersion;
  std::optional<std::uint16_t> hardwareVersionMin;  // else the header's
  std::optional<std::uint16_t> hardwareVersionMax;
  std::optional<std::string> releaseNotes;
  std::optional<std::string> originalUrl;
  bool force = false;
};

// The entry for one file: the header's fields (fileSize by the convention),
// overridden and completed by the metadata.
IndexEntry indexEntryOf(const OtaIndexEntry& file, std::uint32_t totalImageSize, const IndexMetadata& metadata);

// One entry as a compact JSON object in format: herdsman's fields in the order
// fileName, fileVersion, fileSize, url, imageType, manufacturerCode, sha512,
// then the optional ones when present; zigpy's fw_binary_url,
// fw_file_version, fw_filesize, fw_image_type, fw_manufacturer_id.
std::string indexEntryJson(const IndexEntry& entry, IndexFormat format);

}  // namespace otawrap
