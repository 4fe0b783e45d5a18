#include "tests/sort_cases.h"

#include <gtest/gtest.h>

std::string sorted(const std::string& input, const Language& language,
                   const std::string& unit) {
  Bytes result;
  EXPECT_TRUE(
      sortText(input, language, unit, sortedSizeLimit(input.size()), &result));
  return std::string(view(result));
}

void expectSortedIn(const char* file, const Language& language,
                    const std::string& unit,
                    const std::vector<SortCase>& cases) {
  for (const SortCase& c : cases) {
    testing::ScopedTrace trace(file, c.line, "the case stated here");
    EXPECT_EQ(c.expected, sorted(c.input, language, unit))
        << "case at line " << c.line;
  }
}
