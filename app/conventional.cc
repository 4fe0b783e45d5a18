#include "app/conventional.h"

#include <new>
#include <optional>
#include <string_view>

#include "app/batch.h"
#include "app/command_line.h"
#include "app/editor_config.h"
#include "app/line_ranges.h"
#include "app/message_stream.h"
#include "app/unified_diff.h"
#include "app/walk.h"
#include "format/source.h"
#include "platform/platform.h"

namespace {

const char kVersion[] = "quillfix " QUILLFIX_VERSION "\n";
const char kOutputFailed[] = "quillfix: writing to standard output failed\n";
const char kNoSources[] = "no C, C++ or Java files";

// A file to sort, or a folder named in which the walk found nothing at all:
// that is told, but is no failure.
struct Target {
  WalkEntry entry;
  bool emptyFolder = false;
};

// What sorting one file gave.
struct FileResult {
  Bytes out;            // for standard output
  std::string error;    // why it failed, for the error stream; or empty
  std::string warning;  // what .editorconfig asks that cannot be used
  bool changed = false;
};

int statusOf(bool failed, bool changed, Mode mode) {
  if (failed) return 2;
  return changed && (mode == Mode::kCheck || mode == Mode::kDiff) ? 1 : 0;
}

void report(const std::string& path, const std::string& reason) {
  writeErrorOutput("quillfix: " + path + ": " + reason + "\n");
}

void warn(const std::string& path, const std::string& warning) {
  if (!warning.empty()) report("warning: " + path, warning);
}

int usageError(const std::string& message) {
  writeErrorOutput("quillfix: " + message + "\nTry 'quillfix --help'.\n");
  return 2;
}

const Language* languageOf(const std::string& path, const CommandLine& line) {
  return line.language ? line.language : languageOfExtension(extensionOf(path));
}

// --indent, else what the .editorconfig files ask for the file at `path`;
// one tab for standard input without a name.
Indent indentOf(const std::string& path, const CommandLine& line,
                std::string* warning) {
  if (line.indent) return *line.indent;
  if (path.empty()) return Indent();
  return indentOfEditorConfig(path, warning);
}

// Sorts `file`, the text of the file at `path`, into `sorted` (only the
// changes that touch --lines, if given); returns why
// that failed, or an empty string. `warning` gets what the .editorconfig
// files ask that cannot be used.
std::string sortLoaded(const Bytes& file, const std::string& path,
                       const Language* language, const CommandLine& line,
                       Bytes* sorted, std::string* warning) {
  if (!language)
    return "not a C, C++ or Java file name (--lang names the language)";
  const std::string unit = indentOf(path, line, warning).unit();
  SortFailure failure = sortWholeFile(view(file), *language, unit, sorted);
  if (failure == SortFailure::kNone && !line.lines.empty())
    *sorted = toBytes(takeChanges(view(file), view(*sorted), line.lines,
                                  wholeFileSorting(*language, unit))
                          .text);
  return describeFailure(failure);
}

// What the modes that write nothing give for a sorted file.
void present(const std::string& path, const Bytes& file, Bytes sorted,
             Mode mode, FileResult* result) {
  result->changed = view(sorted) != view(file);
  if (mode == Mode::kPrint) {
    result->out = std::move(sorted);
  } else if (!result->changed) {
    return;
  } else if (mode == Mode::kCheck) {
    result->out = toBytes(path + "\n");
  } else {
    result->out = toBytes(unifiedDiff(path, view(file), view(sorted)));
  }
}

FileResult sortAndSave(const WalkEntry& target, const CommandLine& line) {
  FileResult result;
  if (!target.error.empty()) {
    result.error = target.error;
    return result;
  }
  Bytes file;
  FileStamp stamp;
  std::string reason;
  switch (readWholeFile(target.path, &file, &reason, &stamp)) {
    case ReadResult::kOk:
      break;
    case ReadResult::kOpenFailed:
      result.error = "cannot open: " + reason;
      return result;
    case ReadResult::kReadFailed:
      result.error = "cannot read: " + reason;
      return result;
  }
  Bytes sorted;
  result.error = sortLoaded(file, target.path, target.language, line, &sorted,
                            &result.warning);
  if (!result.error.empty()) return result;
  if (line.mode != Mode::kWrite) {
    present(target.path, file, std::move(sorted), line.mode, &result);
    return result;
  }
  result.changed = view(sorted) != view(file);
  if (!result.changed) return result;
  switch (replaceUnchangedFile(target.path, view(sorted), stamp, &reason)) {
    case ReplaceResult::kDone:
      break;
    case ReplaceResult::kChanged:
      result.error = "changed while being sorted";
      break;
    case ReplaceResult::kFailed:
      result.error = "cannot save: " + reason;
      break;
  }
  return result;
}

// One file's lack of memory is its own failure.
FileResult sortFile(const Target& target, const CommandLine& line) {
  if (target.emptyFolder) return {};
  try {
    return sortAndSave(target.entry, line);
  } catch (const std::bad_alloc&) {
    FileResult result;
    result.error = "out of memory";
    return result;
  }
}

// The files named, and those found in the folders named.
std::vector<Target> targetsOf(const CommandLine& line) {
  WalkOptions walk;
  walk.readIgnoreFiles = line.readIgnoreFiles;
  walk.excludes = line.excludes;
  std::vector<Target> targets;
  for (const std::string& named : line.paths) {
    for (const std::string& path : expandWildcards(named)) {
      bool folder = isFolder(path);
      if (excludesNamedPath(path, folder, line.excludes)) continue;
      if (!folder) {
        targets.push_back({{path, languageOf(path, line), ""}});
        continue;
      }
      std::vector<WalkEntry> found = walkFolder(path, walk);
      if (found.empty()) targets.push_back({{path, nullptr, ""}, true});
      for (WalkEntry& entry : found) targets.push_back({std::move(entry)});
    }
  }
  return targets;
}

// Standard input stands for a file of the name --stdin-filename gives; when
// it cannot be sorted, it is printed as it came, so that an editor that
// replaces its text with the output loses nothing.
int sortStandardInput(const CommandLine& line) {
  const std::string name =
      line.stdinName.empty() ? kStandardInput : line.stdinName;
  Bytes input;
  std::string reason;
  FileResult result;
  Bytes sorted;
  try {
    if (readStandardInput(&input, &reason) != ReadResult::kOk)
      result.error = "cannot read: " + reason;
    else
      result.error = sortLoaded(input, line.stdinName, languageOf(name, line),
                                line, &sorted, &result.warning);
  } catch (const std::bad_alloc&) {
    result.error = "out of memory";
  }
  if (result.error.empty()) {
    present(name, input, std::move(sorted), line.mode, &result);
  } else if (line.mode == Mode::kPrint) {
    result.out = std::move(input);
  }
  bool printed = writeSortedOutput(view(result.out));
  warn(name, result.warning);
  if (!result.error.empty()) report(name, result.error);
  if (!printed) writeErrorOutput(kOutputFailed);
  return statusOf(!result.error.empty() || !printed, result.changed, line.mode);
}

int sortFiles(const CommandLine& line) {
  std::optional<InterruptDeferral> deferral;
  if (line.mode == Mode::kWrite) deferral.emplace();
  const std::vector<Target> targets = targetsOf(line);
  bool failed = false;
  bool changed = false;
  bool printed = true;
  runInOrder<FileResult>(
      targets.size(), line.jobs ? line.jobs : processorCount(),
      [&](size_t k) { return sortFile(targets[k], line); },
      [&](size_t k, FileResult& result) {
        if (printed && !result.out.empty() &&
            !writeSortedOutput(view(result.out))) {
          printed = false;
          writeErrorOutput(kOutputFailed);
        }
        const std::string& path = targets[k].entry.path;
        if (targets[k].emptyFolder) report(path, kNoSources);
        warn(path, result.warning);
        if (!result.error.empty()) report(path, result.error);
        failed = failed || !result.error.empty();
        changed = changed || result.changed;
      });
  return statusOf(failed || !printed, changed, line.mode);
}

}  // namespace

int runConventional(const std::vector<std::string>& arguments) {
  CommandLine line;
  std::string error = parseCommandLine(arguments, &line);
  if (!error.empty()) return usageError(error);
  if (line.help || line.version) {
    if (writeSortedOutput(line.help ? usage() : kVersion)) return 0;
    writeErrorOutput(kOutputFailed);
    return 2;
  }
  if (line.lsp) return runLanguageServer();
  if (line.paths.front() == kStandardInput) return sortStandardInput(line);
  if (!line.lines.empty() && isFolder(line.paths.front()))
    return usageError("--lines takes a file, not the folder '" +
                      line.paths.front() + "'");
  return sortFiles(line);
}

std::string describeFailure(SortFailure failure) {
  switch (failure) {
    case SortFailure::kNone:
      break;
    case SortFailure::kBinary:
      return "binary or UTF-16 without a byte-order mark";
    case SortFailure::kEndsEarly:
      return "a Ctrl-Z byte ends the text before the end of the file";
    case SortFailure::kTooLarge:
      return "the sorted code is too large";
    case SortFailure::kUnitsLost:
      return "internal error: the sorted code does not match the source";
  }
  return "";
}
