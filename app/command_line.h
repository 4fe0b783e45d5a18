#ifndef QUILLFIX_APP_COMMAND_LINE_H_
#define QUILLFIX_APP_COMMAND_LINE_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/line_ranges.h"
#include "format/indent.h"
#include "format/language.h"

// What is done with each file's sorted code.
enum class Mode {
  kPrint,  // written to standard output
  kWrite,  // replaces the file where it differs
  kCheck,  // the file's path is printed where it differs
  kDiff,   // a unified diff is printed where it differs
};

// The conventional command line, read.
struct CommandLine {
  bool help = false;
  bool version = false;
  bool lsp = false;  // --lsp: the language server
  Mode mode = Mode::kPrint;
  std::optional<Indent> indent;        // --indent, or none: .editorconfig's
  const Language* language = nullptr;  // --lang, or null
  std::string stdinName;               // --stdin-filename, or empty
  int jobs = 0;                        // 0: one per processor
  std::vector<std::string> excludes;
  bool readIgnoreFiles = true;
  std::vector<LineRange> lines;    // --lines; none: every line
  std::vector<std::string> paths;  // "-" alone stands for standard input
};

/// The path that stands for standard input.
inline constexpr char kStandardInput[] = "-";

/// Reads `arguments`, those after the program's name, into `commandLine`.
/// Returns the message of a usage error, or an empty string.
std::string parseCommandLine(const std::vector<std::string>& arguments,
                             CommandLine* commandLine);

/// Reads an indent specification as --indent takes it, "t" or "s" and a
/// count from 1 to kMaxIndentCount in decimal digits, into `indent`; false,
/// with `indent` unchanged, when `spec` is not one.
bool parseIndentSpec(std::string_view spec, Indent* indent);

/// The usage text that --help prints, from the options and languages that
/// the command line is read by.
std::string usage();

#endif  // QUILLFIX_APP_COMMAND_LINE_H_
