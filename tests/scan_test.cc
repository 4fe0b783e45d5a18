#include "format/scan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/scan_agreement.h"

namespace {

// The cases are a table, one line each, kept as written.
// clang-format off
TEST(ScanTest, StretchEndsWhereTheLayoutMayAct) {
  struct {
    int line;
    std::string text;  // the stretch begins after its first character
    size_t end;
  } cases[] = {
      {__LINE__, "abc", 3},
      {__LINE__, "a b\nc d", 7},
      {__LINE__, "a  b", 2},
      {__LINE__, "a\n b", 2},
      {__LINE__, "a\tb c\td", 7},
      {__LINE__, "a\t\tb", 2},
      {__LINE__, "a \tb", 2},
      {__LINE__, "a\t b", 2},
      {__LINE__, "a b;", 3},
      {__LINE__, "x = f(1)", 5},
      {__LINE__, "ab\"c", 2},
      {__LINE__, "ab#c", 2},
      {__LINE__, "ab'c", 2},
      {__LINE__, "a/b", 1},
      {__LINE__, "a\\", 1},
      {__LINE__, "a{}", 1},
      {__LINE__, "a}", 1},
      {__LINE__, "a)", 1},
      {__LINE__, "a[1] = b|c", 10},
      {__LINE__, "ab|c", 4},
      {__LINE__, "a\r b", 2},
      {__LINE__, "\xC3\xA9 \xFF<=>$", 8},
      {__LINE__, "x" + std::string(40, 'y') + " ;", 42},
  };
  auto endsAtEveryStop = [](size_t stop, char*&) { return stop; };
  for (const auto& c : cases) {
    testing::ScopedTrace trace(__FILE__, c.line, c.text);
    std::string out(c.text.size() + 32, '\0');
    char* to = &out[1];
    EXPECT_EQ(c.end, walkStretch<Portable>(c.text.data(), 1, c.text.size(), to,
                                           endsAtEveryStop));
    to = &out[1];
    EXPECT_EQ(c.end, scanner(true).copyStretch(c.text.data(), 1, c.text.size(),
                                               to, endsAtEveryStop));
  }
}
// clang-format on

// Bytes that the scans treat differently, and some that they do not.
std::string randomText(std::mt19937& random, size_t size) {
  static const char kBytes[] =
      "\"#'()/;\\{}[]|=\t\n "
      "\r\0\x1A*abc\x80\xFF\x20\x21\x5B\x7B\x7D\x3B\x2F\x7C";
  std::uniform_int_distribution<size_t> pick(0, sizeof kBytes - 1);
  std::string text;
  for (size_t k = 0; k < size; ++k) text += kBytes[pick(random)];
  return text;
}

TEST(ScanTest, VectorScansAgreeWithTheirPortableTwins) {
  std::mt19937 random(20261209);
  for (int round = 0; round < 3000; ++round) {
    std::string text = randomText(random, round % 131);
    for (size_t from = 0; from < text.size(); ++from) {
      ASSERT_TRUE(scansAgree(text, from))
          << "round " << round << " from " << from;
    }
  }
}

}  // namespace
