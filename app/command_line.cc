#include "app/command_line.h"

#include <algorithm>
#include <string_view>

#include "base/decimal.h"

namespace {

const int kMaxJobs = 1024;

// What an option asks for.
enum class Action {
  kWrite,
  kCheck,
  kDiff,
  kIndent,
  kLang,
  kStdinName,
  kLines,
  kJobs,
  kExclude,
  kNoIgnore,
  kHelp,
  kVersion,
  kLsp,
  kPathsOnly,
};

// An option, as it is read and as --help shows it.
struct OptionSpec {
  std::string_view shortName;  // "-w", or empty
  std::string_view longName;   // "--write"
  std::string_view value;      // what its value is called; empty for a flag
  std::string_view help;       // its lines, apart by line feeds
  Action action;
};

// The value of --lang, which --help shows as the languages' names.
const char kLanguageValue[] = "LANG";

// A value follows the option as the next argument or after "=" (or, for a
// short option, right after it).
const OptionSpec kOptions[] = {
    {"-w", "--write", "", "replace each file whose sorted code differs",
     Action::kWrite},
    {"-c", "--check", "", "print the path of each file that would change",
     Action::kCheck},
    {"-d", "--diff", "",
     "print a unified diff of each file that would\n"
     "change",
     Action::kDiff},
    {"", "--indent", "SPEC",
     "one level of indentation: t and a count of\n"
     "tabs, or s and a count of blanks, the count\n"
     "from 1 to 256 (default: as .editorconfig\n"
     "says, else t1)",
     Action::kIndent},
    {"", "--lang", kLanguageValue,
     "the language of standard input and of named\n"
     "files (else their extension's)",
     Action::kLang},
    {"", "--stdin-filename", "NAME",
     "the name standard input stands for, in\n"
     "messages and for its language",
     Action::kStdinName},
    {"", "--lines", "START:END",
     "make only the changes that touch lines START\n"
     "to END (from 1) of one file or standard\n"
     "input; repeatable",
     Action::kLines},
    {"-j", "--jobs", "N",
     "sort up to N files at once (default: one per\n"
     "processor)",
     Action::kJobs},
    {"", "--exclude", "GLOB",
     "skip the files and folders, named or walked,\n"
     "whose name or path below the named folder\n"
     "matches (./GLOB: path from the current\n"
     "folder); repeatable",
     Action::kExclude},
    {"", "--no-ignore", "", "do not read .gitignore files", Action::kNoIgnore},
    {"-h", "--help", "", "print this help and end", Action::kHelp},
    {"-V", "--version", "", "print the version and end", Action::kVersion},
    {"", "--lsp", "",
     "serve the language server protocol on\n"
     "standard input and output (formatting and\n"
     "range formatting)",
     Action::kLsp},
    {"", "--", "", "take every later argument as a path", Action::kPathsOnly},
};

const char kUsageStart[] =
    "Usage: quillfix [OPTION]... [--] PATH...\n"
    "  or:  quillfix [OPTION]... -\n"
    "  or:  quillfix --lsp\n"
    "Sort C, C++ and Java sources into quillfix's layout. A folder is walked "
    "for\n"
    "sources, skipping what git ignores; '-' is standard input. With no "
    "mode,\n"
    "the sorted code is printed.\n"
    "\n";

const char kUsageEnd[] =
    "Exit status: 0 when all went well, 1 when --check or --diff found a "
    "file\n"
    "that would change, 2 when anything failed.\n"
    "A first argument that does not begin with '-' selects the classic "
    "command\n"
    "line instead (see 'quillfix /?').\n";

// Where the help of an option begins on its line, and how wide the lines of
// a paragraph are at most.
const size_t kHelpColumn = 27;
const size_t kParagraphWidth = 75;

// The languages' names, `between` apart and `last` before the last one.
std::string languageNames(std::string_view between, std::string_view last) {
  std::string names;
  for (size_t k = 0; k < std::size(kLanguages); ++k) {
    if (k > 0) names += k + 1 == std::size(kLanguages) ? last : between;
    names += kLanguages[k]->name;
  }
  return names;
}

// `words` with blanks between them, in lines of at most `width` characters.
std::string paragraph(const std::vector<std::string>& words, size_t width) {
  std::string text;
  size_t lineStart = 0;
  for (const std::string& word : words) {
    if (text.size() > lineStart) {
      bool fits = text.size() - lineStart + 1 + word.size() <= width;
      text += fits ? ' ' : '\n';
      if (!fits) lineStart = text.size();
    }
    text += word;
  }
  return text + '\n';
}

// The extensions of each language, then its title.
std::string sourcesParagraph() {
  std::vector<std::string> words = {"Sources:"};
  for (const Language* language : kLanguages) {
    std::string_view extensions = language->extensions;
    while (!extensions.empty()) {
      size_t blank = extensions.find(' ');
      words.push_back(std::string(".").append(extensions.substr(0, blank)));
      extensions = blank == extensions.npos ? "" : extensions.substr(blank + 1);
    }
    words.push_back(std::string("(").append(language->title).append("),"));
  }
  words.insert(words.end(), {"in", "any", "case."});
  return paragraph(words, kParagraphWidth);
}

// An option's names and value, then its help in a column of its own.
std::string optionLines(const OptionSpec& option) {
  std::string lines = "  ";
  if (option.shortName.empty())
    lines += "    ";
  else
    lines.append(option.shortName).append(", ");
  lines += option.longName;
  if (option.value == kLanguageValue)
    lines.append(" ").append(languageNames("|", "|"));
  else if (!option.value.empty())
    lines.append(" ").append(option.value);
  lines.resize(std::max(lines.size() + 2, kHelpColumn), ' ');
  for (char c : option.help) {
    lines += c;
    if (c == '\n') lines.append(kHelpColumn, ' ');
  }
  return lines + '\n';
}

// The option named `name`, short or long, or null.
const OptionSpec* optionNamed(std::string_view name) {
  for (const OptionSpec& option : kOptions)
    if (name == option.shortName || name == option.longName) return &option;
  return nullptr;
}

bool takesValue(const OptionSpec* option) {
  return option && !option->value.empty();
}

// A count from 1 to `most`, in decimal digits alone.
bool parseCount(std::string_view text, int most, int* count) {
  size_t value = 0;
  if (!parseDecimal(text, 4, most, &value)) return false;
  *count = static_cast<int>(value);
  return true;
}

std::string setMode(Mode mode, bool* modeGiven, CommandLine* line) {
  if (*modeGiven && line->mode != mode)
    return "--write, --check and --diff do not go together";
  *modeGiven = true;
  line->mode = mode;
  return "";
}

std::string apply(Action action, const std::string& value, bool* modeGiven,
                  CommandLine* line) {
  switch (action) {
    case Action::kWrite:
      return setMode(Mode::kWrite, modeGiven, line);
    case Action::kCheck:
      return setMode(Mode::kCheck, modeGiven, line);
    case Action::kDiff:
      return setMode(Mode::kDiff, modeGiven, line);
    case Action::kIndent:
      if (!parseIndentSpec(value, &line->indent.emplace()))
        return "--indent takes t or s and a count from 1 to " +
               std::to_string(kMaxIndentCount) + " (t1, s4), not '" + value +
               "'";
      break;
    case Action::kLang:
      line->language = languageNamed(value);
      if (!line->language)
        return "unknown language '" + value + "' (" +
               languageNames(", ", " or ") + ")";
      break;
    case Action::kStdinName:
      line->stdinName = value;
      break;
    case Action::kLines: {
      LineRange range;
      if (!parseLineRange(value, &range))
        return "--lines takes START:END, line numbers from 1 with START not "
               "past END, not '" +
               value + "'";
      line->lines.push_back(range);
      break;
    }
    case Action::kJobs:
      if (!parseCount(value, kMaxJobs, &line->jobs))
        return "--jobs needs a count from 1 to " + std::to_string(kMaxJobs) +
               ", not '" + value + "'";
      break;
    case Action::kExclude:
      line->excludes.push_back(value);
      break;
    case Action::kNoIgnore:
      line->readIgnoreFiles = false;
      break;
    case Action::kHelp:
      line->help = true;
      break;
    case Action::kVersion:
      line->version = true;
      break;
    case Action::kLsp:
      line->lsp = true;
      break;
    case Action::kPathsOnly:  // "--" alone, taken before any option is read
      break;
  }
  return "";
}

// What the options and paths ask must make sense together.
std::string checkTogether(const CommandLine& line) {
  if (line.paths.empty()) return "no path given";
  if (!line.lines.empty() && line.paths.size() > 1)
    return "--lines takes one file or standard input";
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

bool parseIndentSpec(std::string_view spec, Indent* indent) {
  if (spec.empty() || (spec[0] != 't' && spec[0] != 's')) return false;
  int count = 0;
  if (!parseCount(spec.substr(1), kMaxIndentCount, &count)) return false;
  indent->character = spec[0] == 's' ? ' ' : '\t';
  indent->count = count;
  return true;
}

std::string usage() {
  std::string text = kUsageStart;
  for (const OptionSpec& option : kOptions) text += optionLines(option);
  return text + "\n" + sourcesParagraph() + kUsageEnd;
}

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
    } else if (argument.size() > 2 &&
               takesValue(optionNamed(argument.substr(0, 2)))) {
      name = argument.substr(0, 2);
      value = argument.substr(2);
      valueGiven = true;
    }
    if (argument[1] == 'i')
      return "-i is not an option: --write sorts files in place, and "
             "--indent SPEC sets the indentation";
    const OptionSpec* option = optionNamed(name);
    if (!option || option->action == Action::kPathsOnly)
      return "unknown option '" + argument + "'";
    if (!takesValue(option) && valueGiven)
      return "option '" + name + "' takes no value";
    if (takesValue(option) && !valueGiven) {
      if (k + 1 == arguments.size())
        return "option '" + name + "' needs a value";
      value = arguments[++k];
    }
    std::string error = apply(option->action, value, &modeGiven, line);
    if (!error.empty()) return error;
    if (line->help || line->version) return "";
  }
  if (line->lsp)
    return arguments.size() == 1 ? "" : "--lsp takes no other argument";
  return checkTogether(*line);
}
