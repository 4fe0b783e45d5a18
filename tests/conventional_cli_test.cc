// Runs the conventional command line of the built program on real files and
// checks every byte it writes, and every file it leaves.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <utility>

#include "tests/run_program.h"
#include "tests/units.h"

namespace {

// Paths below the test's folder, with their contents.
using Files = std::vector<std::pair<std::string, std::string>>;

const std::string kSource = "int main(void) {\n  return 0;\n}\n";
const std::string kSorted = "int main(void) \n{\n\treturn 0;\n}\n\n";
const std::string kSortedS2 = "int main(void) \n{\n  return 0;\n}\n\n";
const std::string kSortedS4 = "int main(void) \n{\n    return 0;\n}\n\n";
const std::string kSortedS3 = "int main(void) \n{\n   return 0;\n}\n\n";
const std::string kCrLfSource = "int main(void) {\r\n  return 0;\r\n}\r\n";
const std::string kCrLfSorted =
    "int main(void) \r\n{\r\n\treturn 0;\r\n}\r\n\r\n";
const std::string kJavaSource = "class A {\n  int x;\n}\n";
const std::string kJavaSorted = "class A \n{\n\tint x;\n}\n\n";
const std::string kJavaSortedS2 = "class A \n{\n  int x;\n}\n\n";
const std::string kCutShort =
    "a;\n\x1A"
    "b;\n";
const std::string kBinary("a\0b;\n", 5);
// An x86-64 ELF header, one program header's worth of it, and code.
const std::string kElf = std::string(
                             "\x7F"
                             "ELF\2\1\1\0\0\0\0\0\0\0\0\0"
                             "\2\0>\0\1\0\0\0"
                             "x\0@\0\0\0\0\0"
                             "@\0\0\0\0\0\0\0"
                             "\0\0\0\0\0\0\0\0"
                             "\0\0\0\0"
                             "@\0"
                             "8\0\1\0\0\0\0\0\0\0"
                             "\xB8<\0\0\0\x31\xFF\x0F\x05",
                             73) +
                         std::string(183, '\x90');

std::string usage(const std::string& message) {
  return "quillfix: " + message + "\nTry 'quillfix --help'.\n";
}

std::string failure(const std::string& path, const std::string& reason) {
  return "quillfix: " + path + ": " + reason + "\n";
}

const std::string kNoSuchFile = "cannot open: No such file or directory";
const std::string kBinaryFile = "binary or UTF-16 without a byte-order mark";
const std::string kEndsEarly =
    "a Ctrl-Z byte ends the text before the end of the file";
const std::string kUnknownLanguage =
    "not a C, C++ or Java file name (--lang names the language)";
const std::string kIndentForm =
    "--indent takes t or s and a count from 1 to 256 (t1, s4), not ";
const std::string kNoSources = "no C, C++ or Java files";
const std::string kTwoSplits = "int a;  int b;\nint c;\nint d;int e;\n";
const std::string kLinesForm =
    "--lines takes START:END, line numbers from 1 with START not past END, "
    "not ";
const std::string kNoInPlace =
    "-i is not an option: --write sorts files in place, and --indent SPEC "
    "sets the indentation";

// Every file below `folder`, by its path below it, with its contents.
Files filesBelow(const std::string& folder) {
  Files files;
  for (const auto& entry :
       std::filesystem::recursive_directory_iterator(folder))
    if (entry.is_regular_file())
      files.emplace_back(
          entry.path().lexically_relative(folder).generic_string(),
          readFile(entry.path().string()));
  std::sort(files.begin(), files.end());
  return files;
}

void makeFiles(const std::string& folder, const Files& files) {
  for (const auto& [path, contents] : files) {
    std::filesystem::path full = std::filesystem::path(folder) / path;
    std::filesystem::create_directories(full.parent_path());
    writeFile(full.string(), contents);
  }
}

// One run: the arguments, the files before and standard input; the output,
// errors, status and the files after (none given: as before).
struct Case {
  int line;
  std::vector<std::string> args;
  Files before;
  std::string input;
  std::string out;
  std::string err;
  int status;
  Files after;
};

class CommandLineRunTest : public testing::Test {
 protected:
  RunResult run(const std::vector<std::string>& args,
                const std::string& input = "") {
    return runQuillfixIn(dir.path(), args, input, unprivileged);
  }

  void expectRuns(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      testing::ScopedTrace trace(__FILE__, c.line, "the case stated here");
      ScratchDirectory scratch;
      makeFiles(scratch.path(), c.before);
      RunOptions options;
      options.input = c.input;
      options.directory = scratch.path();
      RunResult result = runQuillfix(c.args, options);
      EXPECT_EQ(c.out, result.out);
      EXPECT_EQ(c.err, result.err);
      EXPECT_EQ(c.status, result.status);
      Files expected = c.after.empty() ? c.before : c.after;
      std::sort(expected.begin(), expected.end());
      EXPECT_EQ(expected, filesBelow(scratch.path()));
    }
  }

  ScratchDirectory dir;
  bool unprivileged = false;
};

