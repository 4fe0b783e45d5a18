#include <new>
#include <string>
#include <vector>

#include "app/console.h"
#include "app/launcher.h"
#include "platform/platform.h"

namespace {

[[noreturn]] void outOfMemory() {
  fatal(kTooLargeMessage);
}

}  // namespace

int main(int argc, char** argv) {
  std::set_new_handler(outOfMemory);
  std::vector<std::string> arguments = commandLine(argc, argv);
  std::vector<const char*> pointers;
  for (const std::string& argument : arguments)
    pointers.push_back(argument.c_str());
  pointers.push_back(nullptr);
  Launcher launcher(static_cast<int>(arguments.size()), pointers.data());
  launcher.run();
  return 0;
}
