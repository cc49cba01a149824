// Fault injection on the built binary: every fatal condition ends with its
// message and exit code 2, and leaves the output directory exactly as it was
// (no new file, no temporary, an existing output file unchanged). Covers the
// file-system faults a build machine meets: missing, unreadable or
// non-regular inputs and credentials, read errors after a successful open, an
// output directory that is missing, not a directory or not writable, an output
// name taken by a directory, a full disk (file-size limit and a real, small
// tmpfs), the tool being stopped by a signal while it writes, and an endless
// input stream from a FIFO.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <pthread.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "commands/ota_file_check.h"
#include "support/otawrap_run.h"
#include "support/process_control.h"
#include "support/process_runner.h"
#include "support/raw_file_generator.h"
#include "support/temp_directory.h"

namespace otawrap {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using test::ProcessResult;
using test::TempDirectory;

// The generator's default identifiers name the output file.
const char kOutputName[] = "100B-0042-00010203.zigbee";
const Bytes kOldContent = {'o', 'l', 'd'};

const char kCredentials[] =
    "IEEE Address: 0102030405060708\n"
    "Device Private Key: 00 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF 00 11 22 33 44\n"
    "Device Implicit Cert: "
    "000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F"
    "202122232425262728292A2B2C2D2E2F\n";

Bytes rawFile(std::uint32_t seed, std::size_t dataBytes) {
  test::RawGeneratorOptions options;
  options.seed = seed;
  options.dataBytes = dataBytes;
  return test::rawFileBytes(test::generateRawFile(options));
}

void setMode(const std::string& path, mode_t mode) { ASSERT_EQ(chmod(path.c_str(), mode), 0) << path; }

// A work directory with a valid input, valid credentials and an output
// directory "out" that already holds an old output file. Everything is
// readable and traversable by other users, for the unprivileged runs.
class Workspace {
 public:
  Workspace() {
    setMode(dir.path(), 0755);
    EXPECT_TRUE(test::writeFileBytes(dir.file("in.raw"), rawFile(7, 16 * 1024)));
    const std::string text = kCredentials;
    EXPECT_TRUE(test::writeFileBytes(dir.file("creds.txt"), Bytes(text.begin(), text.end())));
    fs::create_directory(dir.file("out"));
    EXPECT_TRUE(test::writeFileBytes(dir.file("out/") + kOutputName, kOldContent));
    setMode(dir.file("out"), 0777);
    entriesBefore = dir.entries();
  }

  // The run failed with message and changed nothing in the output directory
  // or the work directory.
  void expectFatal(const ProcessResult& result, const std::string& message) const {
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.output, "Error: " + message);
    std::vector<std::string> outEntries;
    for (const auto& entry : fs::directory_iterator(dir.file("out"))) {
      outEntries.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(outEntries, std::vector<std::string>{kOutputName});
    EXPECT_EQ(test::readFileBytes(dir.file("out/") + kOutputName), kOldContent);
    EXPECT_EQ(dir.entries(), entriesBefore);
  }

  ProcessResult run(const std::vector<std::string>& arguments, long fileSizeLimit = 0) const {
    test::ProcessOptions options;
    options.fileSizeLimit = fileSizeLimit;
    return test::runOtawrap(dir, arguments, options);
  }

