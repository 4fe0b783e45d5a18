#include "tests/command.h"

#include <stdio.h>
#include <sys/wait.h>

CommandResult runShell(const std::string& command) {
  CommandResult result;
  FILE* pipe = popen(("(" + command + ") </dev/null").c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  size_t count;
  while ((count = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
    result.out.append(buffer, count);
  }
  int status = pclose(pipe);
  if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
  return result;
}

std::string shellQuoted(std::string_view text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

bool haveProgram(const std::string& name) {
  return runShell("command -v " + shellQuoted(name) + " >/dev/null").status ==
         0;
}

std::string gitIn(const std::string& folder) {
  return "HOME=/nonexistent XDG_CONFIG_HOME=/nonexistent "
         "GIT_CONFIG_NOSYSTEM=1 GIT_CONFIG_GLOBAL=/dev/null git -C " +
         shellQuoted(folder);
}
