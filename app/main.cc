#include <new>

#include "app/launcher.h"
#include "format/fatal.h"

namespace {

[[noreturn]] void outOfMemory() {
  fatal(kTooLargeMessage);
}

}  // namespace

int main(int argc, char** argv) {
  std::set_new_handler(outOfMemory);
  Launcher launcher(argc, argv);
  return launcher.run();
}
