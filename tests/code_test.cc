#include "format/code.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>

#include "format/cpp_code.h"
#include "format/java_code.h"

namespace {

class CodeTest : public testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/quillfix-code-XXXXXX.c";
    int fd = mkstemps(name, 2);
    ASSERT_GE(fd, 0);
    close(fd);
    path_ = name;
    std::ofstream(path_) << "x;";
  }
  void TearDown() override { unlink(path_.c_str()); }

  std::string path_;
};

TEST_F(CodeTest, IndentSpecificationGivesOneLevel) {
  struct {
    int line;
    const char* spec;
    const char* unit;
  } cases[] = {
      {__LINE__, "t1", "\t"},
      {__LINE__, "t2", "\t\t"},
      {__LINE__, "s2", "  "},
      {__LINE__, "s4", "    "},
      {__LINE__, "s", " "},
      {__LINE__, "s0", " "},
      {__LINE__, "s-3", " "},
      {__LINE__, "x3", "\t\t\t"},
      {__LINE__, "S2", "\t\t"},
      {__LINE__, "t", "\t"},
      {__LINE__, "24", "\t\t\t\t"},
      {__LINE__, "s 3", "   "},
      {__LINE__, "s3x", "   "},
      {__LINE__, "sx3", " "},
      {__LINE__, "s+2", "  "},
      {__LINE__, "s\n\v\f\r 2", "  "},
      {__LINE__, "s-2147483648", " "},
  };
  for (const auto& c : cases) {
    testing::ScopedTrace trace(__FILE__, c.line, c.spec);
    JavaCode code(path_);
    code.setIndent(c.spec);
    EXPECT_EQ(c.unit, code.indentUnit());
  }
}

TEST_F(CodeTest, IndentStartsAsOneTabAndTheLastSettingWins) {
  CppCode cpp(path_);
  EXPECT_EQ("\t", cpp.indentUnit());
  JavaCode java(path_);
  EXPECT_EQ("\t", java.indentUnit());
  java.setIndent("s4");
  java.setIndent("t1");
  EXPECT_EQ("\t", java.indentUnit());
  java.setIndent("s2");
  java.setIndent("");
  EXPECT_EQ("  ", java.indentUnit());
  EXPECT_EQ(java.indentUnit(), java.indentUnit());
}

TEST_F(CodeTest, IndentCountAbove256IsRefused) {
  const char* tooLarge[] = {"s257", "t2147483647", "s99999999999999999999",
                            "s4294967298", "s-2147483649"};
  for (const char* spec : tooLarge) {
    JavaCode code(path_);
    EXPECT_EXIT(code.setIndent(spec), testing::ExitedWithCode(1), "") << spec;
  }
  JavaCode code(path_);
  code.setIndent("s256");
  EXPECT_EQ(std::string(256, ' '), code.indentUnit());
}

TEST_F(CodeTest, BaseSortIsAFatalStop) {
  Code code(path_);
  EXPECT_EXIT(code.sort(), testing::ExitedWithCode(1), "");
}

TEST_F(CodeTest, FormattersSortTheLoadedText) {
  EXPECT_EQ("x;\n", CppCode(path_).sort());
  EXPECT_EQ("x;\n", JavaCode(path_).sort());
}

TEST_F(CodeTest, LoadFailuresEndTheProgram) {
  EXPECT_EXIT(CppCode(""), testing::ExitedWithCode(1), "");
  EXPECT_EXIT(CppCode("/nonexistent/missing.c"), testing::ExitedWithCode(1),
              "");
  EXPECT_EXIT(CppCode("/tmp"), testing::ExitedWithCode(1), "");
}

TEST(TextModeTest, LoadingRules) {
  struct {
    int line;
    std::string raw;
    std::string loaded;
  } cases[] = {
      {__LINE__, "", ""},
      {__LINE__, "a\r\nb\r\n", "a\nb\n"},
      {__LINE__, "a\rb\r", "a\rb\r"},
      {__LINE__, "a\r\r\nb", "a\r\nb"},
      {__LINE__, "a\r\n\r\n", "a\n\n"},
      {__LINE__,
       "ab\x1A"
       "cd\r\n",
       "ab"},
      {__LINE__,
       "\x1A"
       "ab",
       ""},
      {__LINE__, "a\r\x1A\n", "a\r"},
      {__LINE__, std::string("a\0b\r\n", 5), std::string("a\0b\n", 4)},
      {__LINE__, "last line", "last line"},
  };
  for (auto& c : cases) {
    testing::ScopedTrace trace(__FILE__, c.line, "loading rule");
    applyTextMode(&c.raw);
    EXPECT_EQ(c.loaded, c.raw);
  }
}

}  // namespace
