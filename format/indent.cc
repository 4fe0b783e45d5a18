#include "format/indent.h"

#include <algorithm>

namespace {

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

// Reads a decimal count as the C library's strtol would into 32 bits:
// leading white space, one sign, the longest run of digits, 0 without digits.
// Sets `clamped` when the value lies outside the 32-bit range.
int32_t parseCount(std::string_view text, bool* clamped) {
  size_t i = 0;
  while (i < text.size() && isSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-'))
    negative = text[i++] == '-';
  int64_t magnitude = 0;
  const int64_t kBeyond = int64_t{INT32_MAX} + 2;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    magnitude = std::min(kBeyond, magnitude * 10 + (text[i] - '0'));
  int64_t value = negative ? -magnitude : magnitude;
  *clamped = value > INT32_MAX || value < INT32_MIN;
  return static_cast<int32_t>(
      std::max<int64_t>(INT32_MIN, std::min<int64_t>(INT32_MAX, value)));
}

}  // namespace

std::string Indent::unit() const {
  return std::string(count > 1 ? count : 1, character);
}

bool parseIndent(std::string_view spec, Indent* indent) {
  if (spec.empty()) return true;
  bool clamped = false;
  int32_t count = parseCount(spec.substr(1), &clamped);
  if (clamped || count > kMaxIndentCount) return false;
  indent->character = spec[0] == 's' ? ' ' : '\t';
  indent->count = count;
  return true;
}
