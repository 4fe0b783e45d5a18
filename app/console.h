#ifndef QUILLFIX_APP_CONSOLE_H_
#define QUILLFIX_APP_CONSOLE_H_

#include <string_view>

/// Writes `text` to standard output and flushes it; when that fails, ends
/// the program as `outputFailed` does.
void writeOutput(std::string_view text);

/// Writes "quillfix: writing to standard output failed" and a line feed to
/// the error stream and ends the program with exit status 1.
[[noreturn]] void outputFailed();

/// Writes `message` and a line feed to standard output, flushes it and ends
/// the program with exit status 1.
[[noreturn]] void fatal(std::string_view message);

/// Writes "quillfix: warning: ", `message` and a line feed to the error
/// stream.
void warn(std::string_view message);

/// The message for a formatted text past its size limit or out of memory.
extern const char kTooLargeMessage[];

#endif  // QUILLFIX_APP_CONSOLE_H_
