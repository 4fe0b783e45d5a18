#ifndef QUILLFIX_TESTS_COMMAND_H_
#define QUILLFIX_TESTS_COMMAND_H_

#include <string>
#include <string_view>

// What a shell command printed and how it ended.
struct CommandResult {
  std::string out;
  int status = -1;  // exit status, or -1 when it did not exit
};

/// Runs `command` with /bin/sh, standard input empty, and collects its
/// standard output.
CommandResult runShell(const std::string& command);

/// `text` as one word for the shell.
std::string shellQuoted(std::string_view text);

/// True when the program `name` can be found on the PATH.
bool haveProgram(const std::string& name);

/// The start of a git command line for the work tree `folder`, with no
/// configuration of the user's or the system's read (so no global excludes
/// file either).
std::string gitIn(const std::string& folder);

#endif  // QUILLFIX_TESTS_COMMAND_H_
