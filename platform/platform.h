#ifndef QUILLFIX_PLATFORM_PLATFORM_H_
#define QUILLFIX_PLATFORM_PLATFORM_H_

#include <string>
#include <string_view>
#include <vector>

#include "base/bytes.h"

// Everything quillfix asks of the operating system beyond standard C++.

enum class ReadResult { kOk, kOpenFailed, kReadFailed };

/// True where text files end their lines in CR LF.
extern const bool kCrLfLineEnds;

/// Reads the whole file at `path` as raw bytes into `bytes`. A directory, or
/// a path holding a NUL byte, cannot be opened.
ReadResult readWholeFile(const std::string& path, Bytes* bytes);

/// Replaces the file at `path` with `text`; returns false on failure. A file
/// the user may not write is refused. The text goes to a temporary file
/// beside the target, which replaces it once written whole, so that a failure
/// leaves the old file as it was; where the folder refuses a temporary file,
/// the target is overwritten in place, after its new size was reserved.
bool replaceFile(const std::string& path, std::string_view text);

/// Writes the sorted code to standard output as it is, with no line-end
/// translation, and flushes it; false on failure.
bool writeSortedOutput(std::string_view bytes);

/// True when both paths name one existing file.
bool isSameFile(const std::string& path, const std::string& other);

/// Returns the command line's arguments, program name first, in UTF-8.
std::vector<std::string> commandLine(int argc, char** argv);

#endif  // QUILLFIX_PLATFORM_PLATFORM_H_