// clang-format off
TEST_F(CommandLineRunTest, UsageErrors) {
  expectRuns({
    {__LINE__, {"--bogus", "a.c"}, {}, "", "", usage("unknown option '--bogus'"), 2, {}},
    {__LINE__, {"-x"}, {}, "", "", usage("unknown option '-x'"), 2, {}},
    {__LINE__, {"--bogus", "--help"}, {}, "", "", usage("unknown option '--bogus'"), 2, {}},
    {__LINE__, {"--indent"}, {}, "", "", usage("option '--indent' needs a value"), 2, {}},
    {__LINE__, {"--", "a.c", "-j"}, {{"a.c", kSource}}, "", kSorted, failure("-j", kNoSuchFile), 2, {}},
    {__LINE__, {"-c", "a.c", "-j"}, {{"a.c", kSource}}, "", "", usage("option '-j' needs a value"), 2, {}},
    {__LINE__, {"--jobs", "x", "a.c"}, {}, "", "", usage("--jobs needs a count from 1 to 1024, not 'x'"), 2, {}},
    {__LINE__, {"-j0", "a.c"}, {}, "", "", usage("--jobs needs a count from 1 to 1024, not '0'"), 2, {}},
    {__LINE__, {"--jobs=-1", "a.c"}, {}, "", "", usage("--jobs needs a count from 1 to 1024, not '-1'"), 2, {}},
    {__LINE__, {"-j", "1025", "a.c"}, {}, "", "", usage("--jobs needs a count from 1 to 1024, not '1025'"), 2, {}},
    {__LINE__, {"-c"}, {}, "", "", usage("no path given"), 2, {}},
    {__LINE__, {"--"}, {}, "", "", usage("no path given"), 2, {}},
    {__LINE__, {"-c", "-"}, {}, kSource, "", usage("standard input needs --lang or --stdin-filename"), 2, {}},
    {__LINE__, {"-w", "--lang", "c", "-"}, {}, kSource, "", usage("--write cannot replace standard input"), 2, {}},
    {__LINE__, {"--lang", "c", "-", "a.c"}, {{"a.c", kSource}}, "", "", usage("standard input '-' is sorted alone, without other paths"), 2, {}},
    {__LINE__, {"-i", "a.c"}, {{"a.c", kSource}}, "", "", usage(kNoInPlace), 2, {}},
    {__LINE__, {"-i.orig", "a.c"}, {{"a.c", kSource}}, "", "", usage(kNoInPlace), 2, {}},
    {__LINE__, {"--indent", "s257", "a.c"}, {}, "", "", usage(kIndentForm + "'s257'"), 2, {}},
    {__LINE__, {"--indent=t99999999999", "a.c"}, {}, "", "", usage(kIndentForm + "'t99999999999'"), 2, {}},
    {__LINE__, {"--indent", "4", "a.c"}, {{"a.c", kSource}}, "", "", usage(kIndentForm + "'4'"), 2, {}},
    {__LINE__, {"--indent=4s", "a.c"}, {{"a.c", kSource}}, "", "", usage(kIndentForm + "'4s'"), 2, {}},
    {__LINE__, {"-w", "--indent", "spaces", "a.c"}, {{"a.c", kSource}}, "", "", usage(kIndentForm + "'spaces'"), 2, {}},
    {__LINE__, {"--indent", "", "a.c"}, {{"a.c", kSource}}, "", "", usage(kIndentForm + "''"), 2, {}},
    {__LINE__, {"--lang", "cobol", "a.c"}, {}, "", "", usage("unknown language 'cobol' (c, cpp or java)"), 2, {}},
    {__LINE__, {"--lang", "C", "a.c"}, {}, "", "", usage("unknown language 'C' (c, cpp or java)"), 2, {}},
    {__LINE__, {"-c", "-w", "a.c"}, {{"a.c", kSource}}, "", "", usage("--write, --check and --diff do not go together"), 2, {}},
    {__LINE__, {"--check", "--diff", "a.c"}, {{"a.c", kSource}}, "", "", usage("--write, --check and --diff do not go together"), 2, {}},
    {__LINE__, {"--write=yes", "a.c"}, {{"a.c", kSource}}, "", "", usage("option '--write' takes no value"), 2, {}},
  });
}

TEST_F(CommandLineRunTest, HelpAndVersion) {
  expectRuns({
    {__LINE__, {"-V"}, {}, "", "quillfix 1.1.0\n", "", 0, {}},
    {__LINE__, {"--version", "a.c"}, {}, "", "quillfix 1.1.0\n", "", 0, {}},
    {__LINE__, {"-w", "--version", "--bogus"}, {}, "", "quillfix 1.1.0\n", "", 0, {}},
  });
  for (const char* help : {"-h", "--help"}) {
    RunResult result = run({help, "--bogus"});
    EXPECT_EQ(0, result.status);
    EXPECT_EQ("", result.err);
    EXPECT_EQ(0u, result.out.find("Usage: quillfix [OPTION]... [--] PATH...\n"));
    for (const char* option : {"-w, --write", "-c, --check", "-d, --diff", "--indent SPEC", "--lang c|cpp|java", "--stdin-filename NAME", "--lines START:END", "-j, --jobs N", "--exclude GLOB", "--no-ignore", "-h, --help", "-V, --version"})
      EXPECT_NE(std::string::npos, result.out.find(option)) << option;
  }
}

TEST_F(CommandLineRunTest, SortedCodeIsPrintedInTheOrderOfThePaths) {
  expectRuns({
    {__LINE__, {"--", "a.c"}, {{"a.c", kSource}}, "", kSorted, "", 0, {}},
    {__LINE__, {"--", "b.c", "a.c"}, {{"a.c", kSource}, {"b.c", "x;"}}, "", "x;\n" + kSorted, "", 0, {}},
    {__LINE__, {"--indent", "s2", "a.c"}, {{"a.c", kSource}}, "", kSortedS2, "", 0, {}},
    {__LINE__, {"--indent=s2", "--indent", "t1", "a.c"}, {{"a.c", kSource}}, "", kSorted, "", 0, {}},
    {__LINE__, {"--indent", "t2", "a.c"}, {{"a.c", kSource}}, "", "int main(void) \n{\n\t\treturn 0;\n}\n\n", "", 0, {}},
    {__LINE__, {"--indent", "s256", "a.c"}, {{"a.c", kSource}}, "", "int main(void) \n{\n" + std::string(256, ' ') + "return 0;\n}\n\n", "", 0, {}},
    {__LINE__, {"--", "-x.c"}, {{"-x.c", kSource}}, "", kSorted, "", 0, {}},
    {__LINE__, {"-j1", "--", "--check"}, {{"--check", kSource}}, "", "", failure("--check", kUnknownLanguage), 2, {}},
    {__LINE__, {"-j", "3", "e.c", "d.c", "c.c", "b.c", "a.c"}, {{"a.c", "a;"}, {"b.c", std::string(300000, 'x') + ";"}, {"c.c", "c;"}, {"d.c", "d;"}, {"e.c", "e;"}}, "", "e;\nd;\nc;\n" + std::string(300000, 'x') + ";\na;\n", "", 0, {}},
    {__LINE__, {"--", "missing.c", "a.c", "gone.c"}, {{"a.c", kSource}}, "", kSorted, failure("missing.c", kNoSuchFile) + failure("gone.c", kNoSuchFile), 2, {}},
    {__LINE__, {"--", "empty.c"}, {{"empty.c", ""}}, "", "", "", 0, {}},
  });
}

