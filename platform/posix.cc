#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "platform/interrupts.h"
#include "platform/platform.h"

const bool kCrLfLineEnds = false;

namespace {

const size_t kUnknownSizeChunk = 1 << 16;
const int kMaxLinkHops = 40;

// Each step below returns 0, or the error number of what failed.
const int kDone = 0;

void explain(int error, std::string* reason) {
  if (!reason) return;
  char buffer[256];
  *reason = strerror_r(error, buffer, sizeof buffer);
}

FileStamp stampOf(const struct stat& info) {
  return {static_cast<uint64_t>(info.st_size),
          info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec};
}

std::string directoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

// Follows symbolic links from `path` to the file they finally name, which
// need not exist yet.
std::string resolveLinks(std::string path) {
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    struct stat info;
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) break;
    std::string target(info.st_size > 0 ? info.st_size + 1 : 4096, '\0');
    ssize_t length = readlink(path.c_str(), &target[0], target.size());
    if (length < 0 || static_cast<size_t>(length) >= target.size()) break;
    target.resize(length);
    path = target[0] == '/' ? target : directoryOf(path) + target;
  }
  return path;
}

// Reads `fd` to its end; a regular file of known size in one read.
ReadResult readAll(int fd, Bytes* bytes, std::string* reason) {
  struct stat info;
  if (fstat(fd, &info) != 0) {
    explain(errno, reason);
    return ReadResult::kReadFailed;
  }
  // One byte more than the size, so that the read that sees the end of a
  // regular file needs no room of its own.
  size_t room = S_ISREG(info.st_mode) ? info.st_size + 1 : kUnknownSizeChunk;
  reserveLarge(bytes, room);
  bytes->resize(room);
  size_t used = 0;
  for (;;) {
    if (used == bytes->size()) bytes->resize(bytes->size() * 2);
    ssize_t got = read(fd, bytes->data() + used, bytes->size() - used);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      explain(errno, reason);
      return ReadResult::kReadFailed;
    }
    if (got == 0) break;
    used += got;
  }
  bytes->resize(used);
  return ReadResult::kOk;
}

int writeAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t written = write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return errno;
    if (written == 0) return ENOSPC;
    data += written;
    size -= written;
  }
  return kDone;
}

int closed(int fd, int error) {
  int closing = close(fd) == 0 ? kDone : errno;
  return error ? error : closing;
}

// For targets that cannot be renamed over: devices, pipes, sockets.
int writeIntoDevice(const std::string& path, std::string_view text) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return errno;
  return closed(fd, writeAll(fd, text.data(), text.size()));
}

mode_t newFileMode() {
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// For a file in a folder that refuses new files. Its new size is reserved
// first, so that a full disk fails before the old text is touched.
int overwriteInPlace(const std::string& path, std::string_view text) {
  int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  int error = text.empty() ? kDone : posix_fallocate(fd, 0, text.size());
  if (!error) error = writeAll(fd, text.data(), text.size());
  if (!error && ftruncate(fd, text.size()) != 0) error = errno;
  if (!error && fsync(fd) != 0) error = errno;
  return closed(fd, error);
}

int writeThroughTemporary(const std::string& path, std::string_view text,
                          const struct stat* existing) {
  std::string temporary = directoryOf(path) + ".quillfix-XXXXXX";
  int fd = mkstemp(&temporary[0]);
  if (fd < 0) {
    int error = errno;
    bool folderRefused = error == EACCES || error == EPERM;
    return existing && folderRefused ? overwriteInPlace(path, text) : error;
  }
  mode_t mode = existing ? existing->st_mode & 07777 : newFileMode();
  int error = fchmod(fd, mode) == 0 ? kDone : errno;
  if (!error && existing) (void)!fchown(fd, existing->st_uid, existing->st_gid);
  if (!error) error = writeAll(fd, text.data(), text.size());
  if (!error && fsync(fd) != 0) error = errno;
  error = closed(fd, error);
  if (!error && rename(temporary.c_str(), path.c_str()) != 0) error = errno;
  if (error) unlink(temporary.c_str());
  return error;
}

// `expected`, when not null, is the stamp the target must still have.
int replaceTarget(const std::string& path, std::string_view text,
                  const FileStamp* expected, bool* changed) {
  if (path.empty()) return ENOENT;
  if (path.find('\0') != std::string::npos) return EINVAL;
  std::string target = resolveLinks(path);
  struct stat info;
  bool exists = stat(target.c_str(), &info) == 0;
  if (expected && (!exists || stampOf(info) != *expected)) {
    *changed = true;
    return kDone;
  }
  if (!exists) return writeThroughTemporary(target, text, nullptr);
  if (!S_ISREG(info.st_mode)) return writeIntoDevice(target, text);
  // The rename would go around the file's own permission.
  if (faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return errno;
  return writeThroughTemporary(target, text, &info);
}

std::thread interruptWaiter;
std::atomic<bool> deferralEnding{false};

sigset_t interruptSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  return signals;
}

// Waits for Ctrl-C or SIGTERM, which every other thread blocks, and ends
// the program with it once the replaces under way are done; or returns when
// the deferral ends.
void awaitInterrupt() {
  sigset_t signals = interruptSignals();
  int signal = 0;
  while (sigwait(&signals, &signal) != 0) {
  }
  if (deferralEnding) return;
  shutReplaces();
  struct sigaction fallback = {};
  fallback.sa_handler = SIG_DFL;
  sigaction(signal, &fallback, nullptr);
  sigset_t one;
  sigemptyset(&one);
  sigaddset(&one, signal);
  pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
  raise(signal);
  _exit(128 + signal);
}

}  // namespace