  TempDirectory dir;
  std::vector<std::string> entriesBefore;
};

// Conditions any user can set up.
TEST(FaultInjection, EveryFatalConditionLeavesTheOutputDirectoryAlone) {
  const Bytes valid = rawFile(7, 16 * 1024);
  Bytes truncated = valid;
  truncated.resize(truncated.size() - 50);
  const Bytes tooSmall = test::rawFileBytes({{{0, Bytes(0x98 + 99, 0x01)}}, {}});
  const Bytes tooLarge = rawFile(5, 700 * 1024);
  const std::string name1023(1023, 'n');
  // A private key written with a leading 00 (44 digits): reading its first 42
  // would sign with another key.
  std::string longKey = kCredentials;
  const std::size_t keyAt = longKey.find("Key: ") + 5;
  longKey.replace(keyAt, longKey.find('\n', keyAt) - keyAt,
                  "0000112233445566778899AABBCCDDEEFF0011223344");
  // 1,024 bytes with CR LF line ends: one over the limit on every platform.
  std::string crlf;
  for (const char c : std::string(kCredentials)) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  crlf.insert(crlf.size() - 2, std::string(1024 - crlf.size(), ' '));
  const bool haveProcMem = fs::exists("/proc/self/mem");

  struct Case {
    const char* name;
    std::vector<std::string> arguments;
    const char* message;
    Bytes input;  // written to case.raw first when not empty
  } cases[] = {
      {"missing input", {"missing.raw", "-oout"}, "Unable to open input file", {}},
      {"input is a directory", {"out", "-oout"}, "Unable to open input file", {}},
      {"truncated input", {"case.raw", "-oout"}, "Input file is truncated", truncated},
      {"image too small", {"case.raw", "-oout"}, "Input image too small", tooSmall},
      {"image too large", {"case.raw", "-oout"}, "Input image too large", tooLarge},
      {"invalid platform", {"in.raw", "-oout", "-pquilldev"},
       "Invalid platform.  Valid platfomrs are: QUILLDEV, MARSHDEV, or FENBOARD", {}},
      {"input name too long", {std::string(1024, 'i'), "-oout"}, "Input file name too long", {}},
      {"output path too long", {"in.raw", "-oout", "-o" + name1023}, "Output path too long", {}},
      {"credentials missing", {"in.raw", "-oout", "-smissing.txt"}, "Cannot open certificate", {}},
      {"credentials are a directory", {"in.raw", "-oout", "-sout"}, "Cannot open certificate", {}},
      {"credentials invalid", {"in.raw", "-oout", "-sin.raw"}, "Invalid certificate", {}},
      {"44-digit private key", {"in.raw", "-oout", "-scase.raw"}, "Invalid certificate",
       Bytes(longKey.begin(), longKey.end())},
      {"1,024-byte credentials with CR LF", {"in.raw", "-oout", "-scase.raw"}, "Invalid certificate",
       Bytes(crlf.begin(), crlf.end())},
      {"output directory missing", {"in.raw", "-onowhere"}, "Unable to open output file", {}},
      {"output directory is a file", {"in.raw", "-ocreds.txt"}, "Unable to open output file", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Workspace workspace;
    if (!c.input.empty()) {
      ASSERT_TRUE(test::writeFileBytes(workspace.dir.file("case.raw"), c.input));
      workspace.entriesBefore = workspace.dir.entries();
    }
    workspace.expectFatal(workspace.run(c.arguments), c.message);
  }

  // A FIFO as the output directory, made in the workspace.
  {
    Workspace workspace;
    ASSERT_EQ(mkfifo(workspace.dir.file("fifo").c_str(), 0600), 0);
    workspace.entriesBefore = workspace.dir.entries();
    workspace.expectFatal(workspace.run({"in.raw", "-ofifo"}), "Unable to open output file");
  }

  // Control: the same CR LF credentials one byte shorter sign.
  {
    ASSERT_EQ(crlf.size(), 1024u);
    Workspace workspace;
    const std::string shorter = crlf.substr(0, 1000) + crlf.substr(1001);
    ASSERT_TRUE(test::writeFileBytes(workspace.dir.file("case.raw"), Bytes(shorter.begin(), shorter.end())));
    EXPECT_EQ(workspace.run({"in.raw", "-oout", "-scase.raw"}).exitCode, 0);
  }

  // Read errors after a successful open: /proc/self/mem opens but fails on read.
  if (haveProcMem) {
    Workspace workspace;
    workspace.expectFatal(workspace.run({"/proc/self/mem", "-oout"}), "Unable to open input file");
    workspace.expectFatal(workspace.run({"in.raw", "-oout", "-s/proc/self/mem"}),
                          "Cannot open certificate");
  }
}

TEST(FaultInjection, OutputNameTakenByADirectory) {
  Workspace workspace;
  const std::string taken = workspace.dir.file("taken");
  fs::create_directories(taken + "/" + kOutputName);
  workspace.entriesBefore = workspace.dir.entries();
  const ProcessResult result = workspace.run({"in.raw", "-otaken"});
  workspace.expectFatal(result, "Unable to open output file");
  std::vector<std::string> entries;
  for (const auto& entry : fs::directory_iterator(taken)) {
    entries.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(entries, std::vector<std::string>{kOutputName});  // no temporary left
  EXPECT_TRUE(fs::is_directory(taken + "/" + kOutputName));
  EXPECT_TRUE(fs::is_empty(taken + "/" + kOutputName));
}

// The process may not grow a file beyond the limit, so the write fails at the
// first byte, inside the buffer flush, or at the very last byte.
TEST(FaultInjection, FileSizeLimitFailsTheWriteAndKeepsTheOldFile) {
  Workspace reference;
  ASSERT_EQ(reference.run({"in.raw", "-oout", "-screds.txt"}).exitCode, 0);
  const long size =
      static_cast<long>(test::readFileBytes(reference.dir.file("out/") + kOutputName).size());
  ASSERT_GT(size, 8192);
  for (const long limit : {1L, 100L, 4096L, size - 1}) {
    SCOPED_TRACE("limit " + std::to_string(limit));
    Workspace workspace;
    workspace.expectFatal(workspace.run({"in.raw", "-oout", "-screds.txt"}, limit),
                          "Unable to write output file");
  }
}

// A real full disk: a private 64 KiB tmpfs as the output directory; and a
// read-only file system.
TEST(FaultInjection, FullAndReadOnlyFileSystems) {
  Workspace workspace;
  ASSERT_TRUE(test::writeFileBytes(workspace.dir.file("big.raw"), rawFile(11, 200 * 1024)));
  fs::create_directory(workspace.dir.file("small"));
  fs::create_directory(workspace.dir.file("readonly"));
  const std::string why = test::mountPrivateTmpfs(workspace.dir.file("small"), 64 * 1024, false);
  if (!why.empty()) {
    GTEST_SKIP() << "cannot mount a private tmpfs here (" << why << ")";
  }
  ASSERT_TRUE(test::writeFileBytes(workspace.dir.file("small/") + kOutputName, kOldContent));
  ASSERT_EQ(test::mountPrivateTmpfs(workspace.dir.file("readonly"), 64 * 1024, true), "");

  ProcessResult full = workspace.run({"big.raw", "-osmall"});
  EXPECT_EQ(full.exitCode, 2);
  EXPECT_EQ(full.output, "Error: Unable to write output file");
  std::vector<std::string> entries;
  for (const auto& entry : fs::directory_iterator(workspace.dir.file("small"))) {
    entries.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(entries, std::vector<std::string>{kOutputName});
  EXPECT_EQ(test::readFileBytes(workspace.dir.file("small/") + kOutputName), kOldContent);
  // A small file still fits.
  EXPECT_EQ(workspace.run({"x", "-n", "-osmall"}).exitCode, 0);

  ProcessResult readOnly = workspace.run({"in.raw", "-oreadonly"});
  EXPECT_EQ(readOnly.exitCode, 2);
  EXPECT_EQ(readOnly.output, "Error: Unable to open output file");
  EXPECT_TRUE(fs::is_empty(workspace.dir.file("readonly")));

  test::unmountPrivateTmpfs(workspace.dir.file("small"));
  test::unmountPrivateTmpfs(workspace.dir.file("readonly"));
}

// Runs the tool in the workspace with every fsync failing with EIO (a
// seccomp filter installed in the child before exec). Exit code 125 with no
// output means the filter could not be installed.
ProcessResult runWithFailingFsync(const Workspace& workspace,
                                  const std::vector<std::string>& arguments) {
  const std::string program = OTAWRAP_BINARY;
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  int output[2];
  if (pipe(output) != 0) return {125, ""};
  const pid_t child = fork();
  if (child == 0) {
    dup2(output[1], STDOUT_FILENO);
    close(output[0]);
    close(output[1]);
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_fsync, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EIO),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog filterProgram{static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
    if (chdir(workspace.dir.path().c_str()) != 0 || prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
        prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &filterProgram) != 0) {
      _exit(125);
    }
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(output[1]);
  ProcessResult result{125, ""};
  char buffer[4096];
  ssize_t count = 0;
  while ((count = read(output[0], buffer, sizeof buffer)) > 0) {
    result.output.append(buffer, static_cast<std::size_t>(count));
  }
  close(output[0]);
  int status = 0;
  if (child > 0 && waitpid(child, &status, 0) == child) {
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
  }
  return result;
}

// The device refuses to make the data durable: fsync of the temporary fails.
// The run fails with the write error and changes nothing, signed or not.
TEST(FaultInjection, FailedSyncFailsTheWriteAndKeepsTheOldFile) {
  for (const bool signing : {false, true}) {
    SCOPED_TRACE(signing ? "signed" : "unsigned");
    Workspace workspace;
    std::vector<std::string> arguments = {"in.raw", "-oout"};
    if (signing) arguments.push_back("-screds.txt");
    const ProcessResult result = runWithFailingFsync(workspace, arguments);
    if (result.exitCode == 125 && result.output.empty()) {
      GTEST_SKIP() << "cannot install a seccomp filter here";
    }
    workspace.expectFatal(result, "Unable to write output file");
  }
}

// Permission faults. Root ignores file permissions, so as root the tool runs
// as "nobody"; a control run shows that user can convert when allowed to.
TEST(FaultInjection, PermissionDenied) {
  Workspace workspace;
  const std::string program = OTAWRAP_BINARY;
  fs::create_directory(workspace.dir.file("locked-out"));
  setMode(workspace.dir.file("locked-out"), 0555);
  ASSERT_TRUE(test::writeFileBytes(workspace.dir.file("locked.raw"), rawFile(7, 4096)));
  setMode(workspace.dir.file("locked.raw"), 0);
  ASSERT_TRUE(test::writeFileBytes(workspace.dir.file("locked-creds.txt"),
                                   Bytes(kCredentials, kCredentials + sizeof kCredentials - 1)));
  setMode(workspace.dir.file("locked-creds.txt"), 0);
  setMode(workspace.dir.file("in.raw"), 0644);
  setMode(workspace.dir.file("creds.txt"), 0644);
  setMode(workspace.dir.file("out/") + kOutputName, 0666);
  workspace.entriesBefore = workspace.dir.entries();

  const auto unprivileged = [&](const std::vector<std::string>& arguments) {
    return test::runProcessUnprivileged(program, arguments, workspace.dir.path());
  };
  ProcessResult control = unprivileged({"in.raw", "-ocontrol-out", "-screds.txt"});
  if (control.exitCode == 126 && control.output.empty()) {
    GTEST_SKIP() << "cannot switch to an unprivileged user here";
  }
  // The control run needs a writable directory of its own.
  fs::create_directory(workspace.dir.file("control-out"));
  setMode(workspace.dir.file("control-out"), 0777);
  control = unprivileged({"in.raw", "-ocontrol-out", "-screds.txt"});
  if (control.exitCode == 127) {
    GTEST_SKIP() << "the built tool or the work directory is out of reach for user nobody";
  }
  ASSERT_EQ(control.exitCode, 0) << control.output;
  fs::remove_all(workspace.dir.file("control-out"));

  workspace.expectFatal(unprivileged({"in.raw", "-olocked-out"}), "Unable to open output file");
  EXPECT_TRUE(fs::is_empty(workspace.dir.file("locked-out")));
  // The system's reason as it is, not that of a later probe.
  const ProcessResult denied = unprivileged({"convert", "in.raw", "-o", "locked-out"});
  EXPECT_EQ(denied.errors, std::string("otawrap: cannot create output file 'locked-out/") +
                               kOutputName + "': Permission denied\n");
  EXPECT_TRUE(fs::is_empty(workspace.dir.file("locked-out")));
  workspace.expectFatal(unprivileged({"locked.raw", "-oout"}), "Unable to open input file");
  workspace.expectFatal(unprivileged({"in.raw", "-oout", "-slocked-creds.txt"}),
                        "Cannot open certificate");
}

// Sets the given signals to their default action for its lifetime, so the
// started tool does not inherit an ignored one (a background job ignores
// SIGINT, nohup ignores SIGHUP).
class DefaultSignals {
 public:
  explicit DefaultSignals(std::vector<int> signals) : signals_(std::move(signals)) {
    for (const int signal : signals_) {
      struct sigaction action {};
      action.sa_handler = SIG_DFL;
      sigemptyset(&action.sa_mask);
      saved_.emplace_back();
      sigaction(signal, &action, &saved_.back());
    }
  }
  ~DefaultSignals() {
    for (std::size_t i = 0; i < signals_.size(); ++i) sigaction(signals_[i], &saved_[i], nullptr);
  }
  DefaultSignals(const DefaultSignals&) = delete;
  DefaultSignals& operator=(const DefaultSignals&) = delete;

 private:
  std::vector<int> signals_;
  std::vector<struct sigaction> saved_;
};

std::vector<std::string> temporariesIn(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(directory)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(".otawrap-", 0) == 0 && name.size() > 4 && name.substr(name.size() - 4) == ".tmp") {
      names.push_back(name);
    }
  }
  return names;
}

// The tool stopped by a signal at random moments of a run over a large input,
// with an old output file in place. The output file is always either the old
// one or the complete new one. SIGINT, SIGTERM and SIGHUP leave no temporary:
// the tool removes it and dies of the signal. Only SIGKILL, which cannot be
// caught, may leave one when it comes before the rename; it carries the tool's
// recognisable name and never replaces the real file.
TEST(FaultInjection, KilledWhileWritingLeavesTheOldOrTheNewFile) {
  Workspace workspace;
  ASSERT_TRUE(test::writeFileBytes(workspace.dir.file("large.raw"), rawFile(13, 440 * 1024)));
  const std::vector<std::string> arguments = {"large.raw", "-oout", "-screds.txt"};
  const std::string output = workspace.dir.file("out/") + kOutputName;

  // The complete new file and the time one run takes.
  const auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(workspace.run(arguments).exitCode, 0);
  const auto runTime = std::chrono::steady_clock::now() - started;
  const Bytes complete = test::readFileBytes(output);
  ASSERT_GT(complete.size(), 400u * 1024);
  const auto maxDelay =
      std::chrono::duration_cast<std::chrono::microseconds>(runTime).count() * 3 / 2 + 1;

  // Odd rounds stop the run at a random moment of the whole run; even rounds
  // wait until the temporary appears and stop it 0-200 us into the write.
  test::DirectoryWatch watch(workspace.dir.file("out"));
  ASSERT_TRUE(watch.valid());
  const DefaultSignals defaults({SIGINT, SIGTERM, SIGHUP});
  std::mt19937 rng(4242);  // fixed seed for the kill moments
  const int signals[] = {SIGKILL, SIGTERM, SIGINT, SIGHUP};
  int interrupted = 0;
  int completed = 0;
  int strayTemporaries = 0;  // SIGKILL rounds stopped between creating the temporary and the rename
  for (int round = 0; round < 80; ++round) {
    const int signal = signals[(round / 2) % 4];
    ASSERT_TRUE(test::writeFileBytes(output, kOldContent));
    watch.waitForCreation(0);  // forget our own write
    const test::RunningProcess process =
        test::startProcess(OTAWRAP_BINARY, arguments, workspace.dir.path());
    ASSERT_GT(process.pid, 0);
    if (round % 2 == 0) {
      watch.waitForCreation(10000);
      // Spin: sleeping has too coarse a grain for the short write.
      const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(rng() % 200);
      while (std::chrono::steady_clock::now() < until) {
      }
    } else {
      std::this_thread::sleep_for(std::chrono::microseconds(rng() % maxDelay));
    }
    test::signalProcess(process, signal);
    const int exitCode = waitProcess(process);
    const Bytes now = test::readFileBytes(output);
    if (exitCode == 0) {
      ++completed;
      EXPECT_EQ(now, complete) << "round " << round;
    } else {
      ++interrupted;
      EXPECT_EQ(exitCode, -signal) << "round " << round;
      EXPECT_TRUE(now == kOldContent || now == complete) << "round " << round;
    }
    for (const auto& entry : fs::directory_iterator(workspace.dir.file("out"))) {
      const std::string name = entry.path().filename().string();
      if (name == kOutputName) continue;
      ++strayTemporaries;
      EXPECT_EQ(signal, SIGKILL) << "round " << round << " left " << name;
      EXPECT_EQ(name.rfind(".otawrap-", 0), 0u) << name;
      EXPECT_EQ(name.substr(name.size() - 4), ".tmp") << name;
      EXPECT_LE(fs::file_size(entry.path()), complete.size()) << name;
      fs::remove(entry.path());
    }
    watch.waitForCreation(0);
  }
  std::printf("signal rounds: %d interrupted (%d SIGKILL rounds left a temporary), %d completed\n",
              interrupted, strayTemporaries, completed);
  EXPECT_GT(interrupted, 0);

  // A later run still replaces the file whole.
  ASSERT_EQ(workspace.run(arguments).exitCode, 0);
  EXPECT_EQ(test::readFileBytes(output), complete);
}

// Each signal delivered at a moment when the temporary certainly exists: the
// tool is stopped (SIGSTOP) as soon as a file appears in the output directory,
// the signal is sent while a temporary is there, and the tool continued.
// SIGINT, SIGTERM and SIGHUP remove the temporary and end the tool by that
// signal with the old file in place; SIGKILL leaves the temporary and the old
// file; an ignored SIGHUP stays ignored and the run completes.
TEST(FaultInjection, SignalInsideTheWriteWindow) {
  Workspace workspace;
  ASSERT_TRUE(test::writeFileBytes(workspace.dir.file("large.raw"), rawFile(13, 440 * 1024)));
  const std::vector<std::string> arguments = {"large.raw", "-oout", "-screds.txt"};
  const std::string out = workspace.dir.file("out");
  const std::string output = out + "/" + kOutputName;
  ASSERT_EQ(workspace.run(arguments).exitCode, 0);
  const Bytes complete = test::readFileBytes(output);
  test::DirectoryWatch watch(out);
  ASSERT_TRUE(watch.valid());

  struct Case {
    const char* name;
    int signal;
    bool ignored;  // the tool is started with the signal ignored
    int exitCode;
    bool temporaryStays;
  } cases[] = {
      {"SIGTERM", SIGTERM, false, -SIGTERM, false}, {"SIGINT", SIGINT, false, -SIGINT, false},
      {"SIGHUP", SIGHUP, false, -SIGHUP, false},    {"SIGKILL", SIGKILL, false, -SIGKILL, true},
      {"ignored SIGHUP", SIGHUP, true, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const DefaultSignals defaults({SIGINT, SIGTERM, SIGHUP});
    bool hit = false;
    for (int attempt = 0; attempt < 50 && !hit; ++attempt) {
      ASSERT_TRUE(test::writeFileBytes(output, kOldContent));
      watch.waitForCreation(0);
      if (c.ignored) static_cast<void>(std::signal(c.signal, SIG_IGN));  // inherited by the tool
      const test::RunningProcess process =
          test::startProcess(OTAWRAP_BINARY, arguments, workspace.dir.path());
      if (c.ignored) static_cast<void>(std::signal(c.signal, SIG_DFL));
      ASSERT_GT(process.pid, 0);
      watch.waitForCreation(10000);
      test::signalProcess(process, SIGSTOP);
      int status = 0;
      const bool stopped = waitpid(process.pid, &status, WUNTRACED) == process.pid && WIFSTOPPED(status);
      hit = stopped && !temporariesIn(out).empty() && test::readFileBytes(output) == kOldContent;
      if (hit) test::signalProcess(process, c.signal);
      test::signalProcess(process, SIGCONT);
      int exitCode = waitProcess(process);
      if (!stopped) {  // it ended before the stop, and the wait above reaped it
        exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
      }
      if (!hit) {
        ASSERT_EQ(exitCode, 0) << "attempt " << attempt;
        for (const std::string& name : temporariesIn(out)) fs::remove(fs::path(out) / name);
        continue;
      }
      EXPECT_EQ(exitCode, c.exitCode);
      EXPECT_EQ(test::readFileBytes(output), c.exitCode == 0 ? complete : kOldContent);
      const std::vector<std::string> left = temporariesIn(out);
      EXPECT_EQ(left.size(), c.temporaryStays ? 1u : 0u);
      for (const std::string& name : left) fs::remove(fs::path(out) / name);
    }
    EXPECT_TRUE(hit) << "the write window was never caught";
  }
}

// Endless input: a FIFO whose writer sends data records without end. A stream
// of kept bytes that are not 0xFF stops as soon as the image cannot fit; a
// stream of 0xFF fill (which the trim could still remove) stops at the raw
// input limit. Both end with "Input image too large" and change nothing.
TEST(FaultInjection, EndlessInputStreamEnds) {
  test::RawGeneratorOptions options;
  options.seed = 7;
  options.dataBytes = 16 * 1024;
  options.trailingRecords = false;
  const Bytes prefix = test::rawFileBytes(test::generateRawFile(options));
  struct Case {
    const char* name;
    Bytes record;
  } cases[] = {
      {"kept bytes", test::rawDataRecordBytes(0x20000, Bytes(65536, 0x42))},
      {"0xFF fill", test::rawDataRecordBytes(0x20000, Bytes(65536, 0xFF))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Workspace workspace;
    const std::string fifo = workspace.dir.file("endless.raw");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    workspace.entriesBefore = workspace.dir.entries();
    std::uint64_t written = 0;
    std::thread writer([&] {
      sigset_t pipeSignal;
      sigemptyset(&pipeSignal);
      sigaddset(&pipeSignal, SIGPIPE);
      pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);  // EPIPE instead of the signal
      const int descriptor = open(fifo.c_str(), O_WRONLY);
      if (descriptor < 0) return;
      Bytes block = prefix;
      while (block.size() < 1024 * 1024) block.insert(block.end(), c.record.begin(), c.record.end());
      std::size_t offset = 0;
      for (;;) {
        const ssize_t count = write(descriptor, block.data() + offset, block.size() - offset);
        if (count <= 0) break;
        written += static_cast<std::uint64_t>(count);
        offset += static_cast<std::size_t>(count);
        if (offset == block.size()) {  // from now on only the repeated record
          block = c.record;
          offset = 0;
        }
      }
      close(descriptor);
    });
    const ProcessResult result = workspace.run({"endless.raw", "-oout"});
    // Let the writer go if the tool never opened the FIFO.
    const int unblock = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    if (unblock >= 0) close(unblock);
    writer.join();
    workspace.expectFatal(result, "Input image too large");
    std::printf("%s: the writer got %llu bytes in before the tool stopped\n", c.name,
                static_cast<unsigned long long>(written));
  }
}

}  // namespace
}  // namespace otawrap
