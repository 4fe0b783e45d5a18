#ifndef QUILLFIX_FORMAT_FATAL_H_
#define QUILLFIX_FORMAT_FATAL_H_

#include <string_view>

/// Writes `message` and a line feed to standard output, flushes it and ends
/// the program with exit status 1.
[[noreturn]] void fatal(std::string_view message);

/// The message for a formatted text past its size limit or out of memory.
extern const char kTooLargeMessage[];

#endif  // QUILLFIX_FORMAT_FATAL_H_