TEST_F(CommandLineRunTest, LanguageFollowsTheExtensionInAnyCaseOrLang) {
  expectRuns({
    {__LINE__, {"--", "A.JAVA", "B.Java", "x.H", "y.C"}, {{"A.JAVA", kJavaSource}, {"B.Java", kJavaSource}, {"x.H", kSource}, {"y.C", kSource}}, "", kJavaSorted + kJavaSorted + kSorted + kSorted, "", 0, {}},
    {__LINE__, {"--", "a.cc", "a.cpp", "a.cxx", "a.c++", "a.hh", "a.hpp", "a.hxx", "a.h++", "a.ipp", "a.tpp", "a.INL"}, {{"a.cc", "a;"}, {"a.cpp", "b;"}, {"a.cxx", "c;"}, {"a.c++", "d;"}, {"a.hh", "e;"}, {"a.hpp", "f;"}, {"a.hxx", "g;"}, {"a.h++", "h;"}, {"a.ipp", "i;"}, {"a.tpp", "j;"}, {"a.INL", "k;"}}, "", "a;\nb;\nc;\nd;\ne;\nf;\ng;\nh;\ni;\nj;\nk;\n", "", 0, {}},
    // A directive line is C's and copied whole; to Java "#" is a character.
    {__LINE__, {"--", "a.h", "a.java"}, {{"a.h", "#if x;y\n"}, {"a.java", "#if x;y\n"}}, "", "#if x;y\n#if x;\ny\n", "", 0, {}},
    {__LINE__, {"--lang", "java", "a.h"}, {{"a.h", "#if x;y\n"}}, "", "#if x;\ny\n", "", 0, {}},
    {__LINE__, {"--", "README", "a.c", "x.txt", "c.tar"}, {{"README", "x"}, {"a.c", "a;"}, {"x.txt", "x"}, {"c.tar", "x"}}, "", "a;\n", failure("README", kUnknownLanguage) + failure("x.txt", kUnknownLanguage) + failure("c.tar", kUnknownLanguage), 2, {}},
    {__LINE__, {"--lang", "c", "README"}, {{"README", kSource}}, "", kSorted, "", 0, {}},
    {__LINE__, {"--", "dir.c/readme"}, {{"dir.c/readme", "x;"}}, "", "", failure("dir.c/readme", kUnknownLanguage), 2, {}},
  });
}

TEST_F(CommandLineRunTest, FilesThatCannotBeSortedAreErrorsOfTheirOwn) {
  std::string lateNul = std::string(8000, 'a') + std::string("\0;", 2);
  std::string wide = inUnits(Encoding::kUtf16Le, U"\xFEFF" U"a;b;");
  expectRuns({
    {__LINE__, {"--", "bin.c", "a.c"}, {{"bin.c", kBinary}, {"a.c", "a;"}}, "", "a;\n", failure("bin.c", kBinaryFile), 2, {}},
    {__LINE__, {"-w", "bin.c"}, {{"bin.c", kBinary}}, "", "", failure("bin.c", kBinaryFile), 2, {}},
    {__LINE__, {"--", "bare16.c"}, {{"bare16.c", inUnits(Encoding::kUtf16Le, U"a;")}}, "", "", failure("bare16.c", kBinaryFile), 2, {}},
    {__LINE__, {"--", "late.c"}, {{"late.c", lateNul}}, "", lateNul + "\n", "", 0, {}},
    {__LINE__, {"--", "nuls.c"}, {{"nuls.c", std::string("const char kSep[] = \"a\0b\0c\0\"; int n = sizeof kSep;\n", 51)}}, "", std::string("const char kSep[] = \"a\0b\0c\0\";\nint n = sizeof kSep;\n", 51), "", 0, {}},
    {__LINE__, {"--", "elf.c"}, {{"elf.c", kElf}}, "", "", failure("elf.c", kBinaryFile), 2, {}},
    {__LINE__, {"--", "le.c", "be.c"}, {{"le.c", inUnits(Encoding::kUtf16Le, U"int x;\n")}, {"be.c", inUnits(Encoding::kUtf16Be, U"int x;\n")}}, "", "", failure("le.c", kBinaryFile) + failure("be.c", kBinaryFile), 2, {}},
    {__LINE__, {"--", "wide.c"}, {{"wide.c", wide}}, "", inUnits(Encoding::kUtf16Le, U"\xFEFF" U"a;\nb;\n"), "", 0, {}},
    {__LINE__, {"--", "cut.c", "a.c"}, {{"cut.c", kCutShort}, {"a.c", "a;"}}, "", "a;\n", failure("cut.c", kEndsEarly), 2, {}},
    {__LINE__, {"-w", "cut.c"}, {{"cut.c", kCutShort}}, "", "", failure("cut.c", kEndsEarly), 2, {}},
    {__LINE__, {"-w", "marked.c"}, {{"marked.c", "a;\n\x1A\x1A"}}, "", "", "", 0, {{"marked.c", "a;\n"}}},
    {__LINE__, {"-c", "braces.c", "a.c"}, {{"braces.c", std::string(2 << 20, '{')}, {"a.c", "a;"}}, "", "a.c\n", failure("braces.c", "the sorted code is too large"), 2, {}},
  });
}

