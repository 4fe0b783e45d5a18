// Sorts any text, in either language, with an indent unit drawn from the
// input, and checks that only blanks, tabs and line feeds moved.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "format/code.h"
#include "format/engine.h"
#include "tests/white_space.h"

// The first byte chooses: bit 0 the language, bits 1-3 the unit's length
// less one, bit 4 blanks instead of tabs.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  uint8_t choice = data[0];
  const Language& language = choice & 1 ? kJavaLanguage : kCppLanguage;
  std::string unit(1 + ((choice >> 1) & 7), choice & 16 ? ' ' : '\t');
  std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  applyTextMode(&text);
  // A small limit keeps deep nesting quick; the limit itself is tested too.
  size_t limit = (64 << 10) + 64 * text.size();
  std::string result;
  if (!sortText(text, language, unit, limit, &result)) {
    if (result.size() > limit) std::abort();
    return 0;
  }
  if (withoutWhiteSpace(text) != withoutWhiteSpace(result)) std::abort();
  return 0;
}
