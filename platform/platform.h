#ifndef QUILLFIX_PLATFORM_PLATFORM_H_
#define QUILLFIX_PLATFORM_PLATFORM_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/bytes.h"

// Everything quillfix asks of the operating system beyond standard C++.
// Where an operation can fail, `reason` (when not null) gets the system's
// own words for why, such as "No such file or directory".

enum class ReadResult { kOk, kOpenFailed, kReadFailed };

/// How large a file was and when it was last written, to tell whether it
/// changed since.
struct FileStamp {
  uint64_t size = 0;
  int64_t modified = 0;  // in the system's own ticks
  bool operator==(const FileStamp&) const = default;
};

/// True where text files end their lines in CR LF.
extern const bool kCrLfLineEnds;

/// Reads the whole file at `path` as raw bytes into `bytes`, and its stamp
/// as opened into `stamp` when not null. A directory, or a path holding a
/// NUL byte, cannot be opened.
ReadResult readWholeFile(const std::string& path, Bytes* bytes,
                         std::string* reason = nullptr,
                         FileStamp* stamp = nullptr);

/// Reads standard input to its end as raw bytes into `bytes`.
ReadResult readStandardInput(Bytes* bytes, std::string* reason);

/// Reads what standard input holds, up to `size` bytes, into `buffer`, as
/// raw bytes; returns how many, 0 at its end or on failure.
size_t readStandardInputPart(char* buffer, size_t size);

/// True when `path` names a folder (through symbolic links).
bool isFolder(const std::string& path);

/// Replaces the file at `path` with `text`; returns false on failure. A file
/// the user may not write is refused. The text goes to a temporary file
/// beside the target, which replaces it once written whole, so that a failure
/// leaves the old file as it was; where the folder refuses a temporary file,
/// the target is overwritten in place, after its new size was reserved.
bool replaceFile(const std::string& path, std::string_view text,
                 std::string* reason = nullptr);

enum class ReplaceResult { kDone, kFailed, kChanged };

/// Replaces the file at `path` with `text` as replaceFile does, unless its
/// size or modification time is no longer that of `stamp` (kChanged). Once
/// begun, the replace is finished before an interrupt deferred by an
/// `InterruptDeferral` ends the program.
ReplaceResult replaceUnchangedFile(const std::string& path,
                                   std::string_view text,
                                   const FileStamp& stamp, std::string* reason);

// While one exists, an interrupt (Ctrl-C, or SIGTERM where there is one)
// waits for the replaces under way to end, then ends the program as it would
// have; no replace begins after it. To be made before any other thread
// starts, and only one at a time.
class InterruptDeferral {
 public:
  InterruptDeferral();
  ~InterruptDeferral();
  InterruptDeferral(const InterruptDeferral&) = delete;
  InterruptDeferral& operator=(const InterruptDeferral&) = delete;
};

/// Writes the sorted code to standard output as it is, with no line-end
/// translation, and flushes it; false on failure.
bool writeSortedOutput(std::string_view bytes);

/// Writes `bytes` to the error stream as they are, with no line-end
/// translation.
void writeErrorOutput(std::string_view bytes);

/// True when both paths name one existing file.
bool isSameFile(const std::string& path, const std::string& other);

/// Returns the command line's arguments, program name first, in UTF-8.
std::vector<std::string> commandLine(int argc, char** argv);

/// The paths that `path` names once `*` and `?` in it are matched against
/// the file system, in order of their names, where the shell leaves that to
/// the program (Windows); `path` alone where it matches nothing, holds no
/// wildcard, or the shell has done it already.
std::vector<std::string> expandWildcards(const std::string& path);

/// The number of processors this program may run on, at least 1.
int processorCount();

#endif  // QUILLFIX_PLATFORM_PLATFORM_H_