TEST_F(CommandLineRunTest, EveryFileKeepsItsLineEnds) {
  expectRuns({
    {__LINE__, {"--", "crlf.c"}, {{"crlf.c", kCrLfSource}}, "", kCrLfSorted, "", 0, {}},
    {__LINE__, {"-w", "crlf.c", "lf.c"}, {{"crlf.c", kCrLfSource}, {"lf.c", kSource}}, "", "", "", 0, {{"crlf.c", kCrLfSorted}, {"lf.c", kSorted}}},
    {__LINE__, {"--", "first.c"}, {{"first.c", "a;\r\nb;\nc;"}}, "", "a;\r\nb;\r\nc;\r\n", "", 0, {}},
    {__LINE__, {"--", "later.c"}, {{"later.c", "a;\nb;\r\nc;"}}, "", "a;\nb;\nc;\n", "", 0, {}},
    {__LINE__, {"--", "lone.c"}, {{"lone.c", "a;\rb;"}}, "", "a;\n\rb;\n", "", 0, {}},
    {__LINE__, {"--lang", "c", "-"}, {}, kCrLfSource, kCrLfSorted, "", 0, {}},
  });
}

TEST_F(CommandLineRunTest, RegionsThatCommentsMarkAreLeftAlone) {
  expectRuns({
    {__LINE__, {"--", "crlf.c"}, {{"crlf.c", "a  ;\r\n// quillfix off\r\nint   t[] = {1,  2};\r\n// quillfix on\r\nb  ;\r\n"}}, "", "a ;\r\n// quillfix off\r\nint   t[] = {1,  2};\r\n// quillfix on\r\nb ;\r\n", "", 0, {}},
    {__LINE__, {"--check", "sorted.c"}, {{"sorted.c", "a;\n/* clang-format off */\n  x  ;\n/* clang-format on */\nb;\n"}}, "", "", "", 0, {}},
    {__LINE__, {"--lang", "java", "-"}, {}, "class A {\n  // quillfix off: table\n  int[]  t = {1,  2};\n}\n", "class A \n{\n\t// quillfix off: table\n  int[]  t = {1,  2};\n}\n", "", 0, {}},
  });
}

TEST_F(CommandLineRunTest, CheckPrintsTheFilesThatWouldChange) {
  expectRuns({
    {__LINE__, {"-c", "a.c", "sorted.c", "b.c"}, {{"a.c", kSource}, {"sorted.c", kSorted}, {"b.c", kSource}}, "", "a.c\nb.c\n", "", 1, {}},
    {__LINE__, {"--check", "sorted.c", "crlf.c"}, {{"sorted.c", kSorted}, {"crlf.c", kCrLfSorted}}, "", "", "", 0, {}},
    {__LINE__, {"-c", "missing.c", "a.c"}, {{"a.c", kSource}}, "", "a.c\n", failure("missing.c", kNoSuchFile), 2, {}},
    {__LINE__, {"-c", "-j2", "--", "-a.c"}, {{"-a.c", kSource}}, "", "-a.c\n", "", 1, {}},
  });
}

TEST_F(CommandLineRunTest, WriteReplacesOnlyFilesThatChange) {
  expectRuns({
    {__LINE__, {"-w", "a.c", "sorted.c"}, {{"a.c", kSource}, {"sorted.c", kSorted}}, "", "", "", 0, {{"a.c", kSorted}, {"sorted.c", kSorted}}},
    {__LINE__, {"--write", "--indent", "s2", "a.c"}, {{"a.c", kSource}}, "", "", "", 0, {{"a.c", kSortedS2}}},
    {__LINE__, {"-w", "missing.c", "a.c"}, {{"a.c", kSource}}, "", "", failure("missing.c", kNoSuchFile), 2, {{"a.c", kSorted}}},
    {__LINE__, {"-w", "wide.c"}, {{"wide.c", inUnits(Encoding::kUtf16Be, U"\xFEFF" U"a;\r\nb;")}}, "", "", "", 0, {{"wide.c", inUnits(Encoding::kUtf16Be, U"\xFEFF" U"a;\r\nb;\r\n")}}},
  });
}

TEST_F(CommandLineRunTest, StandardInputIsSortedToStandardOutput) {
  expectRuns({
    {__LINE__, {"--lang", "c", "-"}, {}, kSource, kSorted, "", 0, {}},
    {__LINE__, {"--stdin-filename", "src/A.java", "-"}, {}, kJavaSource, kJavaSorted, "", 0, {}},
    {__LINE__, {"--stdin-filename", "a.h", "-"}, {}, "#if x;y\n", "#if x;y\n", "", 0, {}},
    {__LINE__, {"--lang", "java", "--stdin-filename", "a.h", "-"}, {}, "#if x;y\n", "#if x;\ny\n", "", 0, {}},
    {__LINE__, {"--lang", "c", "--indent", "s2", "--", "-"}, {}, kSource, kSortedS2, "", 0, {}},
    {__LINE__, {"--lang", "c", "-"}, {}, "", "", "", 0, {}},
    {__LINE__, {"--lang", "c", "-"}, {}, inUnits(Encoding::kUtf32Be, U"\xFEFF" U"a;b;"), inUnits(Encoding::kUtf32Be, U"\xFEFF" U"a;\nb;\n"), "", 0, {}},
    {__LINE__, {"-c", "--stdin-filename", "src/x.c", "-"}, {}, kSource, "src/x.c\n", "", 1, {}},
    {__LINE__, {"-c", "--lang", "c", "-"}, {}, kSource, "-\n", "", 1, {}},
    {__LINE__, {"-c", "--lang", "c", "-"}, {}, kSorted, "", "", 0, {}},
  });
}

