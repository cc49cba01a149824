// Naming and writing output files: every file a command writes goes through
// an OutputRun, so a run either publishes all its files or leaves none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "io/file_system.h"

namespace otawrap {

// "MMMM-TTTT-VVVVVVVV.zigbee": upper-case hexadecimal identifiers, each one "*"
// when all its bits are set.
std::string outputFileName(std::uint16_t manufacturerCode, std::uint16_t imageType,
                           std::uint32_t fileVersion);

// Where one output file goes: directory is empty or ends with a separator.
struct OutputTarget {
  std::string directory;
  std::string name;

  std::string path() const { return directory + name; }
};

// A path split after its last separator ('/', and '\' on Windows).
OutputTarget outputTargetOf(const std::string& path);

enum class OutputStatus {
  ok,
  cannotCreateDirectory,  // failedPath is the directory
  notRegularFile,         // an existing FIFO, device or socket at the name
  exists,                 // exclusive run: the name is taken
  cannotCreate,           // the temporary or the final name could not be made
  cannotWrite,            // writing or syncing the data failed
};

struct OutputResult {
  OutputStatus status;
  int osError;             // the system's error number, 0 when none
  std::string failedPath;  // the file or directory concerned
};

// Whether stage() creates a missing directory.
enum class OutputDirectories { create, mustExist };

// The files of one run. stage() writes each file to a synced temporary
// beside its target (creating the directory first); publish() then gives
// every temporary its name and syncs each directory once, after the last
// rename into it (a batch of files into one directory costs one sync). Until publish() succeeds, destroying the run
// removes every temporary, every file it published and every directory it
// created (when empty); so does SIGINT, SIGTERM, SIGHUP or SIGPIPE on POSIX
// (the shim's cleanup list). A replacing run (FsPublish::replace) replaces
// regular files and symlinks and refuses other kinds of entry; an exclusive
// run never replaces any entry, and removes what it published if a later
// file fails. The one failure after a replacing publish is a failed
// directory sync (cannotWrite): the new file is complete, its name may not
// be durable yet.
class OutputRun {
 public:
  explicit OutputRun(FsPublish mode, OutputDirectories directories = OutputDirectories::create)
      : mode_(mode), directories_(directories) {}
  ~OutputRun();
  OutputRun(const OutputRun&) = delete;
  OutputRun& operator=(const OutputRun&) = delete;

  // Creates directory and its missing parents (when this run creates
  // directories), to be removed again as stage()'s are.
  OutputResult makeDirectory(const std::string& directory);
  // A failed stage leaves no temporary; files staged before stay staged.
  OutputResult stage(const OutputTarget& target, const std::uint8_t* data, std::size_t size);
  // True when a file is staged and not yet published.
  bool hasStaged() const { return !staged_.empty(); }
  OutputResult publish();

 private:
  struct Staged {
    OutputTarget target;
    std::string temporary;
  };
  void rollBack();

  FsPublish mode_;
  OutputDirectories directories_;
  std::vector<Staged> staged_;
  std::vector<std::string> published_;
  std::vector<std::string> createdDirectories_;
};

}  // namespace otawrap
