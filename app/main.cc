#include <new>
#include <string>
#include <vector>

#include "app/console.h"
#include "app/conventional.h"
#include "app/launcher.h"
#include "platform/platform.h"

namespace {

[[noreturn]] void outOfMemory() {
  fatal(kTooLargeMessage);
}

// The classic command line, exactly as it always was.
int runClassic(const std::vector<std::string>& arguments) {
  std::set_new_handler(outOfMemory);
  std::vector<const char*> pointers;
  for (const std::string& argument : arguments)
    pointers.push_back(argument.c_str());
  pointers.push_back(nullptr);
  Launcher launcher(static_cast<int>(arguments.size()), pointers.data());
  launcher.run();
  return 0;
}

}  // namespace

// A first argument that begins with "-" chooses the conventional command
// line; any other command line is the classic one.
int main(int argc, char** argv) {
  std::vector<std::string> arguments = commandLine(argc, argv);
  if (arguments.size() >= 2 && arguments[1].starts_with('-'))
    return runConventional({arguments.begin() + 1, arguments.end()});
  return runClassic(arguments);
}
