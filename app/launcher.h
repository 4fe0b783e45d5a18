#ifndef QUILLFIX_APP_LAUNCHER_H_
#define QUILLFIX_APP_LAUNCHER_H_

#include <memory>
#include <string>
#include <vector>

#include "base/bytes.h"

class Code;

// One option pair from the command line, such as "/i" with "s2".
struct Option {
  std::string name;
  std::string value;
};

// The front end: reads the command line, runs the one job and reports it.
class Launcher {
 public:
  /// Takes the option pairs and the source path from the argument vector.
  Launcher(int argc, const char* const* argv);

  /// Carries out the job, or ends the program early with a message.
  void run();

  /// Returns what follows the last "." of the source path.
  std::string fileExtension() const;

  /// Writes the help screen.
  void showHelp() const;

  /// Writes the banner and the prompt, then reads the source path.
  void askSourcePath();

  /// Writes the formatted text to the save path; false if that failed.
  bool saveFormattedText() const;

 private:
  int optionCount() const { return static_cast<int>(options.size()); }
  std::unique_ptr<Code> createFormatter() const;

  std::vector<Option> options;
  std::string sourcePath;
  std::string savePath;
  Bytes formattedText;
  bool sourceEndsEarly = false;  // a 0x1A ended the text before the file
};

#endif  // QUILLFIX_APP_LAUNCHER_H_
