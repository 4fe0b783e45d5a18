// Runs the built program through its classic command line as a person would
// and checks every byte it writes.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/run_program.h"
#include "tests/units.h"

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

// The warning for a source that a Ctrl-Z cuts short.
std::string cutShort(const std::string& path) {
  return "quillfix: warning: " + path +
         ": a Ctrl-Z byte ends the text before the end of the file; the rest "
         "is left out\n";
}

class EndToEndTest : public testing::Test {
 protected:
  void SetUp() override { writeFile(dir / "file.c", kSource); }

  RunResult run(const std::vector<std::string>& args,
                const std::string& input = "") {
    return runQuillfixIn(dir.path(), args, input, unprivileged);
  }

  void expectRun(int line, const std::vector<std::string>& args,
                 const std::string& out, int status,
                 const std::string& input = "", const std::string& err = "") {
    expectExactRun(line, args, asWritten(out), status, input, err);
  }

  // As expectRun, with standard output given byte for byte.
  void expectExactRun(int line, const std::vector<std::string>& args,
                      const std::string& out, int status,
                      const std::string& input = "",
                      const std::string& err = "") {
    testing::ScopedTrace trace(__FILE__, line, "the run stated here");
    RunResult result = run(args, input);
    EXPECT_EQ(out, result.out);
    EXPECT_EQ(status, result.status);
    EXPECT_EQ(asWritten(err), result.err);
  }

  // Runs with standard output on a full disk, which nothing can be written to.
  void expectOutputFails(int line, const std::vector<std::string>& args,
                         int status, const std::string& input = "") {
    testing::ScopedTrace trace(__FILE__, line, "the run stated here");
    RunOptions options;
    options.input = input;
    options.directory = dir.path();
    options.stdoutPath = "/dev/full";
    RunResult result = runQuillfix(args, options);
    EXPECT_EQ(status, result.status);
    EXPECT_EQ(asWritten("quillfix: writing to standard output failed\n"),
              result.err);
  }

  ScratchDirectory dir;
  bool unprivileged = false;  // run as nobody
};