// Where --indent is not given, each file, and standard input that
// --stdin-filename names, is indented as the .editorconfig files that apply
// to its path ask; the classic command line reads none.
TEST_F(CommandLineRunTest, EditorConfigSetsTheIndentationWhereIndentDoesNot) {
  const Files project = {{".editorconfig", "root = true\n[*]\nindent_style = space\nindent_size = 4\n[java/**.java]\nindent_size = 2\n[src/*.c]\nindent_size = tab\ntab_width = 3\n"}, {"tabs/.editorconfig", "[*]\nindent_style = tab\n"}, {"a.c", kSource}, {"src/b.c", kSource}, {"java/A.java", kJavaSource}, {"tabs/t.c", kSource}};
  expectRuns({
    {__LINE__, {"--", "a.c", "src/b.c", "java/A.java", "tabs/t.c"}, project, "", kSortedS4 + kSortedS3 + kJavaSortedS2 + kSorted, "", 0, {}},
    {__LINE__, {"-w", "."}, project, "", "", "", 0, {project[0], project[1], {"a.c", kSortedS4}, {"src/b.c", kSortedS3}, {"java/A.java", kJavaSortedS2}, {"tabs/t.c", kSorted}}},
    {__LINE__, {"-c", "src/./b.c", "tabs/../a.c"}, {project[0], project[1], {"a.c", kSortedS4}, {"src/b.c", kSortedS3}}, "", "", "", 0, {}},
    {__LINE__, {"--indent", "t1", "a.c"}, project, "", kSorted, "", 0, {}},
    {__LINE__, {"--stdin-filename", "src/x.c", "-"}, project, kSource, kSortedS3, "", 0, {}},
    {__LINE__, {"--stdin-filename", "java/X.java", "-"}, project, kJavaSource, kJavaSortedS2, "", 0, {}},
    {__LINE__, {"-c", "--stdin-filename", "a.c", "-"}, project, kSortedS4, "", "", 0, {}},
    {__LINE__, {"--indent", "s2", "--stdin-filename", "a.c", "-"}, project, kSource, kSortedS2, "", 0, {}},
    {__LINE__, {"--lang", "c", "-"}, project, kSource, kSorted, "", 0, {}},
    {__LINE__, {"a.c"}, project, "", asWritten(kSorted), "", 0, {}},
    {__LINE__, {"/i", "s2", "/sn", "a.c", "a.c"}, project, "", asWritten(kSortedS2), "", 0, {project[0], project[1], {"a.c", asWritten(kSortedS2)}, project[3], project[4], project[5]}},
  });
}

// A value that cannot be used, or a .editorconfig that cannot be read, gives
// a warning and one tab; it fails nothing.
TEST_F(CommandLineRunTest, EditorConfigValuesThatCannotBeUsedGiveWarnings) {
  const Files project = {{".editorconfig", "root = true\n[*]\nindent_style = space\nindent_size = eight\n[b.c]\nindent_size = 0\n[c.c]\nindent_style = blanks\n"}, {"a.c", kSource}, {"b.c", kSource}, {"c.c", kSource}};
  const std::string count = "', not a count from 1 to 256; indenting by one tab\n";
  const std::string warnA = "quillfix: warning: a.c: .editorconfig sets indent_size to 'eight" + count;
  expectRuns({
    {__LINE__, {"--", "a.c", "b.c", "c.c"}, project, "", kSorted + kSorted + kSorted, warnA + "quillfix: warning: b.c: .editorconfig sets indent_size to '0" + count + "quillfix: warning: c.c: .editorconfig sets indent_style to 'blanks', not tab or space; indenting by one tab\n", 0, {}},
    {__LINE__, {"-c", "a.c", "missing.c"}, project, "", "a.c\n", warnA + failure("missing.c", kNoSuchFile), 2, {}},
    {__LINE__, {"-w", "a.c"}, project, "", "", warnA, 0, {project[0], {"a.c", kSorted}, project[2], project[3]}},
    {__LINE__, {"--stdin-filename", "a.c", "-"}, project, kSource, kSorted, warnA, 0, {}},
    {__LINE__, {"--indent", "s2", "a.c"}, project, "", kSortedS2, "", 0, {}},
  });
  writeFile(dir / ".editorconfig", "root = true\n[*]\nindent_style\n");
  writeFile(dir / "a.c", kSource);
  RunResult result = run({"--", "a.c"});
  EXPECT_EQ(kSorted, result.out);
  // Wine shows the root of the Linux file system as the drive Z:.
  const std::string drive = testingWindowsBuild() ? "Z:" : "";
  EXPECT_EQ("quillfix: warning: a.c: cannot read " + drive + (dir / ".editorconfig") + ", line 3; indenting by one tab\n", result.err);
  EXPECT_EQ(0, result.status);
}

TEST_F(CommandLineRunTest, DiffShowsHowEachFileWouldChange) {
  const std::string diff = "--- a.c\n+++ a.c\n@@ -1,3 +1,5 @@\n-int main(void) {\n-  return 0;\n+int main(void) \n+{\n+\treturn 0;\n }\n+\n";
  expectRuns({
    {__LINE__, {"-d", "sorted.c", "a.c"}, {{"a.c", kSource}, {"sorted.c", kSorted}}, "", diff, "", 1, {}},
    {__LINE__, {"--diff", "sorted.c"}, {{"sorted.c", kSorted}}, "", "", "", 0, {}},
    {__LINE__, {"-d", "n.c"}, {{"n.c", "x;"}}, "", "--- n.c\n+++ n.c\n@@ -1 +1 @@\n-x;\n\\ No newline at end of file\n+x;\n", "", 1, {}},
    {__LINE__, {"-d", "--stdin-filename", "a.c", "-"}, {}, kSource, diff, "", 1, {}},
    {__LINE__, {"-d", "missing.c", "a.c"}, {{"a.c", kSource}}, "", diff, failure("missing.c", kNoSuchFile), 2, {}},
  });
}

