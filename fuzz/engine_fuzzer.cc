// Sorts any text, in either language, in bytes or in 16- or 32-bit units,
// with an indent unit drawn from the input, and checks that every literal,
// comment and preprocessor line came out as it stood and only blanks, tabs
// and line feeds moved between them, that sorting the result changes
// nothing, and that the text fits a limit of exactly its size and no less,
// also with no slack past the rest of the text. Also takes only the changes
// toward the result that touch a range of lines drawn from the input, and
// checks that the tokens stay, that a range over the whole text gives the
// result, that what they give sorts to the result, and that taking the
// changes again over the lines they produced changes nothing.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/line_ranges.h"
#include "app/unified_diff.h"
#include "format/encoding.h"
#include "format/engine.h"
#include "tests/scan_agreement.h"
#include "tests/spans.h"
#include "tests/units.h"

namespace {

const Encoding kUnitEncodings[] = {Encoding::kUtf16Le, Encoding::kUtf16Be,
                                   Encoding::kUtf32Le, Encoding::kUtf32Be};

// A small limit keeps deep nesting quick; the limit itself is tested too.
bool sortWithin(std::string_view text, const Language& language,
                const std::string& unit, MarkedRegions regions, Bytes* result) {
  size_t limit = (64 << 10) + 64 * text.size();
  bool done = sortText(text, language, unit, limit, result, regions);
  if (result->size() > limit) std::abort();
  return done;
}

// Within a limit of exactly the size of `sorted`, and with no slack past
// the rest of the text, the text sorts the same; within one byte less, it
// does not fit, and nothing is written past it.
void checkExactLimit(std::string_view text, const Language& language,
                     const std::string& unit, MarkedRegions regions,
                     const Bytes& sorted) {
  Bytes exact;
  if (!sortText(text, language, unit, sorted.size(), &exact, regions, 0) ||
      exact != sorted)
    std::abort();
  if (sorted.empty()) return;
  Bytes cut;
  if (sortText(text, language, unit, sorted.size() - 1, &cut, regions) ||
      cut.size() >= sorted.size())
    std::abort();
}

// `text` written back in the source's units, without its blank, tab and
// line-feed units.
std::string withoutWhiteSpaceUnits(const SourceEncoding& encoding,
                                   const Bytes& text) {
  const Bytes bytes = encoding.encode(text, false).value();
  const size_t width = encoding.unitSize();
  const std::string blank = inUnits(encoding.encoding(), U" ");
  const std::string tab = inUnits(encoding.encoding(), U"\t");
  const std::string lineFeed = inUnits(encoding.encoding(), U"\n");
  std::string kept;
  for (size_t at = 0; at < bytes.size(); at += width) {
    std::string unit(view(bytes).substr(at, width));
    if (unit != blank && unit != tab && unit != lineFeed) kept += unit;
  }
  return kept;
}

// From the first positions, and from the middle.
void checkScans(const std::string& text) {
  for (size_t from = 0; from < text.size() && from <= 16; ++from)
    if (!scansAgree(text, from)) std::abort();
  if (text.size() / 2 > 16 && !scansAgree(text, text.size() / 2)) std::abort();
}

std::string withoutWhiteSpace(std::string_view text) {
  std::string kept;
  for (size_t at = 0; at < text.size(); ++at) {
    bool lineEnd =
        text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n';
    if (!lineEnd && text[at] != ' ' && text[at] != '\t' && text[at] != '\n')
      kept += text[at];
  }
  return kept;
}

// Takes the changes from `text` toward `sorted` that touch lines drawn from
// `seed`, and checks what they keep.
void checkLineRanges(std::string_view text, std::string_view sorted,
                     const Language& language, const std::string& unit,
                     MarkedRegions regions, size_t seed) {
  auto sortAgain = [&](std::string_view again, Bytes* result) {
    return sortWithin(again, language, unit, regions, result);
  };
  const size_t lines = std::max<size_t>(1, linesOf(text).size());
  const size_t first = 1 + seed % lines;
  const TakenChanges taken =
      takeChanges(text, sorted, {{first, first + seed / lines % 4}}, sortAgain);
  if (withoutWhiteSpace(text) == withoutWhiteSpace(sorted) &&
      withoutWhiteSpace(taken.text) != withoutWhiteSpace(text))
    std::abort();
  if (linesOutside(text, taken.replacedLines) !=
      linesOutside(taken.text, taken.producedLines))
    std::abort();
  if (takeChanges(text, sorted, {{1, lines}}, sortAgain).text != sorted)
    std::abort();
  Bytes again;
  if (!sortAgain(taken.text, &again) || view(again) != sorted) std::abort();
  if (text.find('\r') == std::string_view::npos &&
      takeChanges(taken.text, sorted, taken.producedLines, sortAgain).text !=
          taken.text)
    std::abort();
}

}  // namespace

// The first byte chooses: bit 0 the language, bits 1-3 the unit's length
// less one, bit 4 blanks instead of tabs, bits 5-7 the encoding (bytes up to
// 3, then UTF-16 LE and BE, UTF-32 LE and BE); bit 5 also leaves the regions
// that comments mark alone.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  uint8_t choice = data[0];
  const Language& language = choice & 1 ? kJavaLanguage : kCppLanguage;
  std::string unit(1 + ((choice >> 1) & 7), choice & 16 ? ' ' : '\t');
  std::string raw(reinterpret_cast<const char*>(data) + 1, size - 1);
  size_t encodingChoice = choice >> 5;
  const MarkedRegions regions =
      choice & 32 ? MarkedRegions::kLeftAlone : MarkedRegions::kSorted;
  if (encodingChoice >= 4)
    raw = inUnits(kUnitEncodings[encodingChoice - 4], U"\xFEFF") + raw;

  Bytes text = toBytes(raw);
  SourceEncoding encoding;
  encoding.decode(&text);
  checkScans(std::string(view(text)));
  Bytes result;
  if (!sortWithin(view(text), language, unit, regions, &result)) return 0;
  checkExactLimit(view(text), language, unit, regions, result);
  if (!keepsCopiedSpans(view(text), view(result), language)) std::abort();
  if (encoding.encoding() != Encoding::kBytes &&
      withoutWhiteSpaceUnits(encoding, text) !=
          withoutWhiteSpaceUnits(encoding, result))
    std::abort();
  Bytes again;
  if (view(text).find('\r') == std::string_view::npos &&
      sortWithin(view(result), language, unit, regions, &again) &&
      again != result)
    std::abort();
  checkLineRanges(view(text), view(result), language, unit, regions, size);
  return 0;
}
