#ifndef QUILLFIX_TESTS_UNITS_H_
#define QUILLFIX_TESTS_UNITS_H_

#include <string>

#include "format/encoding.h"

/// Returns `units`, each taken as one code unit, as the bytes of `encoding`:
/// a byte-order mark is written only where `units` holds one.
inline std::string inUnits(Encoding encoding, const std::u32string& units) {
  const bool utf32 =
      encoding == Encoding::kUtf32Le || encoding == Encoding::kUtf32Be;
  const bool little =
      encoding == Encoding::kUtf16Le || encoding == Encoding::kUtf32Le;
  const int width = encoding == Encoding::kBytes ? 1 : utf32 ? 4 : 2;
  std::string bytes;
  for (char32_t unit : units)
    for (int k = 0; k < width; ++k)
      bytes += static_cast<char>(unit >> 8 * (little ? k : width - 1 - k));
  return bytes;
}

#endif  // QUILLFIX_TESTS_UNITS_H_
