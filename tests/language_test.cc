#include "format/language.h"

#include <gtest/gtest.h>

namespace {

TEST(LanguageTest, ExtensionFollowsTheLastDot) {
  struct {
    int line;
    const char* path;
    const char* extension;
  } cases[] = {
      {__LINE__, "main.cpp", "cpp"}, {__LINE__, "x.tar.c", "c"},
      {__LINE__, "prog.", ""},       {__LINE__, "README", ""},
      {__LINE__, ".c", "c"},         {__LINE__, "dir.old/readme", "old/readme"},
      {__LINE__, "A.JAVA", "JAVA"},
  };
  for (const auto& c : cases) {
    testing::ScopedTrace trace(__FILE__, c.line, c.path);
    EXPECT_EQ(c.extension, extensionOf(c.path));
  }
}

TEST(LanguageTest, PathGoesByTheExtensionOfItsLastNameInAnyCase) {
  struct {
    int line;
    const char* path;
    const Language* language;
  } cases[] = {
      {__LINE__, "a.c", &kCLanguage},
      {__LINE__, "src/x.H", &kCLanguage},
      {__LINE__, "a.b/Main.JAVA", &kJavaLanguage},
      {__LINE__, "lib\\deep\\a.c++", &kCppLanguage},
      {__LINE__, "a.Inl", &kCppLanguage},
      {__LINE__, ".c", &kCLanguage},
      {__LINE__, "dir.c/readme", nullptr},
      {__LINE__, "dir.c\\readme", nullptr},
      {__LINE__, "c", nullptr},
      {__LINE__, "a.c.bak", nullptr},
      {__LINE__, "prog.", nullptr},
  };
  for (const auto& c : cases) {
    testing::ScopedTrace trace(__FILE__, c.line, c.path);
    EXPECT_EQ(c.language, languageOfExtension(extensionOf(c.path)));
  }
}

}  // namespace
