#include "app/unified_diff.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>

#include "tests/command.h"
#include "tests/run_program.h"

namespace {

// "1\n2\n...\nN\n", with the lines named in `changed` as "xK" instead.
std::string numbered(int count, std::initializer_list<int> changed = {}) {
  std::string text;
  for (int k = 1; k <= count; ++k) {
    bool isChanged =
        std::find(changed.begin(), changed.end(), k) != changed.end();
    if (isChanged) text += 'x';
    text += std::to_string(k);
    text += '\n';
  }
  return text;
}

TEST(UnifiedDiffTest, SpellsHeadersAndHunksOut) {
  struct {
    int line;
    const char* before;
    const char* after;
    const char* diff;
  } cases[] = {
      {__LINE__, "a\n", "a\n", ""},
      {__LINE__, "", "", ""},
      {__LINE__, "a\nb\nc\n", "a\nB\nc\n",
       "--- f.c\n+++ f.c\n@@ -1,3 +1,3 @@\n a\n-b\n+B\n c\n"},
      {__LINE__, "", "a\n", "--- f.c\n+++ f.c\n@@ -0,0 +1 @@\n+a\n"},
      {__LINE__, "a\nb\n", "", "--- f.c\n+++ f.c\n@@ -1,2 +0,0 @@\n-a\n-b\n"},
      {__LINE__, "a", "a\n",
       "--- f.c\n+++ f.c\n@@ -1 +1 @@\n-a\n\\ No newline at end of file\n+a\n"},
  };
  for (const auto& c : cases) {
    testing::ScopedTrace trace(__FILE__, c.line, c.before);
    EXPECT_EQ(c.diff, unifiedDiff("f.c", c.before, c.after));
  }
}

// What `diff -u` prints for the texts, labelled `path`.
std::string diffOf(const ScratchDirectory& scratch, const std::string& path,
                   const std::string& before, const std::string& after) {
  writeFile(scratch / "before", before);
  writeFile(scratch / "after", after);
  CommandResult diff =
      runShell("diff -u --label " + shellQuoted(path) + " --label " +
               shellQuoted(path) + " " + shellQuoted(scratch / "before") + " " +
               shellQuoted(scratch / "after"));
  EXPECT_EQ(before == after ? 0 : 1, diff.status);
  return diff.out;
}

// What `patch` makes of `before` with `diff`.
std::string patched(const ScratchDirectory& scratch, const std::string& before,
                    const std::string& diff) {
  writeFile(scratch / "patched", before);
  writeFile(scratch / "diff", diff);
  CommandResult patch = runShell("patch -s -o " + shellQuoted(scratch / "out") +
                                 " " + shellQuoted(scratch / "patched") + " " +
                                 shellQuoted(scratch / "diff"));
  EXPECT_EQ(0, patch.status) << patch.out;
  return readFile(scratch / "out");
}

TEST(UnifiedDiffTest, PrintsWhatDiffPrints) {
  if (!haveProgram("diff") || !haveProgram("patch")) {
    GTEST_SKIP() << "GNU diff or patch is not installed: the diffs cannot be "
                    "compared with theirs";
  }
  struct {
    int line;
    std::string before;
    std::string after;
  } cases[] = {
      {__LINE__, numbered(10), numbered(10, {1})},
      {__LINE__, numbered(10), numbered(10, {5})},
      {__LINE__, numbered(10), numbered(10, {10})},
      {__LINE__, numbered(10), "0\n" + numbered(10)},
      {__LINE__, numbered(10), numbered(10) + "11\n"},
      {__LINE__, numbered(10), numbered(4) + "new\n" + numbered(10).substr(8)},
      {__LINE__, numbered(10), numbered(10).substr(2)},
      {__LINE__, numbered(10), numbered(9)},
      {__LINE__, numbered(10), numbered(4) + numbered(10).substr(10)},
      {__LINE__, numbered(20), numbered(20, {4, 11})},
      {__LINE__, numbered(20), numbered(20, {4, 12})},
      {__LINE__, numbered(30), numbered(30, {1, 8, 15, 23, 30})},
      {__LINE__, numbered(30), numbered(30, {2, 3, 4, 20, 21})},
      {__LINE__, numbered(5), numbered(5, {1, 2, 3, 4, 5})},
      {__LINE__, numbered(3) + "end", numbered(3) + "end\n"},
      {__LINE__, numbered(3) + "end\n", numbered(3) + "end"},
      {__LINE__, numbered(3) + "end", numbered(3) + "END"},
      {__LINE__, numbered(9) + "end", numbered(9, {2}) + "end"},
      {__LINE__, "a", "b"},
      {__LINE__, "", numbered(4)},
      {__LINE__, numbered(4), ""},
      {__LINE__, "", "no line feed"},
      {__LINE__, "a\r\nb\r\nc\r\n", "a\r\nB\r\nc\r\n"},
      {__LINE__, "a\r\nb\r\n", "a\nb\n"},
      // lines moved, some kept, some found on one side only
      {__LINE__, "a\nb\nc\nd\ne\n", "e\nd\nc\nb\na\n"},
      {__LINE__, "1\n2\n3\n", "3\n1\n2\n"},
      {__LINE__, "a\nx\nb\ny\nc\n", "b\nq\na\nc\n"},
      {__LINE__, "a\nb\na\nb\n", "b\na\nb\na\n"},
      {__LINE__, "k\na\nb\nc\nk\n", "k\nc\nb\na\nk\n"},
      {__LINE__, "a\nb\nc\nd\n", "x\nc\nd\na\nb\ny\n"},
      {__LINE__, "m\nn\no\np\nq\n", "p\nq\no\nm\nn\n"},
      {__LINE__, "1\n2\n3\n4\n5\n6\n7\n8\n", "1\n9\n3\n4\n2\n6\n7\n5\n"},
      {__LINE__, "a\nb\n", "b\nx\na\n"},
      {__LINE__, "x\na\ny\nb\n", "a\np\nb\nq\n"},
      {__LINE__, "int f() {\n  return 1;\n}\n", "int f()\n{\n\treturn 1;\n}\n"},
  };
  ScratchDirectory scratch;
  for (const auto& c : cases) {
    testing::ScopedTrace trace(__FILE__, c.line, c.before);
    std::string ours = unifiedDiff("src/f.c", c.before, c.after);
    EXPECT_EQ(diffOf(scratch, "src/f.c", c.before, c.after), ours);
    EXPECT_EQ(c.after, patched(scratch, c.before, ours));
  }
}

}  // namespace
