#include "app/launcher.h"

#include <gtest/gtest.h>

namespace {

std::string extensionOf(const char* path) {
  const char* argv[] = {"quillfix", path};
  return Launcher(2, argv).fileExtension();
}

TEST(LauncherTest, ExtensionFollowsTheLastDot) {
  struct {
    int line;
    const char* path;
    const char* extension;
  } cases[] = {
      {__LINE__, "src/main.cpp", "cpp"},
      {__LINE__, "a.b/Main.java", "java"},
      {__LINE__, "prog.", ""},
      {__LINE__, "dir.old/readme", "old/readme"},
      {__LINE__, "c", "c"},
      {__LINE__, "x.tar.c", "c"},
  };
  for (const auto& c : cases) {
    testing::ScopedTrace trace(__FILE__, c.line, c.path);
    EXPECT_EQ(c.extension, extensionOf(c.path));
  }
}

TEST(LauncherTest, EmptyArgumentVectorEndsTheProgram) {
  const char* argv[] = {nullptr};
  EXPECT_EXIT(Launcher(0, argv), testing::ExitedWithCode(1), "");
}

}  // namespace
