#include "format/code.h"

#include <algorithm>
#include <cstring>

#include "format/engine.h"
#include "format/fatal.h"
#include "platform/platform.h"

namespace {

const char kEndOfText = 0x1A;

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

void applyTextMode(std::string* bytes) {
  size_t end = bytes->find(kEndOfText);
  if (end != std::string::npos) bytes->resize(end);
  // Moves each stretch up to the next CR LF down over the CRs dropped so far.
  char* text = &(*bytes)[0];
  size_t size = bytes->size();
  size_t to = 0;
  size_t from = 0;
  while (from < size) {
    const void* cr = std::memchr(text + from, '\r', size - from);
    size_t stretchEnd = cr ? static_cast<const char*>(cr) - text + 1 : size;
    bool dropCr = cr && stretchEnd < size && text[stretchEnd] == '\n';
    size_t kept = stretchEnd - from - (dropCr ? 1 : 0);
    if (to != from) std::memmove(text + to, text + from, kept);
    to += kept;
    from = stretchEnd;
  }
  bytes->resize(to);
}

Code::Code(std::string path) : sourcePath(std::move(path)) {
  if (sourcePath.empty()) fatal("Error: No Filename. ");
  loadSource();
}

void Code::loadSource() {
  switch (readWholeFile(sourcePath, &sourceText)) {
    case ReadResult::kOk:
      applyTextMode(&sourceText);
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
  indentChar = spec[0] == 's' ? " " : "\t";
  indentCount = count;
}

std::string Code::indentUnit() const {
  return std::string(indentCount > 1 ? indentCount : 1, indentChar[0]);
}

std::string Code::sort() const {
  fatal("ERROR: This program has a fatal error. ");
}

std::string Code::sortAs(const Language& language) const {
  std::string result;
  if (!sortText(sourceText, language, indentUnit(),
                sortedSizeLimit(sourceText.size()), &result))
    fatal(kTooLargeMessage);
  return result;
}
