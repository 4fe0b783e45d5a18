#include "tests/sort_cases.h"

#include <gtest/gtest.h>

namespace {

// How one case is sorted: its language, its indent unit and its regions.
struct Setup {
  const Language& language;
  const std::string& unit;
  MarkedRegions regions;
};

// Sorts `input` within `limit` bytes, with `slack` bytes of room past the
// rest of the text; false when the text would not fit.
bool sortedWithin(const std::string& input, const Setup& setup, size_t limit,
                  std::string* text, size_t slack = kStretchSlack) {
  Bytes result;
  bool done = sortText(input, setup.language, setup.unit, limit, &result,
                       setup.regions, slack);
  *text = std::string(view(result));
  return done;
}

std::string sortedAs(const std::string& input, const Setup& setup) {
  std::string text;
  EXPECT_TRUE(sortedWithin(input, setup, sortedSizeLimit(input.size()), &text));
  return text;
}

// A limit of exactly the expected size leaves no room to spare.
void expectFitsExactly(const SortCase& c, const Setup& setup, size_t slack) {
  std::string text;
  EXPECT_TRUE(sortedWithin(c.input, setup, c.expected.size(), &text, slack))
      << "within a limit of its own size";
  EXPECT_EQ(c.expected, text) << "within a limit of its own size";
  if (c.expected.empty()) return;
  EXPECT_FALSE(
      sortedWithin(c.input, setup, c.expected.size() - 1, &text, slack))
      << "within one byte less than its size";
}

// With no slack, every step that adds to the text claims exactly the room
// it measures, so a measure one byte short writes past its room.
void expectSortedWithNoSlack(const SortCase& c, const Setup& setup) {
  std::string text;
  EXPECT_TRUE(
      sortedWithin(c.input, setup, sortedSizeLimit(c.input.size()), &text, 0));
  EXPECT_EQ(c.expected, text) << "with no slack";
}

}  // namespace

std::string sorted(const std::string& input, const Language& language,
                   const std::string& unit, MarkedRegions regions) {
  return sortedAs(input, {language, unit, regions});
}

void expectSortedIn(const char* file, const Language& language,
                    const std::string& unit, const std::vector<SortCase>& cases,
                    MarkedRegions regions) {
  const Setup setup{language, unit, regions};
  for (const SortCase& c : cases) {
    testing::ScopedTrace trace(file, c.line, language.name);
    EXPECT_EQ(c.expected, sortedAs(c.input, setup));
    expectSortedWithNoSlack(c, setup);
    for (size_t slack : {kStretchSlack, size_t{0}})
      expectFitsExactly(c, setup, slack);
    EXPECT_EQ(c.expected, sortedAs(c.expected, setup))
        << "the expected text, sorted again";
  }
}

void expectSortedInBothIn(const char* file, const std::string& unit,
                          const std::vector<SortCase>& cases,
                          MarkedRegions regions) {
  for (const Language* language : {&kCppLanguage, &kJavaLanguage})
    expectSortedIn(file, *language, unit, cases, regions);
}
