#include "format/encoding.h"

#include <gtest/gtest.h>

#include "tests/units.h"

namespace {

// The cases are tables, one line each, kept as written.
// clang-format off
const Encoding kBytes = Encoding::kBytes;
const Encoding kUtf16Le = Encoding::kUtf16Le;
const Encoding kUtf16Be = Encoding::kUtf16Be;
const Encoding kUtf32Le = Encoding::kUtf32Le;
const Encoding kUtf32Be = Encoding::kUtf32Be;

// The loading rules hold for bytes and for the units of each encoding alike.
TEST(EncodingTest, LoadingRulesApplyToUnits) {
  struct {
    int line;
    Encoding encoding;
    std::u32string units;  // after the byte-order mark, if any
    std::string loaded;    // one byte per unit
    bool endsEarly;
  } cases[] = {
      {__LINE__, kBytes, U"", "", false},
      {__LINE__, kBytes, U"a\r\nb\r\n", "a\nb\n", false},
      {__LINE__, kBytes, U"a\rb\r", "a\rb\r", false},
      {__LINE__, kBytes, U"a\r\r\nb", "a\r\nb", false},
      {__LINE__, kBytes, U"a\r\n\r\n", "a\n\n", false},
      {__LINE__, kBytes, U"ab\x1A" U"cd\r\n", "ab", true},
      {__LINE__, kBytes, U"\x1A" U"ab", "", true},
      {__LINE__, kBytes, U"a\r\x1A\n", "a\r", true},
      {__LINE__, kBytes, U"ab\x1A\x1A", "ab", false},
      {__LINE__, kBytes, std::u32string(U"a\0b\r\n", 5), std::string("a\0b\n", 4), false},
      {__LINE__, kBytes, U"last line", "last line", false},
      {__LINE__, kBytes, U"\xEF\xBB\xBFx;", "\xEF\xBB\xBFx;", false},
      {__LINE__, kUtf16Le, U"", "", false},
      {__LINE__, kUtf16Le, U"a\r\nb\r\r\n\r", "a\nb\r\n\r", false},
      {__LINE__, kUtf16Be, U"a\r\nb\r\r\n\r", "a\nb\r\n\r", false},
      {__LINE__, kUtf32Le, U"a\r\nb\r\r\n\r", "a\nb\r\n\r", false},
      {__LINE__, kUtf32Be, U"a\r\nb\r\r\n\r", "a\nb\r\n\r", false},
      {__LINE__, kUtf16Le, U"\x10A\x11A\xD0A\xA0D", "\x80\x80\x80\x80", false},
      {__LINE__, kUtf16Be, U"\x10A\x11A\xD0A\xA0D", "\x80\x80\x80\x80", false},
      {__LINE__, kUtf16Le, U"a\x1A" U"b", "a", true},
      {__LINE__, kUtf32Be, U"a\x1A\x1A", "a", false},
      {__LINE__, kUtf32Le, U"\x7F\x80\xFFFFFFFF", "\x7F\x80\x80", false},
  };
  for (const auto& c : cases) {
    testing::ScopedTrace trace(__FILE__, c.line, "loading rule");
    std::string bom =
        c.encoding == kBytes ? "" : inUnits(c.encoding, U"\xFEFF");
    Bytes text = toBytes(bom + inUnits(c.encoding, c.units));
    SourceEncoding encoding;
    encoding.decode(&text);
    EXPECT_EQ(c.encoding, encoding.encoding());
    EXPECT_EQ(c.loaded, view(text));
    EXPECT_EQ(c.endsEarly, encoding.endsEarly());
  }
}

// A sorted text comes back in the source's units, every wide unit exactly,
// with the byte-order mark, and with a partial unit left at the end.
TEST(EncodingTest, SortedCodeIsWrittenInTheSourceUnits) {
  struct {
    int line;
    Encoding encoding;
    std::u32string units;  // after the byte-order mark
    std::string partial;   // bytes after the last whole unit
    std::string sorted;    // what the layout made of the loaded text
    bool crLf;
    std::u32string written;  // after the byte-order mark
  } cases[] = {
      {__LINE__, kUtf16Le, U"x\x10A;y\x11A;", "", "x\x80;\ny\x80;\n", false, U"x\x10A;\ny\x11A;\n"},
      {__LINE__, kUtf16Be, U"x\xD0A;y\xD83D\xDE00;", "", "x\x80;\ny\x80\x80;\n", false, U"x\xD0A;\ny\xD83D\xDE00;\n"},
      {__LINE__, kUtf16Le, U"c\xD800;", "\x41", "c\x80;\n", false, U"c\xD800;\n"},
      {__LINE__, kUtf32Le, U"x\x1F600;", "\x01\x02\x03", "x\x80;\n", true, U"x\x1F600;\r\n"},
      {__LINE__, kUtf32Be, U"\xFFFFFFFF;\x110000;", "", "\x80;\n\x80;\n", true, U"\xFFFFFFFF;\r\n\x110000;\r\n"},
      {__LINE__, kUtf16Be, U"", "", "", false, U""},
  };
  for (const auto& c : cases) {
    testing::ScopedTrace trace(__FILE__, c.line, "written back");
    std::string bom = inUnits(c.encoding, U"\xFEFF");
    Bytes text = toBytes(bom + inUnits(c.encoding, c.units) + c.partial);
    SourceEncoding encoding;
    encoding.decode(&text);
    EXPECT_EQ(bom + inUnits(c.encoding, c.written) + c.partial,
              view(encoding.encode(toBytes(c.sorted), c.crLf).value()));
  }
}
// clang-format on

TEST(EncodingTest, BytesAreWrittenAsTheyAreOrWithCrLf) {
  Bytes text = toBytes("a;\n\xC4\x8A\n");
  SourceEncoding encoding;
  encoding.decode(&text);
  EXPECT_EQ("a;\n\xC4\x8A\n", view(encoding.encode(text, false).value()));
  EXPECT_EQ("a;\r\n\xC4\x8A\r\n", view(encoding.encode(text, true).value()));
}

}  // namespace
