#ifndef QUILLFIX_TESTS_SPANS_H_
#define QUILLFIX_TESTS_SPANS_H_

#include <string>
#include <string_view>
#include <vector>

#include "format/language.h"

// A text split the way the layout reads it: the spans it copies as they
// stand, and what stands between them, of which it may change only the white
// space.
struct SpanSplit {
  std::vector<std::string> copied;  // literals, comments, preprocessor lines
  // What stands before each copied span and after the last, without blanks,
  // tabs and line feeds: one more than the spans.
  std::vector<std::string> between;
};

// A reader of spans, written apart from the engine and as simply as the
// rules allow, so that the two can be held against each other:
//
// - A literal opens at a quote and ends at its own quote, or at a line feed
//   that leaves it unclosed, or at the end of the text; a backslash escapes
//   the next character, a line feed too.
// - In Java, """ opens a text block, which ends at the next """ that no
//   backslash escapes.
// - In C and C++, a quote right after a word that is exactly R, u8R, uR, UR
//   or LR, followed by a delimiter of up to 16 printable characters (no
//   blank, backslash or parenthesis) and "(", opens a raw string, which ends
//   at ")", the delimiter and a quote. A ' is a digit separator when the
//   word before it (letters, digits, "_", "." and "'", but nothing of the
//   last literal) begins with a digit, or with "." and a digit.
// - A block comment ends at the first "*/" after its "/*"; a line comment at
//   its line feed, which in C and C++ a backslash right before it carries on
//   to the next line.
// - In C and C++, every "#" outside a literal or comment opens a
//   preprocessor line, as the layout reads it, wherever it stands on its
//   line. The line ends at a line feed that no backslash precedes; a block
//   comment on it carries it on across line feeds, a line comment ends it
//   with its own end, and a literal on it (read as a plain one) ends it when
//   a line feed leaves the literal unclosed.
//
// The layout writes each of these spans exactly as it stands.
class SpanReader {
 public:
  SpanReader(std::string_view text, const Language& language)
      : text_(text), language_(language) {}

  SpanSplit split() {
    SpanSplit split;
    split.between.emplace_back();
    size_t i = 0;
    while (i < text_.size()) {
      size_t end = spanEnd(i);
      if (end > i) {
        split.copied.emplace_back(text_.substr(i, end - i));
        split.between.emplace_back();
        i = end;
        continue;
      }
      char c = text_[i++];
      if (c != ' ' && c != '\t' && c != '\n') split.between.back() += c;
    }
    return split;
  }

 private:
  static bool isDigit(char c) { return c >= '0' && c <= '9'; }
  static bool isLetterOrDigit(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  }
  static bool isIdentifierByte(char c) {
    return isLetterOrDigit(c) || c == '_' || c == '$';
  }
  static bool isNumberByte(char c) {
    return isLetterOrDigit(c) || c == '_' || c == '.' || c == '\'';
  }
  static bool isDelimiterByte(char c) {
    return c > ' ' && c < 127 && c != '\\' && c != '(' && c != ')';
  }

  char at(size_t i) const { return i < text_.size() ? text_[i] : '\0'; }

  // The end of the copied span that begins at `i`; `i` when none does.
  size_t spanEnd(size_t i) {
    const char c = text_[i];
    if (c == '"' || (c == '\'' && !separatesDigits(i))) return literalEnd(i);
    if (c == '/' && at(i + 1) == '*') return blockCommentEnd(i);
    if (c == '/' && at(i + 1) == '/') return lineCommentEnd(i + 2);
    if (c == '#' && language_.hasDirectives) return directiveEnd(i);
    return i;
  }

  size_t literalEnd(size_t quote) {
    size_t end;
    if (language_.hasTextBlocks && text_.substr(quote, 3) == "\"\"\"")
      end = textBlockEnd(quote + 3);
    else if (text_[quote] == '"' && language_.hasRawStrings &&
             followsRawPrefix(quote))
      end = rawStringEnd(quote);
    else
      end = plainLiteralEnd(quote);
    lastLiteralEnd_ = end;
    return end;
  }

