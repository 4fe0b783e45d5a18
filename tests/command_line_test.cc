#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// What a command line was read as, in a few words, for the table below.
std::string summary(const CommandLine& line) {
  const char* modes[] = {"print", "write", "check", "diff"};
  std::string text = modes[static_cast<int>(line.mode)];
  if (line.indent) {
    text += line.indent->character == ' ' ? " s" : " t";
    text += std::to_string(line.indent->count);
  }
  if (line.language) text += " lang=" + std::string(line.language->name);
  if (!line.stdinName.empty()) text += " name=" + line.stdinName;
  if (line.jobs) text += " jobs=" + std::to_string(line.jobs);
  for (const std::string& glob : line.excludes) text += " exclude=" + glob;
  if (!line.readIgnoreFiles) text += " no-ignore";
  for (const LineRange& range : line.lines)
    text += " lines=" + std::to_string(range.first) + ":" +
            std::to_string(range.last);
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
      {__LINE__, {"-w", "a.c"}, "write [a.c]"},
      {__LINE__, {"--write", "a.c", "b.c"}, "write [a.c] [b.c]"},
      {__LINE__, {"-c", "a.c"}, "check [a.c]"},
      {__LINE__, {"-d", "--diff", "a.c"}, "diff [a.c]"},
      {__LINE__, {"a.c", "-w"}, "write [a.c]"},
      {__LINE__, {"--indent", "s4", "a.c"}, "print s4 [a.c]"},
      {__LINE__, {"--indent=t2", "a.c"}, "print t2 [a.c]"},
      {__LINE__, {"--indent", "s2", "--indent", "t3", "a.c"}, "print t3 [a.c]"},
      {__LINE__, {"--indent", "s256", "a.c"}, "print s256 [a.c]"},
      {__LINE__, {"--indent", "t001", "a.c"}, "print t1 [a.c]"},
      {__LINE__, {"--indent", "t1", "a.c"}, "print t1 [a.c]"},
      {__LINE__, {"--lang", "java", "-"}, "print lang=java [-]"},
      {__LINE__, {"--lang=cpp", "x"}, "print lang=cpp [x]"},
      {__LINE__, {"--stdin-filename", "s/x.c", "-"}, "print name=s/x.c [-]"},
      {__LINE__, {"--stdin-filename=", "--lang", "c", "-"}, "print lang=c [-]"},
      {__LINE__, {"-j", "3", "a"}, "print jobs=3 [a]"},
      {__LINE__, {"-j7", "a"}, "print jobs=7 [a]"},
      {__LINE__, {"--jobs=1024", "a"}, "print jobs=1024 [a]"},
      {__LINE__, {"--jobs", "01", "a"}, "print jobs=1 [a]"},
      {__LINE__,
       {"--exclude", "*.h", "--exclude=gen/", "a"},
       "print exclude=*.h exclude=gen/ [a]"},
      {__LINE__, {"--no-ignore", "a"}, "print no-ignore [a]"},
      {__LINE__,
       {"--lines", "3:5", "--lines=1:1", "a.c"},
       "print lines=3:5 lines=1:1 [a.c]"},
      {__LINE__, {"-w", "--lines", "2:2", "a.c"}, "write lines=2:2 [a.c]"},
      {__LINE__,
       {"-d", "--lines", "1:2", "--lang", "c", "-"},
       "diff lang=c lines=1:2 [-]"},
      {__LINE__, {"--", "-w", "--"}, "print [-w] [--]"},
      {__LINE__, {"-", "--lang", "c"}, "print lang=c [-]"},
      {__LINE__, {"", "--"}, "print []"},
      {__LINE__, {"-h"}, "print help"},
      {__LINE__, {"-w", "--help", "-i"}, "write help"},
      {__LINE__, {"-V", "--bogus"}, "print version"},
  };
  for (const auto& c : cases) {
    testing::ScopedTrace trace(__FILE__, c.line, "the case stated here");
    CommandLine line;
    EXPECT_EQ("", parseCommandLine(c.args, &line));
    EXPECT_EQ(c.read, summary(line));
  }
}

const std::string kIndentForm =
    "--indent takes t or s and a count from 1 to 256 (t1, s4), not ";

const std::string kLinesForm =
    "--lines takes START:END, line numbers from 1 with START not past END, "
    "not ";

TEST(CommandLineTest, LspAloneAsksForTheLanguageServer) {
  CommandLine line;
  EXPECT_EQ(parseCommandLine({"--lsp"}, &line), "");
  EXPECT_TRUE(line.lsp);
}

TEST(CommandLineTest, UsageErrorsAreNamed) {
  struct {
    int line;
    std::vector<std::string> args;
    std::string error;
  } cases[] = {
      {__LINE__, {}, "no path given"},
      {__LINE__, {"-w"}, "no path given"},
      {__LINE__, {"--lsp", "a.c"}, "--lsp takes no other argument"},
      {__LINE__, {"-w", "--lsp"}, "--lsp takes no other argument"},
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
      {__LINE__, {"--indent", "4", "a"}, kIndentForm + "'4'"},
      {__LINE__, {"--indent", "4s", "a"}, kIndentForm + "'4s'"},
      {__LINE__, {"--indent", "x4", "a"}, kIndentForm + "'x4'"},
      {__LINE__, {"--indent", "spaces", "a"}, kIndentForm + "'spaces'"},
      {__LINE__, {"--indent", "", "a"}, kIndentForm + "''"},
      {__LINE__, {"--indent", "s", "a"}, kIndentForm + "'s'"},
      {__LINE__, {"--indent", "T2", "a"}, kIndentForm + "'T2'"},
      {__LINE__, {"--indent", "s0", "a"}, kIndentForm + "'s0'"},
      {__LINE__, {"--indent", "s257", "a"}, kIndentForm + "'s257'"},
      {__LINE__, {"--indent", "s+4", "a"}, kIndentForm + "'s+4'"},
      {__LINE__, {"--indent", "s 4", "a"}, kIndentForm + "'s 4'"},
      {__LINE__, {"--indent", "t4x", "a"}, kIndentForm + "'t4x'"},
      {__LINE__,
       {"--indent", "s4294967298", "a"},
       kIndentForm + "'s4294967298'"},
      {__LINE__, {"--lines", "10", "a"}, kLinesForm + "'10'"},
      {__LINE__, {"--lines", "a:b", "a"}, kLinesForm + "'a:b'"},
      {__LINE__, {"--lines", "0:3", "a"}, kLinesForm + "'0:3'"},
      {__LINE__, {"--lines=5:3", "a"}, kLinesForm + "'5:3'"},
      {__LINE__,
       {"--lines", "1:2", "a", "b"},
       "--lines takes one file or standard input"},
      {__LINE__,
       {"-w", "--lines", "1:2", "a", "b"},
       "--lines takes one file or standard input"},
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

}  // namespace
