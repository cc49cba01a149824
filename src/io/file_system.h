// File-system shim: the only platform-specific code of the tool. Everything
// else uses standard C++ alone.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace otawrap {

// Separator that -o appends to each directory part, and every character
// that separates a path's parts ('/', and '\' on Windows).
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
inline constexpr const char* kPathSeparators = "/\\";
#else
inline constexpr char kPathSeparator = '/';
inline constexpr const char* kPathSeparators = "/";
#endif

// True when c is one of kPathSeparators.
bool fsIsSeparator(char c);

// What a failed file-system call leaves: a typed status and the operating
// system's error number (0 when it gave none).
enum class FsStatus {
  ok,
  failed,      // see the error number
  exists,      // an exclusive publish found the name taken
  notRegular,  // the name is taken by a FIFO, device or socket
};

struct FsResult {
  FsStatus status;
  int osError;
};

// On POSIX the calls that read (fsIsDirectory, fsEntryKind, fsListDirectory,
// fsExists, fsOpenForReading) resolve a path longer than the system takes
// whole (PATH_MAX) one run of directories at a time, as the system resolves a
// short one; the calls that write take the system's limit, as Windows keeps
// its own (MAX_PATH) for all of them.

// What a path names, without following a final symbolic link.
enum class FsEntryKind { none, regular, symlink, directory, other };

// The kind of path's directory entry (lstat): none when nothing is there,
// a dangling symbolic link is a symlink. Windows knows no symlinks here.
FsEntryKind fsEntryKind(const std::string& path);

// Creates a new, empty file with a unique name in directory (a prefix that is
// empty or ends with a separator) and opens it for binary writing. Sets path to
// its name. Returns nullptr if no file could be created, errno set.
//
// On POSIX the new file joins the process's cleanup list until fsPublish
// moves it or fsRemove deletes it: if SIGINT, SIGTERM, SIGHUP or SIGPIPE
// arrives meanwhile, a handler removes every entry of the list and the
// process then dies of that signal. A signal the process ignores when the
// first file is made (SIGPIPE after fsBrokenPipeFailsWrites) stays ignored. Nothing can remove the file after SIGKILL; it keeps its
// ".otawrap-*.tmp" name and never replaces the target. Windows installs no
// handler.
std::FILE* fsCreateTemporary(const std::string& directory, std::string& path);

// Flushes what was written to file (after fflush) down to the storage device:
// fsync, FlushFileBuffers on Windows. False on failure.
bool fsSyncFile(std::FILE* file);

// How fsPublish treats an existing entry at the target name.
enum class FsPublish {
  replace,    // a regular file or symlink is replaced atomically
  exclusive,  // any entry, even a dangling symlink, makes it fail with exists
};

// Moves the temporary from to the name to. On failure both are as they
// were. With replace, a target that is neither a regular file, a symlink nor
// absent is refused (notRegular), never replaced, and the temporary leaves
// the cleanup list; with exclusive, to takes from's place in the cleanup list
// (fsKeep ends that), so a signal still removes it.
FsResult fsPublish(const std::string& from, const std::string& to, FsPublish mode);

// Takes path (a published file or a created directory) off the cleanup list:
// the run that made it completed.
void fsKeep(const std::string& path);

// Makes the entries of directory (a prefix as for fsCreateTemporary) durable,
// such as a rename into it: fsync of the directory on POSIX. False only when
// that sync fails; true when the directory cannot be opened for reading or its
// file system cannot sync directories, and always on Windows, where the
// rename itself writes through.
bool fsSyncDirectory(const std::string& directory);

// Removes a file and takes it off the cleanup list; failures are ignored.
void fsRemove(const std::string& path);

// Removes an empty directory and takes it off the cleanup list; failures
// (such as a directory that is not empty) are ignored.
void fsRemoveDirectory(const std::string& path);

// Creates directory and every missing parent, appending each directory it
// made to created (parents first); they join the cleanup list, so a signal
// removes them once they are empty. True when it exists as a directory
// afterwards; else false with osError set to errno.
bool fsCreateDirectories(const std::string& directory, std::vector<std::string>& created,
                         int& osError);

// True when path names an existing directory (a trailing separator is
// allowed).
bool fsIsDirectory(const std::string& path);

// One name in a directory. regular: a regular file, or a symbolic link to
// one; directory: a directory itself, never a link to one (a walk that
// descends only into these cannot loop); error: the system's reason when
// what the name is could not be told (no search permission on the
// directory, a dangling symbolic link or a loop of them), 0 otherwise.
struct FsDirectoryEntry {
  std::string name;
  bool regular;
  bool directory;
  int error;
};

