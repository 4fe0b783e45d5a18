#include "app/command_line.h"

#include <string_view>

const char kUsage[] =
    "Usage: quillfix [OPTION]... [--] PATH...\n"
    "  or:  quillfix [OPTION]... -\n"
    "Sort C, C++ and Java sources into quillfix's layout. A folder is walked "
    "for\n"
    "sources, skipping what git ignores; '-' is standard input. With no "
    "mode,\n"
    "the sorted code is printed.\n"
    "\n"
    "  -w, --write              replace each file whose sorted code differs\n"
    "  -c, --check              print the path of each file that would "
    "change\n"
    "  -d, --diff               print a unified diff of each file that would\n"
    "                           change\n"
    "      --indent SPEC        one level of indentation: s and a count of\n"
    "                           blanks, or t and a count of tabs (default t1,\n"
    "                           a count of at most 256)\n"
    "      --lang c|cpp|java    the language of standard input and of named\n"
    "                           files (else their extension's)\n"
    "      --stdin-filename NAME  the name standard input stands for, in\n"
    "                           messages and for its language\n"
    "  -j, --jobs N             sort up to N files at once (default: one per\n"
    "                           processor)\n"
    "      --exclude GLOB       skip files and folders whose path below a "
    "named\n"
    "                           folder, or whose name, matches; repeatable\n"
    "      --no-ignore          do not read .gitignore files\n"
    "  -h, --help               print this help and end\n"
    "  -V, --version            print the version and end\n"
    "      --                   take every later argument as a path\n"
    "\n"
    "Sources: .c .h (C), .cc .cpp .cxx .c++ .hh .hpp .hxx .h++ .ipp .tpp "
    ".inl\n"
    "(C++), .java (Java), in any case.\n"
    "Exit status: 0 when all went well, 1 when --check or --diff found a "
    "file\n"
    "that would change, 2 when anything failed.\n"
    "A first argument that does not begin with '-' selects the classic "
    "command\n"
    "line instead (see 'quillfix /?').\n";

namespace {

const int kMaxJobs = 1024;

// Options that take a value, which follows as the next argument or after
// "=" (or, for -j, right after it).
bool takesValue(std::string_view name) {
  return name == "--indent" || name == "--lang" || name == "--stdin-filename" ||
         name == "-j" || name == "--jobs" || name == "--exclude";
}

bool isFlag(std::string_view name) {
  for (std::string_view flag :
       {"-w", "--write", "-c", "--check", "-d", "--diff", "--no-ignore", "-h",
        "--help", "-V", "--version"})
    if (name == flag) return true;
  return false;
}

// A count from 1 to kMaxJobs, in decimal digits alone.
bool parseJobs(std::string_view text, int* jobs) {
  if (text.empty() || text.size() > 4) return false;
  int count = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    count = count * 10 + (c - '0');
  }
  if (count < 1 || count > kMaxJobs) return false;
  *jobs = count;
  return true;
}

std::string setMode(Mode mode, bool* modeGiven, CommandLine* line) {
  if (*modeGiven && line->mode != mode)
    return "--write, --check and --diff do not go together";
  *modeGiven = true;
  line->mode = mode;
  return "";
}

std::string apply(std::string_view name, const std::string& value,
                  bool* modeGiven, CommandLine* line) {
  if (name == "-w" || name == "--write")
    return setMode(Mode::kWrite, modeGiven, line);
  if (name == "-c" || name == "--check")
    return setMode(Mode::kCheck, modeGiven, line);
  if (name == "-d" || name == "--diff")
    return setMode(Mode::kDiff, modeGiven, line);
  if (name == "--no-ignore") {
    line->readIgnoreFiles = false;
  } else if (name == "-h" || name == "--help") {
    line->help = true;
  } else if (name == "-V" || name == "--version") {
    line->version = true;
  } else if (name == "--indent") {
    if (!parseIndent(value, &line->indent))
      return "the indent count of '" + value + "' is above " +
             std::to_string(kMaxIndentCount);
  } else if (name == "--lang") {
    line->language = languageNamed(value);
    if (!line->language)
      return "unknown language '" + value + "' (c, cpp or java)";
  } else if (name == "--stdin-filename") {
    line->stdinName = value;
  } else if (name == "-j" || name == "--jobs") {
    if (!parseJobs(value, &line->jobs))
      return "--jobs needs a count from 1 to " + std::to_string(kMaxJobs) +
             ", not '" + value + "'";
  } else {
    line->excludes.push_back(value);
  }
  return "";
}

// What the options and paths ask must make sense together.
std::string checkTogether(const CommandLine& line) {
  if (line.paths.empty()) return "no path given";
  bool standardInput = false;
  for (const std::string& path : line.paths)
    standardInput = standardInput || path == kStandardInput;
  if (!standardInput) return "";
  if (line.paths.size() > 1)
    return "standard input '-' is sorted alone, without other paths";
  if (line.mode == Mode::kWrite) return "--write cannot replace standard input";
  if (!line.language && line.stdinName.empty())
    return "standard input needs --lang or --stdin-filename";
  return "";
}

}  // namespace

std::string parseCommandLine(const std::vector<std::string>& arguments,
                             CommandLine* line) {
  bool pathsOnly = false;
  bool modeGiven = false;
  for (size_t k = 0; k < arguments.size(); ++k) {
    const std::string& argument = arguments[k];
    if (pathsOnly || argument.size() < 2 || argument[0] != '-') {
      line->paths.push_back(argument);
      continue;
    }
    if (argument == "--") {
      pathsOnly = true;
      continue;
    }
    std::string name = argument;
    std::string value;
    bool valueGiven = false;
    size_t equals = argument.find('=');
    if (argument[1] == '-' && equals != std::string::npos) {
      name = argument.substr(0, equals);
      value = argument.substr(equals + 1);
      valueGiven = true;
    } else if (argument[1] == 'j' && argument.size() > 2) {
      name = "-j";
      value = argument.substr(2);
      valueGiven = true;
    }
    if (argument[1] == 'i')
      return "-i is not an option: --write sorts files in place, and "
             "--indent SPEC sets the indentation";
    if (!takesValue(name) && !isFlag(name))
      return "unknown option '" + argument + "'";
    if (isFlag(name) && valueGiven)
      return "option '" + name + "' takes no value";
    if (takesValue(name) && !valueGiven) {
      if (k + 1 == arguments.size())
        return "option '" + name + "' needs a value";
      value = arguments[++k];
    }
    std::string error = apply(name, value, &modeGiven, line);
    if (!error.empty()) return error;
    if (line->help || line->version) return "";
  }
  return checkTogether(*line);
}