// Lines 1 and 3 of kTwoSplits each split in two; line 2 stays.
TEST_F(CommandLineRunTest, LinesMakesOnlyTheChangesThatTouchThem) {
  const std::string firstSplit = "int a;\nint b;\nint c;\nint d;int e;\n";
  const std::string lastSplit = "int a;  int b;\nint c;\nint d;\nint e;\n";
  const std::string bothSplit = "int a;\nint b;\nint c;\nint d;\nint e;\n";
  const std::string firstDiff = "--- a.c\n+++ a.c\n@@ -1,3 +1,4 @@\n-int a;  int b;\n+int a;\n+int b;\n int c;\n int d;int e;\n";
  // Line 4 lies inside a raw string, which keeps its lines.
  const std::string rawString = "int t[] = { 1 } x;\n  auto s = R\"(c\n\n\n)\";\n";
  const std::string rawSorted = "int t[] = \n{\n\t1 \n}\n\nx;\nauto s = R\"(c\n\n\n)\";\n";
  expectRuns({
    {__LINE__, {"--lines", "4:4", "r.cpp"}, {{"r.cpp", rawString}}, "", rawSorted, "", 0, {}},
    {__LINE__, {"--lines", "3:3", "a.c"}, {{"a.c", kTwoSplits}}, "", lastSplit, "", 0, {}},
    {__LINE__, {"--lines", "3:9", "--lines=1:1", "a.c"}, {{"a.c", kTwoSplits}}, "", bothSplit, "", 0, {}},
    {__LINE__, {"--lines", "2:2", "a.c"}, {{"a.c", kTwoSplits}}, "", kTwoSplits, "", 0, {}},
    {__LINE__, {"-w", "--lines", "1:2", "a.c"}, {{"a.c", kTwoSplits}}, "", "", "", 0, {{"a.c", firstSplit}}},
    {__LINE__, {"-c", "--lines", "2:2", "a.c"}, {{"a.c", kTwoSplits}}, "", "", "", 0, {}},
    {__LINE__, {"-c", "--lines", "3:3", "a.c"}, {{"a.c", kTwoSplits}}, "", "a.c\n", "", 1, {}},
    {__LINE__, {"-d", "--lines", "1:1", "a.c"}, {{"a.c", kTwoSplits}}, "", firstDiff, "", 1, {}},
    {__LINE__, {"-d", "--lines", "1:1", "--stdin-filename", "a.c", "-"}, {}, kTwoSplits, firstDiff, "", 1, {}},
    {__LINE__, {"--lines", "3:3", "--lang", "c", "-"}, {}, kTwoSplits, lastSplit, "", 0, {}},
    {__LINE__, {"--lines", "1:2", "a.c", "b.c"}, {{"a.c", kTwoSplits}, {"b.c", kTwoSplits}}, "", "", usage("--lines takes one file or standard input"), 2, {}},
    {__LINE__, {"-w", "--lines", "1:2", "a.c", "b.c"}, {{"a.c", kTwoSplits}, {"b.c", kTwoSplits}}, "", "", usage("--lines takes one file or standard input"), 2, {}},
    {__LINE__, {"--lines", "1:2", "src"}, {{"src/a.c", kTwoSplits}}, "", "", usage("--lines takes a file, not the folder 'src'"), 2, {}},
    {__LINE__, {"--lines", "10", "a.c"}, {{"a.c", kTwoSplits}}, "", "", usage(kLinesForm + "'10'"), 2, {}},
    {__LINE__, {"--lines", "a:b", "a.c"}, {{"a.c", kTwoSplits}}, "", "", usage(kLinesForm + "'a:b'"), 2, {}},
    {__LINE__, {"--lines", "0:3", "a.c"}, {{"a.c", kTwoSplits}}, "", "", usage(kLinesForm + "'0:3'"), 2, {}},
    {__LINE__, {"--lines=5:3", "a.c"}, {{"a.c", kTwoSplits}}, "", "", usage(kLinesForm + "'5:3'"), 2, {}},
  });
}

// A folder is walked in the order of its names, skipping names that begin
// with "." and files of other languages.
TEST_F(CommandLineRunTest, FoldersAreWalkedInNameOrder) {
  const Files tree = {{"src/a.c", kSource}, {"src/b.c", kSorted}, {"src/sub/c.h", kSource}, {"src/x.java", kJavaSource}, {"src/.hidden/d.c", kSource}, {"src/.e.c", kSource}, {"src/README", "x"}, {"src/sub.c", kSource}};
  expectRuns({
    {__LINE__, {"-c", "src"}, tree, "", "src/a.c\nsrc/sub/c.h\nsrc/sub.c\nsrc/x.java\n", "", 1, {}},
    {__LINE__, {"-c", "src/"}, tree, "", "src/a.c\nsrc/sub/c.h\nsrc/sub.c\nsrc/x.java\n", "", 1, {}},
    {__LINE__, {"-c", "-j2", "src/sub", "src/a.c", "src/.e.c"}, tree, "", "src/sub/c.h\nsrc/a.c\nsrc/.e.c\n", "", 1, {}},
    {__LINE__, {"-c", "--exclude", "sub", "--exclude=*.java", "src"}, tree, "", "src/a.c\nsrc/sub.c\n", "", 1, {}},
    {__LINE__, {"-c", "--exclude", "src/sub", "src"}, tree, "", "src/a.c\nsrc/sub/c.h\nsrc/sub.c\nsrc/x.java\n", "", 1, {}},
    {__LINE__, {"-c", "--exclude", "sub/c.h", "src"}, tree, "", "src/a.c\nsrc/sub.c\nsrc/x.java\n", "", 1, {}},
    {__LINE__, {"-w", "src"}, tree, "", "", "", 0, {{"src/a.c", kSorted}, {"src/b.c", kSorted}, {"src/sub/c.h", kSorted}, {"src/x.java", kJavaSorted}, {"src/.hidden/d.c", kSource}, {"src/.e.c", kSource}, {"src/README", "x"}, {"src/sub.c", kSorted}}},
    {__LINE__, {"--", "src/sub"}, tree, "", kSorted, "", 0, {}},
    {__LINE__, {"-c", "empty"}, {{"empty/README", "x"}}, "", "", failure("empty", kNoSources), 0, {}},
    {__LINE__, {"-w", "docs/", "a.c"}, {{"docs/README", "x"}, {"a.c", kSource}}, "", "", failure("docs/", kNoSources), 0, {{"docs/README", "x"}, {"a.c", kSorted}}},
    {__LINE__, {"-c", "a.c", "old", "b.c"}, {{"old/x.txt", "x"}, {"old/.y.c", kSource}, {"a.c", kSource}, {"b.c", kSource}}, "", "a.c\nb.c\n", failure("old", kNoSources), 1, {}},
  });
}

