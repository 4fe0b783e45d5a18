#ifndef QUILLFIX_TESTS_SORT_CASES_H_
#define QUILLFIX_TESTS_SORT_CASES_H_

#include <string>
#include <vector>

#include "format/engine.h"

// One input and the text it must sort to, with the line that states it.
struct SortCase {
  int line;
  std::string input;
  std::string expected;
};

/// Returns `input` sorted by `language` with `unit` per indentation level.
std::string sorted(const std::string& input, const Language& language,
                   const std::string& unit = "\t",
                   MarkedRegions regions = MarkedRegions::kSorted);

/// Checks every case: the input sorts to the expected text, also with no
/// slack past the rest of the text, and within a limit of exactly its size
/// but not one byte less, with and without slack; the expected text, sorted
/// again, stays as it is. Failures are reported at the case's
/// own line of `file`.
void expectSortedIn(const char* file, const Language& language,
                    const std::string& unit, const std::vector<SortCase>& cases,
                    MarkedRegions regions = MarkedRegions::kSorted);

/// As expectSortedIn, for C++ and for Java alike.
void expectSortedInBothIn(const char* file, const std::string& unit,
                          const std::vector<SortCase>& cases,
                          MarkedRegions regions = MarkedRegions::kSorted);

#define expectSorted(...) expectSortedIn(__FILE__, __VA_ARGS__)
#define expectSortedInBoth(...) expectSortedInBothIn(__FILE__, __VA_ARGS__)

#endif  // QUILLFIX_TESTS_SORT_CASES_H_
