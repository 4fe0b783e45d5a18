#include "app/code.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>

#include "app/cpp_code.h"
#include "app/java_code.h"

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

// The front end hands an empty value of /i on as it stands.
TEST_F(CodeTest, EmptySpecificationKeepsOneTab) {
  CppCode cpp(path_);
  cpp.setIndent("");
  EXPECT_EQ("\t", cpp.indentUnit());
  JavaCode java(path_);
  java.setIndent("");
  EXPECT_EQ("\t", java.indentUnit());
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

TEST_F(CodeTest, FormattersSortTheLoadedText) {
  EXPECT_EQ("x;\n", view(CppCode(path_).sort()));
  EXPECT_EQ("x;\n", view(JavaCode(path_).sort()));
}

}  // namespace
