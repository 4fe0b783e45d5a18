#ifndef QUILLFIX_FORMAT_INDENT_H_
#define QUILLFIX_FORMAT_INDENT_H_

#include <cstdint>
#include <string>
#include <string_view>

/// The largest indent count accepted.
const int32_t kMaxIndentCount = 256;

// One level of indentation: a character and how many of it.
struct Indent {
  char character = '\t';
  int32_t count = 1;

  /// The text of one level: `count` characters, and at least one.
  std::string unit() const;
};

/// Reads an indent specification such as "t1" or "s2" into `indent`: "s"
/// first means blanks, any other first character tabs, and the rest is a
/// count read as the C library's strtol reads it. An empty specification
/// leaves `indent` as it is. False, with `indent` unchanged, when the count
/// is above kMaxIndentCount or beyond 32 bits.
bool parseIndent(std::string_view spec, Indent* indent);

#endif  // QUILLFIX_FORMAT_INDENT_H_
