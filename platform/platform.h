#ifndef QUILLFIX_PLATFORM_PLATFORM_H_
#define QUILLFIX_PLATFORM_PLATFORM_H_

#include <string>
#include <vector>

// Everything quillfix asks of the operating system beyond standard C++.

enum class ReadResult { kOk, kOpenFailed, kReadFailed };

/// Reads the whole file at `path` as raw bytes into `bytes`. A directory, or
/// a path holding a NUL byte, cannot be opened.
ReadResult readWholeFile(const std::string& path, std::string* bytes);

/// Replaces the file at `path` with `text` so that a failure at any point
/// leaves the old file as it was; returns false on failure.
bool replaceFile(const std::string& path, const std::string& text);

/// Makes room for `size` bytes in `text`, in huge pages where the system
/// offers them, so that filling a large text takes few page faults.
void reserveLarge(std::string* text, size_t size);

/// Returns the command line's arguments, program name first, in UTF-8.
std::vector<std::string> commandLine(int argc, char** argv);

#endif  // QUILLFIX_PLATFORM_PLATFORM_H_
