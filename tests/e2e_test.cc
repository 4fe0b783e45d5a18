// Runs the built program as a person would and checks every byte it writes.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/run_program.h"

namespace {

const std::string kSource = "int main(void) {\n  return 0;\n}\n";
const std::string kSortedT1 = "int main(void) \n{\n\treturn 0;\n}\n\n";
const std::string kSortedS2 = "int main(void) \n{\n  return 0;\n}\n\n";
const std::string kSortedT2 = "int main(void) \n{\n\t\treturn 0;\n}\n\n";
const std::string kJavaSource = "class A {\n  int x;\n}\n";
const std::string kJavaSorted = "class A \n{\n\tint x;\n}\n\n";

std::string heading(char rule, char line, size_t width) {
  return std::string(width, rule) + "\n" + " Quillfix v1.0\n" +
         "  - programmed by Hana Kim and Jonas Berg\n" +
         std::string(width, line) + "\n" +
         " This program sort programming code to user's form\n" +
         std::string(width, rule) + "\n\n";
}

const std::string kHelp =
    heading('=', '-', 65) + " usage : quillfix [options] [path][filename]\n" +
    std::string(65, '-') + "\n" + " [options]\n" + "  - /? : detail helps\n" +
    "  - /sn [filename] : save the sorted code to new file\n" +
    "  - /view [yes|no] : determine whether view the sorted code\n" +
    "  - /i [s|t][num] : determine indent character (s: Space, t: Tab)\n" +
    "                    ex> /i s2    (two space)\n" + std::string(65, '-') +
    "\n\n";

const std::string kBanner = heading('=', '-', 61) +
                            "(Please execute with /? to help)\n" +
                            "Enter the path of source file: \n";

const std::string kNoSource = "ERROR: sourcefile is null. \n";
const std::string kBadType = "ERROR: Don't support file type.\n";
const std::string kTooLarge = "ERROR: The sorted code is too large.\n";

class EndToEndTest : public testing::Test {
 protected:
  void SetUp() override { writeFile(dir / "file.c", kSource); }

  RunResult run(const std::vector<std::string>& args,
                const std::string& input = "") {
    RunOptions options;
    options.input = input;
    options.directory = dir.path();
    return runQuillfix(args, options);
  }

  void expectRun(int line, const std::vector<std::string>& args,
                 const std::string& out, int status,
                 const std::string& input = "") {
    testing::ScopedTrace trace(__FILE__, line, "the run stated here");
    RunResult result = run(args, input);
    EXPECT_EQ(asWritten(out), result.out);
    EXPECT_EQ(status, result.status);
    EXPECT_EQ("", result.err);
  }

