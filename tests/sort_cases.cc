#include "tests/sort_cases.h"

#include <gtest/gtest.h>

namespace {

// Sorts `input` within `limit` bytes; false when the text would not fit.
bool sortedWithin(const std::string& input, const Language& language,
                  const std::string& unit, size_t limit, std::string* text) {
  Bytes result;
  bool done = sortText(input, language, unit, limit, &result);
  *text = std::string(view(result));
  return done;
}

// A limit of exactly the expected size leaves no room to spare, so the
// engine takes its near-limit steps.
void expectFitsExactly(const SortCase& c, const Language& language,
                       const std::string& unit) {
  std::string text;
  EXPECT_TRUE(sortedWithin(c.input, language, unit, c.expected.size(), &text))
      << "within a limit of its own size";
  EXPECT_EQ(c.expected, text) << "within a limit of its own size";
  if (c.expected.empty()) return;
  EXPECT_FALSE(
      sortedWithin(c.input, language, unit, c.expected.size() - 1, &text))
      << "within one byte less than its size";
}

}  // namespace

std::string sorted(const std::string& input, const Language& language,
                   const std::string& unit) {
  std::string text;
  EXPECT_TRUE(sortedWithin(input, language, unit, sortedSizeLimit(input.size()),
                           &text));
  return text;
}

void expectSortedIn(const char* file, const Language& language,
                    const std::string& unit,
                    const std::vector<SortCase>& cases) {
  for (const SortCase& c : cases) {
    testing::ScopedTrace trace(file, c.line, language.name);
    EXPECT_EQ(c.expected, sorted(c.input, language, unit));
    expectFitsExactly(c, language, unit);
    EXPECT_EQ(c.expected, sorted(c.expected, language, unit))
        << "the expected text, sorted again";
  }
}

void expectSortedInBothIn(const char* file, const std::string& unit,
                          const std::vector<SortCase>& cases) {
  for (const Language* language : {&kCppLanguage, &kJavaLanguage})
    expectSortedIn(file, *language, unit, cases);
}
