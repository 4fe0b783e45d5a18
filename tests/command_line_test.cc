#include "app/command_line.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "app/batch.h"
#include "base/bytes.h"
#include "platform/platform.h"
#include "tests/run_program.h"

namespace {

// What a command line was read as, in a few words, for the table below.
std::string summary(const CommandLine& line) {
  const char* modes[] = {"print", "write", "check", "diff"};
  std::string text = modes[static_cast<int>(line.mode)];
  text += line.indent.character == ' ' ? " s" : " t";
  text += std::to_string(line.indent.count);
  if (line.language) text += " lang=" + std::string(line.language->name);
  if (!line.stdinName.empty()) text += " name=" + line.stdinName;
  if (line.jobs) text += " jobs=" + std::to_string(line.jobs);
  for (const std::string& glob : line.excludes) text += " exclude=" + glob;
  if (!line.readIgnoreFiles) text += " no-ignore";
  if (line.help) text += " help";
  if (line.version) text += " version";
  for (const std::string& path : line.paths) text += " [" + path + "]";
  return text;
}

TEST(CommandLineTest, OptionsAndPathsAreRead) {
  struct {
    int line;
    std::vector<std::string> args;
    std::string read;
  } cases[] = {
      {__LINE__, {"-w", "a.c"}, "write t1 [a.c]"},
      {__LINE__, {"--write", "a.c", "b.c"}, "write t1 [a.c] [b.c]"},
      {__LINE__, {"-c", "a.c"}, "check t1 [a.c]"},
      {__LINE__, {"-d", "--diff", "a.c"}, "diff t1 [a.c]"},
      {__LINE__, {"a.c", "-w"}, "write t1 [a.c]"},
      {__LINE__, {"--indent", "s4", "a.c"}, "print s4 [a.c]"},
      {__LINE__, {"--indent=t2", "a.c"}, "print t2 [a.c]"},
      {__LINE__, {"--indent", "s2", "--indent", "", "a.c"}, "print s2 [a.c]"},
      {__LINE__, {"--lang", "java", "-"}, "print t1 lang=java [-]"},
      {__LINE__, {"--lang=cpp", "x"}, "print t1 lang=cpp [x]"},
      {__LINE__, {"--stdin-filename", "s/x.c", "-"}, "print t1 name=s/x.c [-]"},
      {__LINE__,
       {"--stdin-filename=", "--lang", "c", "-"},
       "print t1 lang=c [-]"},
      {__LINE__, {"-j", "3", "a"}, "print t1 jobs=3 [a]"},
      {__LINE__, {"-j7", "a"}, "print t1 jobs=7 [a]"},
      {__LINE__, {"--jobs=1024", "a"}, "print t1 jobs=1024 [a]"},
      {__LINE__, {"--jobs", "01", "a"}, "print t1 jobs=1 [a]"},
      {__LINE__,
       {"--exclude", "*.h", "--exclude=gen/", "a"},
       "print t1 exclude=*.h exclude=gen/ [a]"},
      {__LINE__, {"--no-ignore", "a"}, "print t1 no-ignore [a]"},
      {__LINE__, {"--", "-w", "--"}, "print t1 [-w] [--]"},
      {__LINE__, {"-", "--lang", "c"}, "print t1 lang=c [-]"},
      {__LINE__, {"", "--"}, "print t1 []"},
      {__LINE__, {"-h"}, "print t1 help"},
      {__LINE__, {"-w", "--help", "-i"}, "write t1 help"},
      {__LINE__, {"-V", "--bogus"}, "print t1 version"},
  };
  for (const auto& c : cases) {
    testing::ScopedTrace trace(__FILE__, c.line, "the case stated here");
    CommandLine line;
    EXPECT_EQ("", parseCommandLine(c.args, &line));
    EXPECT_EQ(c.read, summary(line));
  }
}

TEST(CommandLineTest, UsageErrorsAreNamed) {
  struct {
    int line;
    std::vector<std::string> args;
    std::string error;
  } cases[] = {
      {__LINE__, {}, "no path given"},
      {__LINE__, {"-w"}, "no path given"},
      {__LINE__, {"--bogus", "a"}, "unknown option '--bogus'"},
      {__LINE__, {"--=x", "a"}, "unknown option '--=x'"},
      {__LINE__, {"-wx", "a"}, "unknown option '-wx'"},
      {__LINE__,
       {"-jobs", "a"},
       "--jobs needs a count from 1 to 1024, not 'obs'"},
      {__LINE__, {"--write=x", "a"}, "option '--write' takes no value"},
      {__LINE__, {"--jobs"}, "option '--jobs' needs a value"},
      {__LINE__, {"--jobs", ""}, "--jobs needs a count from 1 to 1024, not ''"},
      {__LINE__,
       {"-j", "2x", "a"},
       "--jobs needs a count from 1 to 1024, not '2x'"},
      {__LINE__,
       {"-j", "+2", "a"},
       "--jobs needs a count from 1 to 1024, not '+2'"},
      {__LINE__,
       {"-j", "99999", "a"},
       "--jobs needs a count from 1 to 1024, not '99999'"},
      {__LINE__,
       {"--lang", "Java", "a"},
       "unknown language 'Java' (c, cpp or java)"},
      {__LINE__,
       {"--indent", "s4294967298", "a"},
       "the indent count of 's4294967298' is above 256"},
      {__LINE__,
       {"-w", "-d", "a"},
       "--write, --check and --diff do not go together"},
      {__LINE__,
       {"-", "-"},
       "standard input '-' is sorted alone, without other paths"},
      {__LINE__,
       {"-d", "-"},
       "standard input needs --lang or --stdin-filename"},
      {__LINE__,
       {"-w", "--stdin-filename", "a.c", "-"},
       "--write cannot replace standard input"},
      {__LINE__,
       {"-iw"},
       "-i is not an option: --write sorts files in place, and --indent SPEC "
       "sets the indentation"},
  };
  for (const auto& c : cases) {
    testing::ScopedTrace trace(__FILE__, c.line, "the case stated here");
    CommandLine line;
    EXPECT_EQ(c.error, parseCommandLine(c.args, &line));
  }
}

// Results come out in the order of the items however long each takes, and
// no more than two per thread are held ahead of the next one out.
TEST(BatchTest, ResultsComeOutInOrderWithBoundedLead) {
  for (int jobs : {1, 2, 5}) {
    std::atomic<size_t> begun{0};
    std::vector<size_t> emitted;
    size_t mostAhead = 0;
    runInOrder<size_t>(
        40, jobs,
        [&](size_t item) {
          ++begun;
          // The early items are slow, so that later ones finish first.
          if (item % 7 == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
          return item * 10;
        },
        [&](size_t item, size_t& result) {
          EXPECT_EQ(item * 10, result);
          mostAhead = std::max(mostAhead, begun.load() - item);
          emitted.push_back(item);
        });
    std::vector<size_t> expected(40);
    for (size_t k = 0; k < 40; ++k) expected[k] = k;
    EXPECT_EQ(expected, emitted) << jobs;
    EXPECT_LE(mostAhead, 2u * jobs) << jobs;
  }
  runInOrder<int>(
      0, 4, [](size_t) { return 0; },
      [](size_t, int&) { ADD_FAILURE() << "nothing to emit"; });
}

TEST(PlatformTest, ReplaceRefusesAFileChangedSinceItWasRead) {
  ScratchDirectory dir;
  const std::string path = dir / "a.c";
  writeFile(path, "first");
  Bytes text;
  FileStamp stamp;
  ASSERT_EQ(ReadResult::kOk, readWholeFile(path, &text, nullptr, &stamp));
  EXPECT_EQ(5u, stamp.size);
  writeFile(path, "second");
  std::string reason;
  EXPECT_EQ(ReplaceResult::kChanged,
            replaceUnchangedFile(path, "sorted", stamp, &reason));
  EXPECT_EQ("second", readFile(path));
  ASSERT_EQ(ReadResult::kOk, readWholeFile(path, &text, nullptr, &stamp));
  EXPECT_EQ(ReplaceResult::kDone,
            replaceUnchangedFile(path, "sorted", stamp, &reason));
  EXPECT_EQ("sorted", readFile(path));
  std::remove(path.c_str());
  EXPECT_EQ(ReplaceResult::kChanged,
            replaceUnchangedFile(path, "again", stamp, &reason));
  EXPECT_TRUE(listDirectory(dir.path()).empty());
}

TEST(PlatformTest, FailuresCarryTheSystemsReason) {
  Bytes text;
  std::string reason;
  EXPECT_EQ(ReadResult::kOpenFailed,
            readWholeFile("/nonexistent/a.c", &text, &reason));
  EXPECT_EQ("No such file or directory", reason);
  EXPECT_EQ(ReadResult::kOpenFailed, readWholeFile("/tmp", &text, &reason));
  EXPECT_EQ("Is a directory", reason);
  EXPECT_FALSE(replaceFile("/nonexistent/a.c", "x", &reason));
  EXPECT_EQ("No such file or directory", reason);
  EXPECT_GE(processorCount(), 1);
}

}  // namespace
