#include "tests/run_program.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

const char kSetpriv[] = "/usr/bin/setpriv";
const char kRunuser[] = "/usr/sbin/runuser";

// The words that run a command as nobody, from root.
std::vector<const char*> asNobody() {
  if (access(kSetpriv, X_OK) == 0)
    return {kSetpriv, "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
  return {kRunuser, "-u", "nobody", "--"};
}

void redirect(const std::string& path, int flags, int target) {
  int fd = open(path.c_str(), flags, 0644);
  if (fd < 0) _exit(127);
  dup2(fd, target);
  close(fd);
}

void limitTo(int resource, long bytes) {
  struct rlimit limit = {static_cast<rlim_t>(bytes),
                         static_cast<rlim_t>(bytes)};
  setrlimit(resource, &limit);
}

// A copy of the program that the user nobody may run, since the build folder
// may be closed to other users. Made once, by the test process, and removed
// at its end.
const std::string& programForNobody() {
  static const ScratchDirectory folder;
  static const std::string path = [] {
    std::string copy = folder / "quillfix";
    std::filesystem::copy_file(QUILLFIX_BINARY, copy);
    chmod(folder.path().c_str(), 0755);
    chmod(copy.c_str(), 0755);
    return copy;
  }();
  return path;
}

[[noreturn]] void startChild(const std::vector<std::string>& args,
                             const RunOptions& options,
                             const std::string& program,
                             const std::string& scratch) {
  if (!options.directory.empty() && chdir(options.directory.c_str()) != 0)
    _exit(127);
  umask(022);
  if (options.fileSizeLimit >= 0) {
    signal(SIGXFSZ, SIG_IGN);
    limitTo(RLIMIT_FSIZE, options.fileSizeLimit);
  }
  if (options.memoryLimit >= 0) limitTo(RLIMIT_AS, options.memoryLimit);
  redirect(scratch + "/in", O_RDONLY, 0);
  redirect(options.stdoutPath.empty() ? scratch + "/out" : options.stdoutPath,
           O_WRONLY | O_CREAT | O_TRUNC, 1);
  redirect(scratch + "/err", O_WRONLY | O_CREAT | O_TRUNC, 2);
  // QUILLFIX_VALGRIND=1 runs the program under memcheck, whose findings
  // end it with status 99.
  std::string report = scratch + "/peak";
  std::vector<const char*> argv = {PEAK_RUNNER, report.c_str()};
  if (options.unprivileged) {
    std::vector<const char*> drop = asNobody();
    argv.insert(argv.end(), drop.begin(), drop.end());
  }
  if (std::getenv("QUILLFIX_VALGRIND"))
    argv.insert(argv.end(),
                {"valgrind", "-q", "--error-exitcode=99", "--leak-check=full",
                 "--errors-for-leak-kinds=definite"});
  if (testingWindowsBuild())
    argv.insert(argv.end(), {"wine", std::getenv("QUILLFIX_WINDOWS_EXE")});
  else
    argv.push_back(program.c_str());
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  argv.push_back(nullptr);
  execv(PEAK_RUNNER, const_cast<char* const*>(argv.data()));
  _exit(127);
}

template <typename Text>
Text withPlatformLineEnds(const Text& text) {
  if (!testingWindowsBuild()) return text;
  Text lines;
  for (auto c : text) {
    if (c == '\n') lines += '\r';
    lines += c;
  }
  return lines;
}

}  // namespace

std::string asWritten(const std::string& text) {
  return withPlatformLineEnds(text);
}

std::u32string asWritten(const std::u32string& text) {
  return withPlatformLineEnds(text);
}

bool testingWindowsBuild() {
  return std::getenv("QUILLFIX_WINDOWS_EXE") != nullptr;
}

const char kNeedsNobody[] =
    "needs a second user: runs as nobody only when the tests run as root "
    "with setpriv or runuser";

bool canRunAsNobody() {
  return geteuid() == 0 &&
         (access(kSetpriv, X_OK) == 0 || access(kRunuser, X_OK) == 0);
}

namespace {

RunResult runOnce(const std::vector<std::string>& args,
                  const RunOptions& options) {
  ScratchDirectory scratch;
  writeFile(scratch / "in", options.input);
  RunResult result;
  const std::string program =
      options.unprivileged ? programForNobody() : QUILLFIX_BINARY;
  pid_t child = fork();
  if (child == 0) startChild(args, options, program, scratch.path());
  int status = 0;
  waitpid(child, &status, 0);
  result.peakMemoryKb = std::atol(readFile(scratch / "peak").c_str());
  if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  if (options.stdoutPath.empty()) result.out = readFile(scratch / "out");
  result.err = readFile(scratch / "err");
  return result;
}

}  // namespace

RunResult runQuillfix(const std::vector<std::string>& args,
                      const RunOptions& options) {
  RunResult result = runOnce(args, options);
  // Now and then Wine ends with status 1 before the program has printed a
  // thing. The program never does that: with status 1 it names the files
  // that would change, or says what failed. Such a run is made once more.
  if (testingWindowsBuild() && result.status == 1 && result.out.empty() &&
      result.err.empty() && options.stdoutPath.empty())
    result = runOnce(args, options);
  return result;
}

RunResult runQuillfixIn(const std::string& directory,
                        const std::vector<std::string>& args,
                        const std::string& input, bool unprivileged) {
  RunOptions options;
  options.input = input;
  options.directory = directory;
  options.unprivileged = unprivileged;
  return runQuillfix(args, options);
}

ScratchDirectory::ScratchDirectory() {
  char name[] = "/tmp/quillfix-test-XXXXXX";
  path_ = mkdtemp(name);
  owner_ = getpid();
}

ScratchDirectory::~ScratchDirectory() {
  if (getpid() != owner_) return;
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ScratchDirectory::operator/(const std::string& name) const {
  return path_ + "/" + name;
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

bool exists(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

std::vector<std::string> listDirectory(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}