// A path named is matched as a walk of the current folder would match it.
TEST_F(CommandLineRunTest, ExcludeSkipsPathsNamedToo) {
  const Files tree = {{"a.c", kSource}, {"lib/crc32.h", kSource}, {"lib/zip.c", kSource}, {"contrib/x.c", kSource}};
  expectRuns({
    {__LINE__, {"--check", "--exclude", "crc32.h", "lib/crc32.h", "a.c"}, tree, "", "a.c\n", "", 1, {}},
    {__LINE__, {"-c", "--exclude", "./contrib", "contrib/x.c", "lib/zip.c"}, tree, "", "lib/zip.c\n", "", 1, {}},
    {__LINE__, {"-c", "--exclude", "./contrib", "."}, tree, "", "./a.c\n./lib/crc32.h\n./lib/zip.c\n", "", 1, {}},
    {__LINE__, {"-c", "--exclude", "./lib/*.c", "lib"}, tree, "", "lib/crc32.h\n", "", 1, {}},
    {__LINE__, {"-c", "--exclude", "./zip.c", "lib/zip.c"}, tree, "", "lib/zip.c\n", "", 1, {}},
    {__LINE__, {"-c", "--exclude", "lib", "lib", "a.c"}, tree, "", "a.c\n", "", 1, {}},
    {__LINE__, {"-w", "--exclude=*.h", "lib/crc32.h"}, tree, "", "", "", 0, {}},
  });
}

// In a work tree, what git ignores is skipped, unless --no-ignore is given;
// a file named is sorted whatever its folder's ignore files say.
TEST_F(CommandLineRunTest, WalksSkipWhatGitIgnores) {
  const Files tree = {{".git/HEAD", "ref: refs/heads/main\n"}, {".gitignore", "gen/\n*.gen.c\n"}, {"a.c", kSource}, {"gen/g.c", kSource}, {"x.gen.c", kSource}, {"lib/.gitignore", "!*.gen.c\nold.c\n"}, {"lib/old.c", kSource}, {"lib/y.gen.c", kSource}};
  expectRuns({
    {__LINE__, {"-c", "."}, tree, "", "./a.c\n./lib/y.gen.c\n", "", 1, {}},
    {__LINE__, {"-c", "--no-ignore", "."}, tree, "", "./a.c\n./gen/g.c\n./lib/old.c\n./lib/y.gen.c\n./x.gen.c\n", "", 1, {}},
    {__LINE__, {"-c", "gen", "x.gen.c"}, tree, "", "gen/g.c\nx.gen.c\n", "", 1, {}},
  });
}

// An editor that replaces its text with the output keeps it whole.
TEST_F(CommandLineRunTest, StandardInputThatCannotBeSortedComesBackAsItWas) {
  expectRuns({
    {__LINE__, {"--lang", "c", "-"}, {}, kBinary, kBinary, failure("-", kBinaryFile), 2, {}},
    {__LINE__, {"--stdin-filename", "x.c", "-"}, {}, kCutShort, kCutShort, failure("x.c", kEndsEarly), 2, {}},
    {__LINE__, {"--stdin-filename", "notes.txt", "-"}, {}, kSource, kSource, failure("notes.txt", kUnknownLanguage), 2, {}},
    {__LINE__, {"--stdin-filename", "x.c", "-"}, {}, std::string(2 << 20, '{'), std::string(2 << 20, '{'), failure("x.c", "the sorted code is too large"), 2, {}},
    {__LINE__, {"-c", "--stdin-filename", "x.c", "-"}, {}, kBinary, "", failure("x.c", kBinaryFile), 2, {}},
  });
}
// cmd.exe leaves wildcards to the program; a POSIX shell has expanded them
// already, so there a "*" is part of a name.
TEST_F(CommandLineRunTest, WildcardsAreExpandedWhereTheShellDoesNot) {
  if (testingWindowsBuild()) {
    expectRuns({
      {__LINE__, {"-c", "*.c", "sub\\?.java", "none*.c"}, {{"b.c", kSource}, {"a.c", kSource}, {"x.txt", "x"}, {"sub/A.java", kJavaSource}, {"sub/AB.java", kJavaSource}}, "", "a.c\nb.c\nsub\\A.java\n", failure("none*.c", "cannot open: No such file or directory"), 2, {}},
    });
    return;
  }
  expectRuns({
    {__LINE__, {"-c", "*.c", "?.c"}, {{"*.c", kSource}, {"a.c", kSource}}, "", "*.c\n", failure("?.c", kNoSuchFile), 2, {}},
  });
}
// clang-format on

TEST_F(CommandLineRunTest, WriteLeavesASortedFileUntouched) {
  writeFile(dir / "sorted.c", kSorted);
  writeFile(dir / "a.c", kSource);
  struct timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
  utimensat(AT_FDCWD, (dir / "sorted.c").c_str(), old, 0);
  struct stat before;
  ASSERT_EQ(0, stat((dir / "sorted.c").c_str(), &before));
  RunResult result = run({"-w", "sorted.c", "a.c"});
  EXPECT_EQ(0, result.status);
  EXPECT_EQ("", result.err);
  struct stat after;
  ASSERT_EQ(0, stat((dir / "sorted.c").c_str(), &after));
  EXPECT_EQ(before.st_ino, after.st_ino);
  EXPECT_EQ(before.st_mtim.tv_sec, after.st_mtim.tv_sec);
  EXPECT_EQ(before.st_mtim.tv_nsec, after.st_mtim.tv_nsec);
  EXPECT_EQ(kSorted, readFile(dir / "a.c"));
}

