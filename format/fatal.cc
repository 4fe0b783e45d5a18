#include "format/fatal.h"

#include <cstdio>
#include <cstdlib>

const char kTooLargeMessage[] = "ERROR: The sorted code is too large.";

void fatal(std::string_view message) {
  std::fwrite(message.data(), 1, message.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
  std::exit(1);
}