  ScratchDirectory dir;
};

TEST_F(EndToEndTest, HelpScreen) {
  expectRun(__LINE__, {"/?"}, kHelp, 0);
  expectRun(__LINE__, {"/?", "x", "file.c"}, kHelp, 0);
  expectRun(__LINE__, {"/?", "file.c"}, kSortedT1, 0);
  expectRun(__LINE__, {"/i", "s2", "/?", "x", "file.c"}, kSortedS2, 0);
  expectRun(__LINE__, {"/?x"}, kBadType, 1);
}

TEST_F(EndToEndTest, PromptReadsOneLineAsThePath) {
  expectRun(__LINE__, {}, kBanner + kSortedT1, 0, "file.c\n");
  expectRun(__LINE__, {}, kBanner + kSortedT1, 0, "file.c\nmore.c\n");
  expectRun(__LINE__, {}, kBanner + kSortedT1, 0, "file.c");
  expectRun(__LINE__, {}, kBanner + kSortedT1, 0, "file.c\r\n");
  expectRun(__LINE__, {}, kBanner + kNoSource, 1, "");
  expectRun(__LINE__, {}, kBanner + kNoSource, 1, "\n");
  expectRun(__LINE__, {""}, kBanner + kNoSource, 1, "");
  expectRun(__LINE__, {"x", ""}, kBanner + kSortedT1, 0, "file.c\n");
  expectRun(__LINE__, {}, kBanner + kBadType, 1, "file.c \n");
  expectRun(__LINE__, {}, kBanner + kBadType, 1, "/?\n");
  expectRun(__LINE__, {}, kBanner + kBadType, 1, "file.c\r");
  expectRun(
      __LINE__, {},
      kBanner + std::string("fi\0le.c", 7) + " : Source file opening failed.\n",
      1, std::string("fi\0le.c\n", 8));
}

TEST_F(EndToEndTest, PromptTakesBlanksInsideThePath) {
  writeFile(dir / "my file.c", kSource);
  expectRun(__LINE__, {}, kBanner + kSortedT1, 0, "my file.c\n");
}

TEST_F(EndToEndTest, ArgumentsArePlacedByPosition) {
  expectRun(__LINE__, {"file.c"}, kSortedT1, 0);
  expectRun(__LINE__, {"/I", "s2", "file.c"}, kSortedT1, 0);
  expectRun(__LINE__, {"/i", "s2", "/i", "t2", "file.c"}, kSortedT2, 0);
  expectRun(__LINE__, {"/i", "s2", "x", "file.c"}, kSortedS2, 0);
  expectRun(__LINE__, {"/i", "s2", "file.c"}, kSortedS2, 0);
  expectRun(__LINE__, {"s2", "file.c"}, kSortedT1, 0);
  expectRun(__LINE__, {"/i", "", "file.c"}, kSortedT1, 0);
  expectRun(__LINE__, {"/i", "s2", ""}, kNoSource, 1);
  expectRun(__LINE__, {"/view", "No", "file.c"}, "", 0);
  expectRun(__LINE__, {"/view", "NO", "file.c"}, "", 0);
  expectRun(__LINE__, {"/view", "no", "file.c"}, "", 0);
  expectRun(__LINE__, {"/view", "nO", "file.c"}, kSortedT1, 0);
  expectRun(__LINE__, {"/view", "yes", "file.c"}, kSortedT1, 0);
  expectRun(__LINE__, {"/view", "", "file.c"}, kSortedT1, 0);
  expectRun(__LINE__, {"/view", "no", "/view", "yes", "file.c"}, kSortedT1, 0);
  EXPECT_EQ((std::vector<std::string>{"file.c"}), listDirectory(dir.path()));
}

TEST_F(EndToEndTest, ExtensionChoosesTheFormatter) {
  writeFile(dir / "A.java", kJavaSource);
  writeFile(dir / "c", kSource);
  writeFile(dir / "java", kJavaSource);
  writeFile(dir / "file.cpp", kSource);
  expectRun(__LINE__, {"A.java"}, kJavaSorted, 0);
  expectRun(__LINE__, {"java"}, kJavaSorted, 0);
  expectRun(__LINE__, {"c"}, kSortedT1, 0);
  expectRun(__LINE__, {"file.cpp"}, kSortedT1, 0);
  for (const char* name : {"FILE.CPP", "file.h", "file", "file.", "A.Java",
                           "x.cc", "dir.c/readme"})
    expectRun(__LINE__, {name}, kBadType, 1);
}

TEST_F(EndToEndTest, SourceThatCannotBeOpened) {
  mkdir((dir / "folder.c").c_str(), 0755);
  expectRun(__LINE__, {"missing.c"},
            "missing.c : Source file opening failed.\n", 1);
  expectRun(__LINE__, {"folder.c"}, "folder.c : Source file opening failed.\n",
            1);
}

TEST_F(EndToEndTest, ReadErrorAfterOpeningIsReported) {
  if (testingWindowsBuild()) GTEST_SKIP() << "/proc exists on Linux alone";
  symlink("/proc/self/mem", (dir / "mem.c").c_str());
  expectRun(__LINE__, {"/sn", "out.c", "mem.c"},
            "mem.c : Source file reading failed.\n", 1);
  EXPECT_FALSE(exists(dir / "out.c"));
}

TEST_F(EndToEndTest, LoadingAppliesTextModeRules) {
  writeFile(dir / "crlf.c", "a;\r\nb;\r\n");
  writeFile(dir / "lonecr.c", "a;\rb;");
  writeFile(dir / "ctrlz.c",
            "a;\nb;\x1A"
            "c;\n");
  writeFile(dir / "startz.c",
            "\x1A"
            "a;\n");
  writeFile(dir / "zero.c", std::string("a\0b;", 4));
  writeFile(dir / "empty.c", "");
  writeFile(dir / "nofinal.c", "x = 1");
  expectRun(__LINE__, {"crlf.c"}, "a;\nb;\n", 0);
  expectRun(__LINE__, {"lonecr.c"}, "a;\n\rb;\n", 0);
  expectRun(__LINE__, {"ctrlz.c"}, "a;\nb;\n", 0);
  expectRun(__LINE__, {"startz.c"}, "", 0);
  expectRun(__LINE__, {"zero.c"}, std::string("a\0b;\n", 5), 0);
  expectRun(__LINE__, {"empty.c"}, "", 0);
  expectRun(__LINE__, {"nofinal.c"}, "x = 1", 0);
}

TEST_F(EndToEndTest, IndentCountIsLimited) {
  expectRun(__LINE__, {"/i", "s257", "file.c"},
            "ERROR: Indent count is too large.\n", 1);
  expectRun(__LINE__, {"/i", "t99999999999", "/sn", "out.c", "file.c"},
            "ERROR: Indent count is too large.\n", 1);
  EXPECT_FALSE(exists(dir / "out.c"));
  expectRun(__LINE__, {"/i", "s256", "file.c"},
            "int main(void) \n{\n" + std::string(256, ' ') + "return 0;\n}\n\n",
            0);
}

TEST_F(EndToEndTest, SaveWritesTheSortedCode) {
  expectRun(__LINE__, {"/sn", "out.c", "file.c"}, kSortedT1, 0);
  EXPECT_EQ(asWritten(kSortedT1), readFile(dir / "out.c"));
  expectRun(__LINE__, {"/sn", "quiet.c", "/view", "no", "file.c"}, "", 0);
  EXPECT_EQ(asWritten(kSortedT1), readFile(dir / "quiet.c"));
  expectRun(__LINE__, {"/sn", "file.c"}, kSortedT1, 0);
  EXPECT_EQ((std::vector<std::string>{"file.c", "out.c", "quiet.c"}),
            listDirectory(dir.path()));
}

TEST_F(EndToEndTest, SaveReplacesAnExistingFileWhole) {
  writeFile(dir / "out.c", std::string(5000, 'x'));
  writeFile(dir / "empty.c", "");
  expectRun(__LINE__, {"/sn", "out.c", "file.c"}, kSortedT1, 0);
  EXPECT_EQ(asWritten(kSortedT1), readFile(dir / "out.c"));
  expectRun(__LINE__, {"/sn", "out.c", "empty.c"}, "", 0);
  EXPECT_EQ(asWritten(""), readFile(dir / "out.c"));
  expectRun(__LINE__, {"/sn", "new.c", "empty.c"}, "", 0);
  EXPECT_TRUE(exists(dir / "new.c"));
  EXPECT_EQ(asWritten(""), readFile(dir / "new.c"));
}

TEST_F(EndToEndTest, SaveOverTheSourceReplacesIt) {
  expectRun(__LINE__, {"/view", "no", "/sn", "file.c", "file.c"}, "", 0);
  EXPECT_EQ(asWritten(kSortedT1), readFile(dir / "file.c"));
  EXPECT_EQ((std::vector<std::string>{"file.c"}), listDirectory(dir.path()));
}

TEST_F(EndToEndTest, SaveKeepsPermissionsAndLinks) {
  if (testingWindowsBuild()) GTEST_SKIP() << "POSIX modes and links";
  writeFile(dir / "kept.c", "old");
  chmod((dir / "kept.c").c_str(), 0640);
  expectRun(__LINE__, {"/sn", "kept.c", "file.c"}, kSortedT1, 0);
  struct stat info;
  ASSERT_EQ(0, stat((dir / "kept.c").c_str(), &info));
  EXPECT_EQ(0640u, info.st_mode & 07777);
  EXPECT_EQ(asWritten(kSortedT1), readFile(dir / "kept.c"));

  expectRun(__LINE__, {"/sn", "fresh.c", "file.c"}, kSortedT1, 0);
  ASSERT_EQ(0, stat((dir / "fresh.c").c_str(), &info));
  EXPECT_EQ(0644u, info.st_mode & 07777);

  mkdir((dir / "sub").c_str(), 0755);
  writeFile(dir / "sub/target.c", "old");
  symlink("sub/target.c", (dir / "link.c").c_str());
  expectRun(__LINE__, {"/sn", "link.c", "file.c"}, kSortedT1, 0);
  ASSERT_EQ(0, lstat((dir / "link.c").c_str(), &info));
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(asWritten(kSortedT1), readFile(dir / "sub/target.c"));
  EXPECT_EQ((std::vector<std::string>{"target.c"}), listDirectory(dir / "sub"));
}

TEST_F(EndToEndTest, FailedSaveIsReportedAndLosesNothing) {
  expectRun(__LINE__, {"/sn", "missing/out.c", "file.c"},
            kSortedT1 + "missing/out.c : Saving the sorted code failed.\n", 1);
  if (!testingWindowsBuild())
    expectRun(__LINE__, {"/sn", "/dev/full", "/view", "no", "file.c"},
              "/dev/full : Saving the sorted code failed.\n", 1);
  mkdir((dir / "folder").c_str(), 0755);
  expectRun(__LINE__, {"/sn", "folder", "/view", "no", "file.c"},
            "folder : Saving the sorted code failed.\n", 1);
  expectRun(__LINE__, {"/sn", "", "/view", "no", "file.c"},
            " : Saving the sorted code failed.\n", 1);
  EXPECT_EQ((std::vector<std::string>{"file.c", "folder"}),
            listDirectory(dir.path()));
  EXPECT_TRUE(listDirectory(dir / "folder").empty());
}

TEST_F(EndToEndTest, SaveToADeviceWritesIntoIt) {
  std::string device = testingWindowsBuild() ? "NUL" : "/dev/null";
  expectRun(__LINE__, {"/sn", device, "file.c"}, kSortedT1, 0);
}

TEST_F(EndToEndTest, TooLargeResultIsRefusedBeforeAnythingIsWritten) {
  writeFile(dir / "braces.c", std::string(2 << 20, '{'));
  expectRun(__LINE__, {"/sn", "out.c", "braces.c"}, kTooLarge, 1);
  EXPECT_FALSE(exists(dir / "out.c"));
}

TEST_F(EndToEndTest, FailedStandardOutputIsReportedAfterSaving) {
  RunOptions options;
  options.directory = dir.path();
  options.stdoutPath = "/dev/full";
  RunResult result = runQuillfix({"/sn", "out.c", "file.c"}, options);
  EXPECT_EQ(1, result.status);
  EXPECT_EQ(asWritten("quillfix: writing to standard output failed\n"),
            result.err);
  EXPECT_EQ(asWritten(kSortedT1), readFile(dir / "out.c"));
}

}  // namespace