ReadResult readWholeFile(const std::string& path, Bytes* bytes,
                         std::string* reason, FileStamp* stamp) {
  if (path.find('\0') != std::string::npos) {
    explain(EINVAL, reason);
    return ReadResult::kOpenFailed;
  }
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    explain(errno, reason);
    return ReadResult::kOpenFailed;
  }
  struct stat info;
  if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    explain(S_ISDIR(info.st_mode) ? EISDIR : errno, reason);
    close(fd);
    return ReadResult::kOpenFailed;
  }
  if (stamp) *stamp = stampOf(info);
  ReadResult result = readAll(fd, bytes, reason);
  close(fd);
  return result;
}

ReadResult readStandardInput(Bytes* bytes, std::string* reason) {
  return readAll(STDIN_FILENO, bytes, reason);
}

size_t readStandardInputPart(char* buffer, size_t size) {
  for (;;) {
    ssize_t got = read(STDIN_FILENO, buffer, size);
    if (got >= 0) return got;
    if (errno != EINTR) return 0;
  }
}

bool isFolder(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool replaceFile(const std::string& path, std::string_view text,
                 std::string* reason) {
  bool changed = false;
  int error = replaceTarget(path, text, nullptr, &changed);
  explain(error, reason);
  return error == kDone;
}

ReplaceResult replaceUnchangedFile(const std::string& path,
                                   std::string_view text,
                                   const FileStamp& stamp,
                                   std::string* reason) {
  if (!beginReplace()) return ReplaceResult::kFailed;
  bool changed = false;
  int error = replaceTarget(path, text, &stamp, &changed);
  endReplace();
  if (changed) return ReplaceResult::kChanged;
  explain(error, reason);
  return error == kDone ? ReplaceResult::kDone : ReplaceResult::kFailed;
}

InterruptDeferral::InterruptDeferral() {
  sigset_t signals = interruptSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  deferralEnding = false;
  interruptWaiter = std::thread(awaitInterrupt);
}

// An interrupt that comes now ends the program as usual, once unblocked.
InterruptDeferral::~InterruptDeferral() {
  deferralEnding = true;
  pthread_kill(interruptWaiter.native_handle(), SIGTERM);
  interruptWaiter.join();
  sigset_t signals = interruptSignals();
  pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
}

bool writeSortedOutput(std::string_view bytes) {
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  return std::fflush(stdout) == 0 && !std::ferror(stdout);
}

void writeErrorOutput(std::string_view bytes) {
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), stderr);
}

bool isSameFile(const std::string& path, const std::string& other) {
  struct stat first;
  struct stat second;
  return stat(path.c_str(), &first) == 0 && stat(other.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

std::vector<std::string> commandLine(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

std::vector<std::string> expandWildcards(const std::string& path) {
  return {path};
}

int processorCount() {
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) == 0) return CPU_COUNT(&set);
  long online = sysconf(_SC_NPROCESSORS_ONLN);
  return online > 0 ? static_cast<int>(online) : 1;
}
