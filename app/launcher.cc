#include "app/launcher.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/console.h"
#include "app/cpp_code.h"
#include "app/java_code.h"
#include "format/language.h"
#include "platform/platform.h"

namespace {

const size_t kHelpWidth = 65;
const size_t kBannerWidth = 61;
const char kTitle[] = " Quillfix v1.0";
const char kCredits[] = "  - programmed by Hana Kim and Jonas Berg";
const char kDescription[] =
    " This program sort programming code to user's form";

// A screen line: the text, a line feed, and a flush.
void writeLine(const std::string& text) {
  writeOutput(text + '\n');
}

// The separator lines of a screen `width` characters wide.
std::string rule(size_t width) {
  return std::string(width, '=');
}
std::string line(size_t width) {
  return std::string(width, '-');
}

void writeHeading(size_t width) {
  writeLine(rule(width));
  writeLine(kTitle);
  writeLine(kCredits);
  writeLine(line(width));
  writeLine(kDescription);
  writeLine(rule(width) + "\n");
}

// Reads one line of standard input; its line feed, and a CR before it, are
// not kept.
std::string readLine() {
  std::string line;
  for (int c; (c = std::getchar()) != EOF && c != '\n';)
    line += static_cast<char>(c);
  if (!line.empty() && line.back() == '\r' && !std::feof(stdin))
    line.pop_back();
  return line;
}

bool isViewOff(const std::string& value) {
  return value == "no" || value == "NO" || value == "No";
}

}  // namespace

Launcher::Launcher(int argc, const char* const* argv) {
  if (argc < 1) std::exit(1);
  if (argc == 2) {
    if (std::string(argv[1]) == "/?")
      options.push_back({"/?", ""});
    else
      sourcePath = argv[1];
  } else if (argc >= 3) {
    for (int k = 0; k < argc / 2 - 1; ++k)
      options.push_back({argv[2 * k + 1], argv[2 * k + 2]});
    sourcePath = argv[argc - 1];
  }
}

void Launcher::run() {
  std::string indentSpec = "t1";
  bool viewRequested = true;
  bool saveRequested = false;
  if (optionCount() == 0 && sourcePath.empty()) {
    askSourcePath();
  } else if (optionCount() == 1 && options[0].name == "/?") {
    showHelp();
    std::exit(0);
  } else {
    for (const Option& option : options) {
      if (option.name == "/sn") {
        savePath = option.value;
        saveRequested = true;
      } else if (option.name == "/view") {
        viewRequested = !isViewOff(option.value);
      } else if (option.name == "/i") {
        indentSpec = option.value;
      }
    }
  }
  if (sourcePath.empty()) fatal("ERROR: sourcefile is null. ");

  std::unique_ptr<Code> code = createFormatter();
  code->setIndent(indentSpec);
  formattedText = code->sort();
  sourceEndsEarly = code->textEndsEarly();
  code.reset();
  if (sourceEndsEarly)
    warn(sourcePath +
         ": a Ctrl-Z byte ends the text before the end of the file; the rest "
         "is left out");

  // A failed print is reported after saving, so that the save still happens.
  bool shown = !viewRequested || writeSortedOutput(view(formattedText));
  if (saveRequested && !saveFormattedText())
    fatal(savePath + " : Saving the sorted code failed.");
  if (!shown) outputFailed();
}

// Chooses the formatter by the extension, which must be a language's name
// exactly, before the file is opened, and loads the file.
std::unique_ptr<Code> Launcher::createFormatter() const {
  const Language* language = languageNamed(fileExtension());
  if (!language) fatal("ERROR: Don't support file type.");
  if (language == &kJavaLanguage) return std::make_unique<JavaCode>(sourcePath);
  return std::make_unique<CppCode>(sourcePath);
}

// The whole path is taken for one name, folders and all, and a path with no
// "." is its own extension: a file named "c" is C.
std::string Launcher::fileExtension() const {
  if (sourcePath.find('.') == std::string::npos) return sourcePath;
  return std::string(extensionOf(sourcePath));
}

void Launcher::showHelp() const {
  writeHeading(kHelpWidth);
  writeLine(" usage : quillfix [options] [path][filename]");
  writeLine(line(kHelpWidth));
  writeLine(" [options]");
  writeLine("  - /? : detail helps");
  writeLine("  - /sn [filename] : save the sorted code to new file");
  writeLine("  - /view [yes|no] : determine whether view the sorted code");
  writeLine(
      "  - /i [s|t][num] : determine indent character (s: Space, t: Tab)");
  writeLine("                    ex> /i s2    (two space)");
  writeLine(line(kHelpWidth));
  writeOutput("\n");
}

void Launcher::askSourcePath() {
  writeHeading(kBannerWidth);
  writeLine("(Please execute with /? to help)");
  writeLine("Enter the path of source file: ");
  sourcePath = readLine();
}

// The source is not replaced by a text that a 0x1A cut short: its tail would
// be lost.
bool Launcher::saveFormattedText() const {
  if (sourceEndsEarly && isSameFile(savePath, sourcePath)) return false;
  return replaceFile(savePath, view(formattedText));
}
