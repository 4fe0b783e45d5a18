#include "app/line_ranges.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/unified_diff.h"
#include "format/language.h"
#include "tests/sort_cases.h"

namespace {

// The ranges as "1-2 4-4", or "none".
std::string summary(const std::vector<LineRange>& ranges) {
  std::string text;
  for (const LineRange& range : ranges) {
    if (!text.empty()) text += ' ';
    text.append(std::to_string(range.first)).append("-");
    text.append(std::to_string(range.last));
  }
  return text.empty() ? "none" : text;
}

TEST(LineRangesTest, RangesAreReadAsStartColonEnd) {
  struct {
    int line;
    const char* spec;
    const char* read;  // or "bad"
  } cases[] = {
      {__LINE__, "1:1", "1-1"},
      {__LINE__, "10:20", "10-20"},
      {__LINE__, "007:9", "7-9"},
      {__LINE__, "999999999:999999999", "999999999-999999999"},
      {__LINE__, "10", "bad"},
      {__LINE__, "a:b", "bad"},
      {__LINE__, "0:3", "bad"},
      {__LINE__, "5:3", "bad"},
      {__LINE__, "3:", "bad"},
      {__LINE__, ":3", "bad"},
      {__LINE__, "1:2:3", "bad"},
      {__LINE__, "+1:2", "bad"},
      {__LINE__, "1 :2", "bad"},
      {__LINE__, "1000000000:1000000000", "bad"},
      {__LINE__, "", "bad"},
  };
  for (const auto& c : cases) {
    testing::ScopedTrace trace(__FILE__, c.line, c.spec);
    LineRange range{0, 0};
    EXPECT_EQ(c.read,
              parseLineRange(c.spec, &range) ? summary({range}) : "bad");
  }
}

TEST(LineRangesTest, OnlyTheChangesThatTouchTheRangesAreMade) {
  struct {
    int line;
    const char* input;
    const char* sorted;
    std::vector<LineRange> ranges;
    const char* result;
    const char* produced;
  } cases[] = {
      // Line 1 splits in two, line 3 too.
      {__LINE__,
       "a b\nc\nd e\n",
       "a\nb\nc\nd\ne\n",
       {{1, 1}},
       "a\nb\nc\nd e\n",
       "1-2"},
      {__LINE__,
       "a b\nc\nd e\n",
       "a\nb\nc\nd\ne\n",
       {{3, 3}},
       "a b\nc\nd\ne\n",
       "3-4"},
      {__LINE__,
       "a b\nc\nd e\n",
       "a\nb\nc\nd\ne\n",
       {{2, 2}},
       "a b\nc\nd e\n",
       "none"},
      {__LINE__,
       "a b\nc\nd e\n",
       "a\nb\nc\nd\ne\n",
       {{2, 3}},
       "a b\nc\nd\ne\n",
       "3-4"},
      {__LINE__,
       "a b\nc\nd e\n",
       "a\nb\nc\nd\ne\n",
       {{3, 3}, {1, 1}},
       "a\nb\nc\nd\ne\n",
       "1-2 4-5"},
      {__LINE__,
       "a b\nc\nd e\n",
       "a\nb\nc\nd\ne\n",
       {{1, 2}, {2, 3}},
       "a\nb\nc\nd\ne\n",
       "1-2 4-5"},
      {__LINE__,
       "a b\nc\nd e\n",
       "a\nb\nc\nd\ne\n",
       {{4, 9}},
       "a b\nc\nd e\n",
       "none"},
      // An empty line added after line 1: taken inside a range or at its
      // edge.
      {__LINE__, "a\nb\nc\n", "a\n\nb\nc\n", {{1, 1}}, "a\n\nb\nc\n", "2-2"},
      {__LINE__, "a\nb\nc\n", "a\n\nb\nc\n", {{2, 2}}, "a\n\nb\nc\n", "2-2"},
      {__LINE__, "a\nb\nc\n", "a\n\nb\nc\n", {{1, 3}}, "a\n\nb\nc\n", "2-2"},
      {__LINE__, "a\nb\nc\n", "a\n\nb\nc\n", {{3, 3}}, "a\nb\nc\n", "none"},
      // An empty line 2 dropped.
      {__LINE__, "a\n\nb\n", "a\nb\n", {{2, 2}}, "a\nb\n", "none"},
      {__LINE__, "a\n\nb\n", "a\nb\n", {{1, 1}}, "a\n\nb\n", "none"},
      {__LINE__, "a\n\nb\n", "a\nb\n", {{3, 3}}, "a\n\nb\n", "none"},
      // Line 1 lacks the c that the diff adds after the kept empty line:
      // one change, lines 1 and 2.
      {__LINE__,
       "a b c\n\nd\n",
       "a\nb\n\nc\nd\n",
       {{1, 1}},
       "a\nb\n\nc\nd\n",
       "1-4"},
      {__LINE__,
       "a b c\n\nd\n",
       "a\nb\n\nc\nd\n",
       {{2, 2}},
       "a\nb\n\nc\nd\n",
       "1-4"},
      {__LINE__,
       "a b c\n\nd\n",
       "a\nb\n\nc\nd\n",
       {{3, 3}},
       "a b c\n\nd\n",
       "none"},
      // A last line without a line feed.
      {__LINE__, "a b", "a\nb\n", {{1, 1}}, "a\nb\n", "1-2"},
      {__LINE__, "a\nb c", "a\nb\nc\n", {{1, 1}}, "a\nb c", "none"},
      {__LINE__, "", "", {{1, 1}}, "", "none"},
      // Lines that end in CR LF.
      {__LINE__,
       "a b\r\nk\r\nc d\r\n",
       "a\r\nb\r\nk\r\nc\r\nd\r\n",
       {{3, 3}},
       "a b\r\nk\r\nc\r\nd\r\n",
       "3-4"},
  };
  for (const auto& c : cases) {
    testing::ScopedTrace trace(__FILE__, c.line, c.input);
    // Here every text sorts to `sorted`: these rows choose changes by the
    // diff alone.
    auto sortedAsGiven = [&](std::string_view, Bytes* sorted) {
      *sorted = toBytes(c.sorted);
      return true;
    };
    TakenChanges taken =
        takeChanges(c.input, c.sorted, c.ranges, sortedAsGiven);
    EXPECT_EQ(c.result, taken.text);
    EXPECT_EQ(c.produced, summary(taken.producedLines));
  }
}

// `text` without its blanks, tabs and line feeds.
std::string tokensOf(const std::string& text) {
  std::string tokens;
  for (char c : text)
    if (c != ' ' && c != '\t' && c != '\n') tokens += c;
  return tokens;
}

// The lines outside the taken changes are the input's own, in order.
void expectChangesOnlyWhereProduced(const std::string& input,
                                    const TakenChanges& taken) {
  EXPECT_EQ(linesOutside(input, taken.replacedLines),
            linesOutside(taken.text, taken.producedLines));
}

TEST(LineRangesTest, SortedCodeOfRangesKeepsTheRestAndSettles) {
  struct {
    int line;
    const char* input;
    std::vector<LineRange> ranges;
    const char* result;
  } cases[] = {
      {__LINE__,
       "int a;  int b;\nint c;\nint d;int e;\n",
       {{1, 1}},
       "int a;\nint b;\nint c;\nint d;int e;\n"},
      {__LINE__,
       "int a;  int b;\nint c;\nint d;int e;\n",
       {{3, 3}},
       "int a;  int b;\nint c;\nint d;\nint e;\n"},
      {__LINE__,
       "int a;  int b;\nint c;\nint d;int e;\n",
       {{2, 2}},
       "int a;  int b;\nint c;\nint d;int e;\n"},
      // The function's block ends with `return q; }` after the empty line
      // that the input has too: lines 1 and 2 are one change.
      {__LINE__,
       "int f(int a) { int q = a; if (a) { q = 2; } return q; }\n\nint g;\n",
       {{1, 1}},
       "int f(int a) \n{\n\tint q = a;\n\tif (a) \n\t{\n\t\tq = 2;\n\t}\n\n"
       "\treturn q;\n}\n\nint g;\n"},
      {__LINE__,
       "int f(int a) { int q = a; if (a) { q = 2; } return q; }\n\nint g;\n",
       {{3, 3}},
       "int f(int a) { int q = a; if (a) { q = 2; } return q; }\n\nint g;\n"},
      // The diff may put the empty line that follows `}` into the raw
      // string, one line early or late; the string keeps its lines only when
      // its own change is taken too.
      {__LINE__,
       "int t[] = { 1 } x;\n  auto s = R\"(c\n\n\n)\";\n",
       {{3, 3}},
       "int t[] = \n{\n\t1 \n}\n\nx;\nauto s = R\"(c\n\n\n)\";\n"},
      {__LINE__,
       "int t[] = { 1 } x;\n  auto s = R\"(c\n\n\n)\";\n",
       {{4, 4}},
       "int t[] = \n{\n\t1 \n}\n\nx;\nauto s = R\"(c\n\n\n)\";\n"},
  };
  auto sortCpp = [](std::string_view text, Bytes* sortedText) {
    *sortedText = toBytes(sorted(std::string(text), kCppLanguage));
    return true;
  };
  for (const auto& c : cases) {
    testing::ScopedTrace trace(__FILE__, c.line, c.input);
    const std::string sortedCode = sorted(c.input, kCppLanguage);
    TakenChanges taken = takeChanges(c.input, sortedCode, c.ranges, sortCpp);
    EXPECT_EQ(c.result, taken.text);
    EXPECT_EQ(tokensOf(c.input), tokensOf(taken.text));
    EXPECT_EQ(sortedCode, sorted(taken.text, kCppLanguage));
    expectChangesOnlyWhereProduced(c.input, taken);
    size_t lines = std::max<size_t>(1, linesOf(c.input).size());
    EXPECT_EQ(sortedCode,
              takeChanges(c.input, sortedCode, {{1, lines}}, sortCpp).text);
    EXPECT_EQ(taken.text,
              takeChanges(taken.text, sorted(taken.text, kCppLanguage),
                          taken.producedLines, sortCpp)
                  .text);
  }
}

}  // namespace
