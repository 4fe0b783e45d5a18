#ifndef QUILLFIX_BASE_DECIMAL_H_
#define QUILLFIX_BASE_DECIMAL_H_

#include <cstddef>
#include <string_view>

/// Reads `text`, at most `maxDigits` decimal digits and nothing else, as a
/// number from 1 to `most` into `number`; false, with `number` unchanged,
/// when it is not one.
inline bool parseDecimal(std::string_view text, size_t maxDigits, size_t most,
                         size_t* number) {
  if (text.empty() || text.size() > maxDigits) return false;
  size_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value < 1 || value > most) return false;
  *number = value;
  return true;
}

#endif  // QUILLFIX_BASE_DECIMAL_H_