TEST_F(EndToEndTest, QuestionMarkAsTheOnlyOptionShowsTheHelpScreen) {
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

// Only the conventional command line leaves marked regions alone.
TEST_F(EndToEndTest, CommentsThatMarkRegionsAreOrdinaryComments) {
  writeFile(dir / "marked.c", "// quillfix off\nint   x;\n// quillfix on\n");
  expectRun(__LINE__, {"marked.c"}, "// quillfix off\nint x;\n// quillfix on\n",
            0);
}

TEST_F(EndToEndTest, SourceThatCannotBeOpenedIsReported) {
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
  writeFile(dir / "endz.c", "a;\n\x1A\x1A");
  expectRun(__LINE__, {"ctrlz.c"}, "a;\nb;\n", 0, "", cutShort("ctrlz.c"));
  expectRun(__LINE__, {"./ctrlz.c"}, "a;\nb;\n", 0, "", cutShort("./ctrlz.c"));
  expectRun(__LINE__, {"/view", "no", "/sn", "out.c", "ctrlz.c"}, "", 0, "",
            cutShort("ctrlz.c"));
  EXPECT_EQ(asWritten("a;\nb;\n"), readFile(dir / "out.c"));
  expectRun(__LINE__, {}, kBanner + "a;\nb;\n", 0, "ctrlz.c\n",
            cutShort("ctrlz.c"));
  expectRun(__LINE__, {"startz.c"}, "", 0, "", cutShort("startz.c"));
  expectRun(__LINE__, {"endz.c"}, "a;\n", 0);
  expectRun(__LINE__, {"zero.c"}, std::string("a\0b;\n", 5), 0);
  expectRun(__LINE__, {"empty.c"}, "", 0);
  expectRun(__LINE__, {"nofinal.c"}, "x = 1", 0);
}

// A lone CR that the layout puts right before a line feed makes a CR LF,
// which is read back as one line feed, so that the saved sorted code sorts
// again differently. On Windows the line feed is saved as CR LF, and the CR
// before it stays.
TEST_F(EndToEndTest, SavedCrBeforeALineFeedIsReadBackByTheTextModeRules) {
  writeFile(dir / "cr.c", "int a;\r\r\nint b;\r\n");
  expectRun(__LINE__, {"/sn", "once.c", "cr.c"}, "int a;\n\r\nint b;\n", 0);
  expectRun(__LINE__, {"once.c"},
            testingWindowsBuild() ? "int a;\n\r\nint b;\n" : "int a;\nint b;\n",
            0);
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

TEST_F(EndToEndTest, EveryScreenAndMessageReportsAFailedOutput) {
  expectOutputFails(__LINE__, {"/?"}, 1);
  expectOutputFails(__LINE__, {}, 1, "file.c\n");
  expectOutputFails(__LINE__, {"file.h"}, 1);
  expectOutputFails(__LINE__, {"missing.c"}, 1);
  expectOutputFails(__LINE__, {"/sn", "missing/out.c", "file.c"}, 1);
}

// clang-format off
const std::u32string kBom = U"\xFEFF";

// Each unit source holds characters whose bytes are line feeds, CRs or 0x1A
// (U+010A, U+011A, U+0D0A, U+0A0D), one beyond U+FFFF, and CR LF line ends.
const std::u32string kUtf16Source = U"int f(void) {\r\n  s = \"\x10A\x11A\xD0A\xA0D\";\r\n  c = '\xD83D\xDE00';\r\n}\r\n";
const std::u32string kUtf16Sorted = U"int f(void) \n{\n\ts = \"\x10A\x11A\xD0A\xA0D\";\n\tc = '\xD83D\xDE00';\n}\n\n";
const std::u32string kUtf32Source = U"int f(void) {\r\n  s = \"\x10A\x11A\xD0A\xA0D\";\r\n  c = '\x1F600';\r\n}\r\n";
const std::u32string kUtf32Sorted = U"int f(void) \n{\n\ts = \"\x10A\x11A\xD0A\xA0D\";\n\tc = '\x1F600';\n}\n\n";

TEST_F(EndToEndTest, SourceInUnitsIsSortedInItsOwnUnits) {
  const Encoding kUtf16Le = Encoding::kUtf16Le, kUtf16Be = Encoding::kUtf16Be;
  const Encoding kUtf32Le = Encoding::kUtf32Le, kUtf32Be = Encoding::kUtf32Be;
  struct {
    int line;
    Encoding encoding;
    std::u32string source;  // after the byte-order mark
    std::string partial;    // bytes after the last whole unit
    std::u32string sorted;
    bool cutShort;          // a Ctrl-Z before the end
  } cases[] = {
      {__LINE__, kUtf16Le, kUtf16Source, "", kUtf16Sorted, false},
      {__LINE__, kUtf16Be, kUtf16Source, "", kUtf16Sorted, false},
      {__LINE__, kUtf32Le, kUtf32Source, "", kUtf32Sorted, false},
      {__LINE__, kUtf32Be, kUtf32Source, "", kUtf32Sorted, false},
      {__LINE__, kUtf16Le, U"x;", "\x41", U"x;\n", false},
      {__LINE__, kUtf32Be, U"x;", "\x41\x42\x43", U"x;\n", false},
      {__LINE__, kUtf16Be, U"a;\x1A" U"b;", "", U"a;\n", true},
      {__LINE__, kUtf16Le, U"/* \xDC00 */x\xD800;", "", U"/* \xDC00 */\nx\xD800;\n", false},
      {__LINE__, kUtf32Le, U"x = \"a\"\n  \x10A;", "", U"x = \"a\" \x10A;\n", false},
      {__LINE__, kUtf32Le, U"", "", U"", false},
  };
  for (const auto& c : cases) {
    writeFile(dir / "wide.c", inUnits(c.encoding, kBom + c.source) + c.partial);
    expectExactRun(c.line, {"wide.c"}, inUnits(c.encoding, kBom + asWritten(c.sorted)) + c.partial, 0, "", c.cutShort ? cutShort("wide.c") : "");
  }
}
// clang-format on

TEST_F(EndToEndTest, SaveOverAUnitSourceKeepsItsEncoding) {
  writeFile(dir / "wide.c", inUnits(Encoding::kUtf16Le, kBom + kUtf16Source));
  expectRun(__LINE__, {"/view", "no", "/sn", "wide.c", "wide.c"}, "", 0);
  EXPECT_EQ(inUnits(Encoding::kUtf16Le, kBom + asWritten(kUtf16Sorted)),
            readFile(dir / "wide.c"));
}

// Replacing the source by a text that a 0x1A cut short would lose its tail.
TEST_F(EndToEndTest, SaveOverASourceCutShortIsRefused) {
  const std::string cut =
      "a;\n\x1A"
      "b;\n";
  writeFile(dir / "cut.c", cut);
  mkdir((dir / "sub").c_str(), 0755);
  for (std::string path : {"cut.c", "./cut.c", "sub/../cut.c"})
    expectRun(__LINE__, {"/sn", path, "cut.c"},
              "a;\n" + path + " : Saving the sorted code failed.\n", 1, "",
              cutShort("cut.c"));
  EXPECT_EQ(cut, readFile(dir / "cut.c"));

  expectRun(__LINE__, {"/sn", "copy.c", "cut.c"}, "a;\n", 0, "",
            cutShort("cut.c"));
  EXPECT_EQ(asWritten("a;\n"), readFile(dir / "copy.c"));
  writeFile(dir / "marked.c", "a;\n\x1A\x1A");
  expectRun(__LINE__, {"/view", "no", "/sn", "marked.c", "marked.c"}, "", 0);
  EXPECT_EQ(asWritten("a;\n"), readFile(dir / "marked.c"));

  const std::string wide = inUnits(Encoding::kUtf16Le,
                                   U"\xFEFF"
                                   U"a;\x1A"
                                   U"b;");
  writeFile(dir / "wide.c", wide);
  expectExactRun(__LINE__, {"/sn", "wide.c", "wide.c"},
                 inUnits(Encoding::kUtf16Le, kBom + asWritten(U"a;\n")) +
                     asWritten("wide.c : Saving the sorted code failed.\n"),
                 1, "", cutShort("wide.c"));
  EXPECT_EQ(wide, readFile(dir / "wide.c"));
}

TEST_F(EndToEndTest, SaveThroughALinkToASourceCutShortIsRefused) {
  if (testingWindowsBuild()) GTEST_SKIP() << "POSIX links";
  const std::string cut =
      "a;\n\x1A"
      "b;\n";
  writeFile(dir / "cut.c", cut);
  symlink("cut.c", (dir / "soft.c").c_str());
  link((dir / "cut.c").c_str(), (dir / "hard.c").c_str());
  for (std::string path : {"soft.c", "hard.c"})
    expectRun(__LINE__, {"/view", "no", "/sn", path, "cut.c"},
              path + " : Saving the sorted code failed.\n", 1, "",
              cutShort("cut.c"));
  EXPECT_EQ(cut, readFile(dir / "cut.c"));
}

// The save needs the right to write the target itself. Where the folder
// refuses a temporary file, a target that may be written is overwritten in
// place, and keeps its permissions, owner and links.
TEST_F(EndToEndTest, SaveFollowsTheTargetsOwnPermission) {
  const std::string old = "old text, longer than the sorted code it gets\n";
  writeFile(dir / "locked.c", old);
  chmod((dir / "locked.c").c_str(), 0444);
  if (testingWindowsBuild()) {
    expectRun(__LINE__, {"/view", "no", "/sn", "locked.c", "file.c"},
              "locked.c : Saving the sorted code failed.\n", 1);
    EXPECT_EQ(old, readFile(dir / "locked.c"));
    return;
  }
  if (!canRunAsNobody()) GTEST_SKIP() << kNeedsNobody;
  unprivileged = true;
  chmod(dir.path().c_str(), 0755);  // nobody may not add files here
  // Here nobody may add a file and rename it over another, whatever the
  // umask, so that only the target's own mode can refuse the save.
  mkdir((dir / "open").c_str(), 0777);
  chmod((dir / "open").c_str(), 0777);
  writeFile(dir / "open/locked.c", old);
  chmod((dir / "open/locked.c").c_str(), 0444);
  writeFile(dir / "shared.c", old);
  chmod((dir / "shared.c").c_str(), 0666);
  link((dir / "shared.c").c_str(), (dir / "twin.c").c_str());

  for (std::string path : {"locked.c", "open/locked.c", "new.c"})
    expectRun(__LINE__, {"/view", "no", "/sn", path, "file.c"},
              path + " : Saving the sorted code failed.\n", 1);
  EXPECT_EQ(old, readFile(dir / "locked.c"));
  EXPECT_EQ(old, readFile(dir / "open/locked.c"));

  expectRun(__LINE__, {"/view", "no", "/sn", "shared.c", "file.c"}, "", 0);
  EXPECT_EQ(kSortedT1, readFile(dir / "twin.c"));
  struct stat info;
  ASSERT_EQ(0, stat((dir / "shared.c").c_str(), &info));
  EXPECT_EQ(0666u, info.st_mode & 07777);
  EXPECT_EQ(0u, info.st_uid);
  EXPECT_EQ(2u, info.st_nlink);
  EXPECT_EQ((std::vector<std::string>{"file.c", "locked.c", "open", "shared.c",
                                      "twin.c"}),
            listDirectory(dir.path()));
}

}  // namespace
