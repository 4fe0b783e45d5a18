#include "app/console.h"

#include <cstdio>
#include <cstdlib>
#include <string>

const char kTooLargeMessage[] = "ERROR: The sorted code is too large.";

void writeOutput(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) outputFailed();
}

void outputFailed() {
  std::fputs("quillfix: writing to standard output failed\n", stderr);
  std::exit(1);
}

void fatal(std::string_view message) {
  writeOutput(std::string(message) + '\n');
  std::exit(1);
}

void warn(std::string_view message) {
  std::fputs("quillfix: warning: ", stderr);
  std::fwrite(message.data(), 1, message.size(), stderr);
  std::fputc('\n', stderr);
}