// Appends directory's entries but "." and ".." to entries, in no particular
// order. Returns 0, or the system's error number (errno values on every
// platform) if the directory could not be read. On POSIX each entry is
// looked at relative to the open directory, so no path grows with the depth.
int fsListDirectory(const std::string& directory, std::vector<FsDirectoryEntry>& entries);

// How fsOpenForReading takes what path names.
enum class FsRead {
  anything,     // whatever opens: pipes, FIFOs and devices are read front to back
  regularFile,  // a regular file or a symbolic link to one; a FIFO, device or
                // socket is refused (notRegular) before it is opened, so it
                // never blocks; a directory fails with EISDIR
};

// Opens path for binary reading. nullptr on failure, with result failed and
// the system's error number, or notRegular. result is {ok, 0} otherwise.
std::FILE* fsOpenForReading(const std::string& path, FsRead what, FsResult& result);

// directory and name joined by '/' (on every platform, so reports read the
// same), with none added when directory already ends in a separator.
std::string fsJoinPath(const std::string& directory, const std::string& name);

// True when path names anything that exists (file, directory, device).
bool fsExists(const std::string& path);

// The text of a system error number, the same on every platform for the
// reasons a command reports about files (the GNU C library's wording; the
// Windows C runtime words some differently, e.g. "Filename too long"); other
// numbers get the C runtime's strerror, valid until its next call. Never
// nullptr.
const char* fsErrorText(int error);

// Fills each closed descriptor among standard input, output and error with
// /dev/null opened read-only (lowest number first, as open assigns them), so
// no file the run opens takes its place and receives its output; writes to
// it still fail. Call it first. No-op on Windows.
void fsHoldStandardDescriptors();

// Makes a write to a pipe whose reader has gone fail with EPIPE instead of
// ending the process with SIGPIPE, so a command notices its lost report,
// removes what it staged and exits 2. Call it first. No-op on Windows, which
// has no such signal, and under emscripten.
void fsBrokenPipeFailsWrites();

// Switches standard output and error to binary mode, so that "\n" is written
// as LF alone: on Windows they start in text mode (LF becomes CR LF). Call it
// before anything is written. No-op elsewhere.
void fsBinaryStandardStreams();

// Standard input switched to binary mode (on Windows it starts in text mode,
// which turns CR LF into LF and stops at a 0x1A byte). The caller reads it
// and never closes it.
std::FILE* fsStandardInput();

// True when standard error is a terminal (isatty; _isatty on Windows, where
// a terminal emulator that talks through pipes is not one).
bool fsStandardErrorIsTerminal();

// The size of the regular file open as file, from the descriptor alone (no
// seek, so the read position stays where it is); -1 for anything else: a
// pipe, a FIFO, a terminal, a device, a directory. Only a hint: the file may
// grow or shrink while it is read.
long long fsRegularFileSize(std::FILE* file);

// False when this platform cannot hold name as a file name (on Windows any
// of * ? " < > | :); always true elsewhere.
bool fsNameAllowed(const std::string& name);

}  // namespace otawrap

namespace otawrap {

// What a command run by fsRunCommand did.
enum class FsProcessStatus {
  exited,         // it closed its output and ended: see exitCode and signal
  timedOut,       // still running at the deadline: killed
  interrupted,    // a signal that ends this process arrived (POSIX): killed;
                  // the signal takes effect as fsRunCommand returns
  outputTooLong,  // wrote more than the limit: killed
  cannotStart,    // no pipe or process could be made: see osError
  unsupported,    // this platform starts no processes (a WebAssembly build)
};

struct FsProcessResult {
  FsProcessStatus status = FsProcessStatus::cannotStart;
  int exitCode = -1;   // for exited: the exit status, -1 when a signal ended it
  int signal = 0;      // for exited: the signal that ended it, else 0
  int osError = 0;     // for cannotStart
  std::string output;  // what it wrote to standard output, at most the limit
};

// The most input fsRunCommand hands a command: it is written into the pipe
// before the command starts, so it must fit the pipe's buffer.
inline constexpr std::size_t kFsCommandInputLimit = 512;

// Runs command through the system's shell (/bin/sh -c; cmd.exe /c on
// Windows) with input (at most kFsCommandInputLimit bytes) on its standard
// input, its standard output collected (at most outputLimit bytes) and
// standard error shared with this process. Waits at most timeoutSeconds for
// it to close its output and end, then kills it with everything it started
// (its process group on POSIX, its job object on Windows). A SIGINT, SIGTERM
// or SIGHUP for this process while it runs, or this process's end on Windows,
// kills it the same way. Never writes to a pipe the command may have closed,
// so no SIGPIPE can arise.
FsProcessResult fsRunCommand(const std::string& command, const std::string& input,
                             unsigned timeoutSeconds, std::size_t outputLimit);

}  // namespace otawrap
