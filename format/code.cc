#include "format/code.h"

#include <algorithm>

#include "format/console.h"
#include "format/engine.h"
#include "platform/platform.h"

namespace {

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

// Reads a decimal count as the C library's strtol would into 32 bits:
// leading white space, one sign, the longest run of digits, 0 without digits.
// Sets `clamped` when the value lies outside the 32-bit range.
int32_t parseCount(const std::string& text, bool* clamped) {
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

Code::Code(std::string path) : sourcePath(std::move(path)) {
  if (sourcePath.empty()) fatal("Error: No Filename. ");
  loadSource();
}

void Code::loadSource() {
  switch (readWholeFile(sourcePath, &sourceText)) {
    case ReadResult::kOk:
      sourceEncoding.decode(&sourceText);
      return;
    case ReadResult::kOpenFailed:
      fatal(sourcePath + " : Source file opening failed.");
    case ReadResult::kReadFailed:
      fatal(sourcePath + " : Source file reading failed.");
  }
}

// An empty specification keeps the current indentation.
void Code::setIndent(std::string spec) {
  if (spec.empty()) return;
  bool clamped = false;
  int32_t count = parseCount(spec.substr(1), &clamped);
  if (clamped || count > kMaxIndentCount)
    fatal("ERROR: Indent count is too large.");
  indentChar.assign(1, spec[0] == 's' ? ' ' : '\t');
  indentCount = count;
}

std::string Code::indentUnit() const {
  return std::string(indentCount > 1 ? indentCount : 1, indentChar[0]);
}

Bytes Code::sort() const {
  fatal("ERROR: This program has a fatal error. ");
}

// The size limit counts the bytes of the source and of the sorted code.
Bytes Code::sortAs(const Language& language) const {
  Bytes result;
  const size_t unit = sourceEncoding.unitSize();
  const size_t limit = sortedSizeLimit(sourceText.size() * unit) / unit;
  if (!sortText(view(sourceText), language, indentUnit(), limit, &result))
    fatal(kTooLargeMessage);
  return sourceEncoding.encode(std::move(result), kCrLfLineEnds);
}