// The rights of the file decide, as for the classic save: a file that may
// not be written is refused; one in a folder that refuses a temporary file
// is written in place and keeps its links.
TEST_F(CommandLineRunTest, WriteFollowsTheFilesOwnPermission) {
  writeFile(dir / "locked.c", kSource);
  chmod((dir / "locked.c").c_str(), 0444);
  if (!testingWindowsBuild()) {
    // Root may write any file: the run is made as nobody then.
    if (geteuid() == 0 && !canRunAsNobody()) GTEST_SKIP() << kNeedsNobody;
    unprivileged = geteuid() == 0;
    // Anyone may add a file here and rename it over another, whatever the
    // umask, so that only the file's own mode can refuse the save.
    chmod(dir.path().c_str(), 0777);
  }
  RunResult result = run({"-w", "locked.c"});
  EXPECT_EQ(2, result.status);
  EXPECT_EQ(failure("locked.c", "cannot save: Permission denied"), result.err);
  EXPECT_EQ(kSource, readFile(dir / "locked.c"));
  if (testingWindowsBuild()) return;
  writeFile(dir / "shared.c", kSource);
  chmod((dir / "shared.c").c_str(), 0666);
  link((dir / "shared.c").c_str(), (dir / "twin.c").c_str());
  chmod(dir.path().c_str(), 0555);  // no new file here, for anyone
  result = run({"-w", "shared.c"});
  EXPECT_EQ(0, result.status);
  EXPECT_EQ("", result.err);
  EXPECT_EQ(kSorted, readFile(dir / "twin.c"));
  EXPECT_EQ((std::vector<std::string>{"locked.c", "shared.c", "twin.c"}),
            listDirectory(dir.path()));
  chmod(dir.path().c_str(), 0755);
}

TEST_F(CommandLineRunTest, FullDiskLeavesTheFileAsItWas) {
  if (testingWindowsBuild()) GTEST_SKIP() << "file size limits are POSIX";
  std::string big;
  for (int k = 0; k < 200000; ++k) big += "int x;   ";
  writeFile(dir / "big.c", big);
  writeFile(dir / "small.c", kSource);
  RunOptions options;
  options.directory = dir.path();
  options.fileSizeLimit = 64 * 1024;
  RunResult result = runQuillfix({"-w", "big.c", "small.c"}, options);
  EXPECT_EQ(2, result.status);
  EXPECT_EQ(failure("big.c", "cannot save: File too large"), result.err);
  EXPECT_EQ(big, readFile(dir / "big.c"));
  EXPECT_EQ(kSorted, readFile(dir / "small.c"));
  EXPECT_EQ((std::vector<std::string>{"big.c", "small.c"}),
            listDirectory(dir.path()));
}

// One file that memory cannot hold fails alone; the others go on.
TEST_F(CommandLineRunTest, RunningOutOfMemoryFailsThatFileAlone) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer needs more address space than the limit";
#endif
  if (testingWindowsBuild() || std::getenv("QUILLFIX_VALGRIND"))
    GTEST_SKIP() << "an address space limit for the program alone";
  writeFile(dir / "semicolons.c", std::string(64 << 20, ';'));
  writeFile(dir / "a.c", kSource);
  RunOptions options;
  options.directory = dir.path();
  options.memoryLimit = 160L << 20;
  RunResult result = runQuillfix({"-c", "-j1", "semicolons.c", "a.c"}, options);
  EXPECT_EQ(0, result.signal);
  EXPECT_EQ(2, result.status);
  EXPECT_EQ("a.c\n", result.out);
  EXPECT_EQ(failure("semicolons.c", "out of memory"), result.err);
}

TEST_F(CommandLineRunTest, FailedStandardOutputIsReported) {
  if (testingWindowsBuild()) GTEST_SKIP() << "/dev/full exists on Linux alone";
  writeFile(dir / "a.c", kSource);
  RunOptions options;
  options.directory = dir.path();
  options.stdoutPath = "/dev/full";
  for (std::vector<std::string> args : {std::vector<std::string>{"-c", "a.c"},
                                        {"--", "a.c", "a.c"},
                                        {"--lang", "c", "-"},
                                        {"--help"}}) {
    options.input = kSource;
    RunResult result = runQuillfix(args, options);
    EXPECT_EQ(2, result.status) << args[0];
    EXPECT_EQ("quillfix: writing to standard output failed\n", result.err)
        << args[0];
  }
}

// However the interrupt falls, each file is as it was or wholly sorted, and
// no temporary file is left.
TEST_F(CommandLineRunTest, InterruptedWriteLeavesEveryFileWholeAndNoTemporary) {
  if (testingWindowsBuild()) GTEST_SKIP() << "POSIX signals";
  std::string source;
  for (int k = 0; k < 100000; ++k) source += "int   x;   ";
  std::string sorted;
  for (int k = 0; k < 100000; ++k) sorted += "int x;\n";
  std::vector<std::string> names;
  for (int k = 0; k < 60; ++k) names.push_back(std::to_string(k) + "f.c");
  std::vector<std::string> args = {QUILLFIX_BINARY, "-w", "-j2"};
  args.insert(args.end(), names.begin(), names.end());
  for (const std::string& name : names) writeFile(dir / name, source);
  for (int signal : {SIGINT, SIGTERM}) {
    pid_t child = fork();
    if (child == 0) {
      if (chdir(dir.path().c_str()) != 0) _exit(127);
      std::vector<char*> argv;
      for (std::string& arg : args) argv.push_back(arg.data());
      argv.push_back(nullptr);
      execv(QUILLFIX_BINARY, argv.data());
      _exit(127);
    }
    // The signal comes once the first file is replaced, with the rest to go.
    std::error_code error;
    for (int wait = 0; wait < 20000; ++wait) {
      auto size = std::filesystem::file_size(dir / names[0], error);
      if (!error && size == sorted.size()) break;
      usleep(500);
    }
    kill(child, signal);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the run ended before the signal";
    EXPECT_EQ(signal, WTERMSIG(status));
    int whole = 0;
    for (const std::string& name : listDirectory(dir.path())) {
      ASSERT_NE('.', name[0]) << name;
      std::string text = readFile(dir / name);
      EXPECT_TRUE(text == source || text == sorted) << name;
      whole += text == sorted;
    }
    std::printf("[ sorted   ] %d of 60 files before signal %d\n", whole,
                signal);
    for (const std::string& name : names) writeFile(dir / name, source);
  }
}

}  // namespace
