#ifndef QUILLFIX_TESTS_WHITE_SPACE_H_
#define QUILLFIX_TESTS_WHITE_SPACE_H_

#include <string>

/// Returns `text` without its blanks, tabs and line feeds: all that sorting
/// may change.
inline std::string withoutWhiteSpace(const std::string& text) {
  std::string kept;
  for (char c : text)
    if (c != ' ' && c != '\t' && c != '\n') kept += c;
  return kept;
}

#endif  // QUILLFIX_TESTS_WHITE_SPACE_H_
