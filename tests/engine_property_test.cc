// Generated inputs: whatever the text, sorting copies its literals, comments
// and preprocessor lines as they stand and only moves the white space
// between them.

#include <gtest/gtest.h>

#include <random>

#include "tests/sort_cases.h"
#include "tests/spans.h"

namespace {

// Pieces that meet the rules' special cases more often than random bytes.
const std::string kPieces[] = {
    "{",
    "}",
    "};",
    "(",
    ")",
    ";",
    "\"",
    "'",
    "\\",
    "/",
    "*",
    "/*",
    "*/",
    "//",
    "#",
    "\n",
    " ",
    "\t",
    "\r",
    "R\"x(",
    ")x\"",
    "\"\"\"",
    "u8R",
    "1'0",
    "x",
    "if",
    "0",
    "\\\n",
    "\xFF",
    std::string(1, '\0'),
    "// quillfix off\n",
    "/* quillfix on */",
    "/* clang-format off */",
    "// *INDENT-ON*\n",
};

std::string generate(std::mt19937& random, size_t pieces) {
  std::uniform_int_distribution<size_t> pick(0, std::size(kPieces) - 1);
  std::string text;
  for (size_t k = 0; k < pieces; ++k) {
    text += kPieces[pick(random)];
  }
  return text;
}

// Sorting the sorted code changes nothing. (A file is another matter: a CR
// that the layout puts before a line feed is read back as a line feed.)
// Every other round leaves the regions that comments mark alone.
TEST(PropertyTest, SortingChangesOnlyWhiteSpaceAndSortedCodeStaysSorted) {
  std::mt19937 random(20261208);
  const std::string units[] = {"\t", "  ", " "};
  for (int round = 0; round < 20000; ++round) {
    std::string input = generate(random, 1 + round % 64);
    const MarkedRegions regions =
        round % 2 ? MarkedRegions::kLeftAlone : MarkedRegions::kSorted;
    for (const Language* language : {&kCppLanguage, &kJavaLanguage}) {
      std::string result = sorted(input, *language, units[round % 3], regions);
      SpanSplit before = splitAtCopiedSpans(input, *language);
      SpanSplit after = splitAtCopiedSpans(result, *language);
      ASSERT_EQ(before.copied, after.copied)
          << "round " << round << ", the literals, comments and directives";
      ASSERT_EQ(before.between, after.between)
          << "round " << round << ", the text between them";
      ASSERT_EQ(result, sorted(result, *language, units[round % 3], regions))
          << "round " << round << ", sorted again";
    }
  }
}

TEST(PropertyTest, ResultStopsAtItsLimit) {
  std::string input(4000, '{');
  Bytes result;
  EXPECT_FALSE(sortText(input, kCppLanguage, "\t", 100000, &result));
  EXPECT_LE(result.size(), 100000u);
  EXPECT_TRUE(sortText("x;", kJavaLanguage, "\t", 3, &result));
  EXPECT_EQ("x;\n", view(result));
  EXPECT_FALSE(sortText("x;", kJavaLanguage, "\t", 2, &result));
}

}  // namespace
