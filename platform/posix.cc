#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "platform/platform.h"

const bool kCrLfLineEnds = false;

namespace {

const size_t kUnknownSizeChunk = 1 << 16;
const int kMaxLinkHops = 40;

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

bool writeAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t written = write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

// For targets that cannot be renamed over: devices, pipes, sockets.
bool writeIntoDevice(const std::string& path, std::string_view text) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  bool written = writeAll(fd, text.data(), text.size());
  return close(fd) == 0 && written;
}

mode_t newFileMode() {
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// For a file in a folder that refuses new files. Its new size is reserved
// first, so that a full disk fails before the old text is touched.
bool overwriteInPlace(const std::string& path, std::string_view text) {
  int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool done = text.empty() || posix_fallocate(fd, 0, text.size()) == 0;
  done = done && writeAll(fd, text.data(), text.size()) &&
         ftruncate(fd, text.size()) == 0 && fsync(fd) == 0;
  return close(fd) == 0 && done;
}

bool writeThroughTemporary(const std::string& path, std::string_view text,
                           const struct stat* existing) {
  std::string temporary = directoryOf(path) + ".quillfix-XXXXXX";
  int fd = mkstemp(&temporary[0]);
  if (fd < 0) {
    bool folderRefused = errno == EACCES || errno == EPERM;
    return existing && folderRefused && overwriteInPlace(path, text);
  }
  bool done =
      fchmod(fd, existing ? existing->st_mode & 07777 : newFileMode()) == 0;
  if (done && existing) (void)!fchown(fd, existing->st_uid, existing->st_gid);
  done = done && writeAll(fd, text.data(), text.size()) && fsync(fd) == 0;
  done = close(fd) == 0 && done;
  done = done && rename(temporary.c_str(), path.c_str()) == 0;
  if (!done) unlink(temporary.c_str());
  return done;
}

}  // namespace

ReadResult readWholeFile(const std::string& path, Bytes* bytes) {
  if (path.find('\0') != std::string::npos) return ReadResult::kOpenFailed;
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return ReadResult::kOpenFailed;
  struct stat info;
  if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    close(fd);
    return ReadResult::kOpenFailed;
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
      close(fd);
      return ReadResult::kReadFailed;
    }
    if (got == 0) break;
    used += got;
  }
  close(fd);
  bytes->resize(used);
  return ReadResult::kOk;
}

bool replaceFile(const std::string& path, std::string_view text) {
  if (path.empty() || path.find('\0') != std::string::npos) return false;
  std::string target = resolveLinks(path);
  struct stat info;
  if (stat(target.c_str(), &info) != 0)
    return writeThroughTemporary(target, text, nullptr);
  if (!S_ISREG(info.st_mode)) return writeIntoDevice(target, text);
  // The rename would go around the file's own permission.
  if (faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return false;
  return writeThroughTemporary(target, text, &info);
}

bool writeSortedOutput(std::string_view bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  return std::fflush(stdout) == 0 && !std::ferror(stdout);
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