  size_t plainLiteralEnd(size_t quote) const {
    for (size_t i = quote + 1; i < text_.size(); ++i) {
      if (text_[i] == '\\')
        ++i;
      else if (text_[i] == text_[quote] || text_[i] == '\n')
        return i + 1;
    }
    return text_.size();
  }

  size_t textBlockEnd(size_t i) const {
    for (; i < text_.size(); ++i) {
      if (text_[i] == '\\')
        ++i;
      else if (text_.substr(i, 3) == "\"\"\"")
        return i + 3;
    }
    return text_.size();
  }

  bool followsRawPrefix(size_t quote) const {
    size_t start = quote;
    while (start > 0 && isIdentifierByte(text_[start - 1])) --start;
    std::string_view word = text_.substr(start, quote - start);
    return word == "R" || word == "u8R" || word == "uR" || word == "UR" ||
           word == "LR";
  }

  // A raw string, or a plain literal where no delimiter and "(" follow.
  size_t rawStringEnd(size_t quote) const {
    size_t open = quote + 1;
    while (open < text_.size() && open - quote - 1 <= 16 &&
           isDelimiterByte(text_[open]))
      ++open;
    if (at(open) != '(' || open - quote - 1 > 16) return plainLiteralEnd(quote);
    std::string closing = ")";
    closing += text_.substr(quote + 1, open - quote - 1);
    closing += '"';
    size_t close = text_.find(closing, open + 1);
    return close == std::string_view::npos ? text_.size()
                                           : close + closing.size();
  }

  bool separatesDigits(size_t quote) const {
    if (!language_.hasDigitSeparators) return false;
    size_t start = quote;
    while (start > lastLiteralEnd_ && isNumberByte(text_[start - 1])) --start;
    if (start == quote) return false;
    return isDigit(text_[start]) ||
           (text_[start] == '.' && isDigit(at(start + 1)));
  }

  size_t blockCommentEnd(size_t slash) const {
    size_t close = text_.find("*/", slash + 2);
    return close == std::string_view::npos ? text_.size() : close + 2;
  }

  size_t lineCommentEnd(size_t i) const {
    for (; i < text_.size(); ++i)
      if (text_[i] == '\n' && !(language_.splicesLines && splices(i)))
        return i + 1;
    return text_.size();
  }

  bool splices(size_t lineFeed) const { return text_[lineFeed - 1] == '\\'; }

  size_t directiveEnd(size_t hash) {
    size_t i = hash + 1;
    while (i < text_.size()) {
      const char c = text_[i];
      if (c == '\n' && !splices(i)) return i + 1;
      if (c == '"' || (c == '\'' && !separatesDigits(i))) {
        i = lastLiteralEnd_ = plainLiteralEnd(i);
        if (text_[i - 1] == '\n') return i;
      } else if (c == '/' && at(i + 1) == '*') {
        i = blockCommentEnd(i);
      } else if (c == '/' && at(i + 1) == '/') {
        return lineCommentEnd(i + 2);
      } else {
        ++i;
      }
    }
    return text_.size();
  }

  std::string_view text_;
  const Language& language_;
  size_t lastLiteralEnd_ = 0;
};

/// Splits `text`, read by the rules of `language`, as SpanReader reads it.
inline SpanSplit splitAtCopiedSpans(std::string_view text,
                                    const Language& language) {
  return SpanReader(text, language).split();
}

/// True when `sorted` holds the copied spans of `text`, each exactly, in
/// their order, and between them what `text` holds with only its white space
/// changed.
inline bool keepsCopiedSpans(std::string_view text, std::string_view sorted,
                             const Language& language) {
  SpanSplit before = splitAtCopiedSpans(text, language);
  SpanSplit after = splitAtCopiedSpans(sorted, language);
  return before.copied == after.copied && before.between == after.between;
}

#endif  // QUILLFIX_TESTS_SPANS_H_
