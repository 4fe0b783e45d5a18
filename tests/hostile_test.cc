// Inputs nobody should feed a formatter, and saves that cannot succeed: each
// run ends with the right status, never a signal, in bounded memory.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "format/encoding.h"
#include "tests/run_program.h"
#include "tests/spans.h"

namespace {

const long kMemoryBoundKb = 2L << 20;  // 2 GiB
const size_t kMiB = 1 << 20;

std::string repeated(const std::string& piece, size_t size) {
  std::string text;
  text.reserve(size + piece.size());
  while (text.size() < size) text += piece;
  return text;
}

class HostileInputTest : public testing::Test {
 protected:
  // Sorts `source` saved under `name` and checks status, output and memory.
  RunResult sortFile(int line, const std::string& name,
                     const std::string& source, int status,
                     const std::vector<std::string>& options = {}) {
    testing::ScopedTrace trace(__FILE__, line, name);
    writeFile(dir / name, source);
    std::vector<std::string> args = options;
    args.push_back(name);
    RunOptions run;
    run.directory = dir.path();
    RunResult result = runQuillfix(args, run);
    EXPECT_EQ(0, result.signal);
    EXPECT_EQ(status, result.status);
    EXPECT_LT(result.peakMemoryKb, kMemoryBoundKb);
    std::printf("[ memory   ] %s: %ld KiB peak for %zu bytes\n", name.c_str(),
                result.peakMemoryKb, source.size());
    return result;
  }

  ScratchDirectory dir;
};

TEST_F(HostileInputTest, DeepNestingHitsTheSizeLimit) {
  RunResult result = sortFile(__LINE__, "braces.c", std::string(2 * kMiB, '{'),
                              1, {"/sn", "out.c"});
  EXPECT_EQ("ERROR: The sorted code is too large.\n", result.out);
  EXPECT_FALSE(exists(dir / "out.c"));
}

TEST_F(HostileInputTest, ClosingBracesEachTakeALine) {
  RunResult result =
      sortFile(__LINE__, "close.c", std::string(2 * kMiB, '}'), 0);
  EXPECT_EQ(repeated("}\n\n", 6 * kMiB), result.out);
}

TEST_F(HostileInputTest, RunsOfOneCharacterComeBackUnchanged) {
  for (char c : {'(', ')', '"'}) {
    std::string source(10 * kMiB, c);
    EXPECT_EQ(source, sortFile(__LINE__, "run.c", source, 0).out) << c;
  }
  std::string nuls(kMiB, '\0');
  EXPECT_EQ(nuls, sortFile(__LINE__, "nul.java", nuls, 0).out);
}

TEST_F(HostileInputTest, LongLinesStayWhole) {
  std::string oneLine = repeated("int x ", 50 * kMiB);
  EXPECT_EQ(oneLine, sortFile(__LINE__, "long.c", oneLine, 0).out);
  std::string megabyteLines = repeated(std::string(kMiB, 'a') + "\n", 5 * kMiB);
  EXPECT_EQ(megabyteLines,
            sortFile(__LINE__, "lines.java", megabyteLines, 0).out);
}

TEST_F(HostileInputTest, CarriageReturnLineEndsAreOrdinary) {
  EXPECT_EQ("a;\n\rb;\n\rc;\n\r",
            sortFile(__LINE__, "cr.c", "a;\rb;\rc;\r", 0).out);
}

TEST_F(HostileInputTest, EndOfTextByteFirstGivesNothing) {
  EXPECT_EQ("", sortFile(__LINE__, "z.c",
                         "\x1A"
                         "int x;\n",
                         0)
                    .out);
}

TEST_F(HostileInputTest, ExecutableNamedAsCMovesOnlyWhiteSpace) {
  std::string binary = readFile(QUILLFIX_BINARY);
  ASSERT_FALSE(binary.empty());
  RunResult result = sortFile(__LINE__, "x.c", binary, 0);
  Bytes loaded = toBytes(binary);
  applyTextMode(&loaded);
  EXPECT_TRUE(keepsCopiedSpans(view(loaded), result.out, kCLanguage));
}

TEST_F(HostileInputTest, RunningOutOfMemoryIsReported) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer needs more address space than the limit";
#endif
  writeFile(dir / "semicolons.c", std::string(64 * kMiB, ';'));
  RunOptions options;
  options.directory = dir.path();
  options.memoryLimit = 160L * kMiB;
  RunResult result = runQuillfix({"/sn", "out.c", "semicolons.c"}, options);
  EXPECT_EQ(0, result.signal);
  EXPECT_EQ(1, result.status);
  EXPECT_EQ("ERROR: The sorted code is too large.\n", result.out);
  EXPECT_FALSE(exists(dir / "out.c"));
}

class SaveFaultTest : public testing::Test {
 protected:
  void SetUp() override {
    writeFile(dir / "big.c", repeated("int x;\n", 200000));
    writeFile(dir / "out.c", "old content\n");
  }

  // Runs with writes to files limited to `limit` bytes, as nobody if asked.
  RunResult runLimited(const std::vector<std::string>& args, long limit,
                       bool unprivileged = false) {
    RunOptions options;
    options.directory = dir.path();
    options.fileSizeLimit = limit;
    options.unprivileged = unprivileged;
    return runQuillfix(args, options);
  }

  ScratchDirectory dir;
};

TEST_F(SaveFaultTest, FullDiskLeavesTheTargetAsItWas) {
  RunResult result =
      runLimited({"/view", "no", "/sn", "out.c", "big.c"}, 64 * 1024);
  EXPECT_EQ(1, result.status);
  EXPECT_EQ("out.c : Saving the sorted code failed.\n", result.out);
  EXPECT_EQ("old content\n", readFile(dir / "out.c"));
  EXPECT_EQ((std::vector<std::string>{"big.c", "out.c"}),
            listDirectory(dir.path()));
}

TEST_F(SaveFaultTest, FullDiskLeavesTheSourceAsItWas) {
  std::string source = readFile(dir / "big.c");
  RunResult result =
      runLimited({"/view", "no", "/sn", "big.c", "big.c"}, 64 * 1024);
  EXPECT_EQ(1, result.status);
  EXPECT_EQ("big.c : Saving the sorted code failed.\n", result.out);
  EXPECT_EQ(source, readFile(dir / "big.c"));
  EXPECT_EQ((std::vector<std::string>{"big.c", "out.c"}),
            listDirectory(dir.path()));
}

// Where the folder refuses a temporary file, the target is overwritten in
// place; its new size is reserved first, and when that fails it is untouched.
TEST_F(SaveFaultTest, FullDiskLeavesATargetSavedInPlaceAsItWas) {
  if (testingWindowsBuild()) GTEST_SKIP() << "needs POSIX permissions";
  if (!canRunAsNobody()) GTEST_SKIP() << kNeedsNobody;
  chmod(dir.path().c_str(), 0755);
  chmod((dir / "out.c").c_str(), 0666);
  chmod((dir / "big.c").c_str(), 0666);
  std::string source = readFile(dir / "big.c");
  for (std::string target : {"out.c", "big.c"}) {
    RunResult result =
        runLimited({"/view", "no", "/sn", target, "big.c"}, 64 * 1024, true);
    EXPECT_EQ(1, result.status);
    EXPECT_EQ(target + " : Saving the sorted code failed.\n", result.out);
  }
  EXPECT_EQ("old content\n", readFile(dir / "out.c"));
  EXPECT_EQ(source, readFile(dir / "big.c"));
}

}  // namespace
