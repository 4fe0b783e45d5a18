#ifndef QUILLFIX_TESTS_RUN_PROGRAM_H_
#define QUILLFIX_TESTS_RUN_PROGRAM_H_

#include <string>
#include <vector>

// What one run of the built program did.
struct RunResult {
  std::string out;
  std::string err;
  int status = -1;  // exit status, or -1 after a signal
  int signal = 0;   // the signal that ended it, or 0
  long peakMemoryKb = 0;
};

struct RunOptions {
  std::string input;          // bytes on standard input
  std::string directory;      // working directory
  std::string stdoutPath;     // standard output goes here instead, if set
  long fileSizeLimit = -1;    // RLIMIT_FSIZE in bytes, if not negative
  long memoryLimit = -1;      // RLIMIT_AS in bytes, if not negative
  bool unprivileged = false;  // as the user nobody; needs canRunAsNobody()
};

/// True when the tests run the Windows build, quillfix.exe under Wine, named
/// by the environment variable QUILLFIX_WINDOWS_EXE.
bool testingWindowsBuild();

/// True when the program can run as a second user, nobody: the tests run as
/// root, with setpriv or runuser at hand.
bool canRunAsNobody();

/// Why a test that needs a second user is skipped.
extern const char kNeedsNobody[];

/// `text` as the program writes it to a text stream or file on the platform
/// under test: on Windows every line feed is CR LF. The text is made of bytes
/// or of code units.
std::string asWritten(const std::string& text);
std::u32string asWritten(const std::u32string& text);

/// Runs the quillfix binary with `args` after its name.
RunResult runQuillfix(const std::vector<std::string>& args,
                      const RunOptions& options);

/// Runs the quillfix binary with `args` in `directory`, with `input` on
/// standard input, as nobody when `unprivileged`.
RunResult runQuillfixIn(const std::string& directory,
                        const std::vector<std::string>& args,
                        const std::string& input, bool unprivileged);

// A directory of its own for one test, removed with everything in it by the
// process that made it (not by a child that a death test forks and ends).
class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const;

 private:
  std::string path_;
  int owner_;  // the process that made it
};

void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);
bool exists(const std::string& path);
/// The names in `directory`, sorted.
std::vector<std::string> listDirectory(const std::string& directory);

#endif  // QUILLFIX_TESTS_RUN_PROGRAM_H_
