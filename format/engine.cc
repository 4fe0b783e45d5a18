#include "format/engine.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "format/output.h"
#include "format/scan.h"

size_t sortedSizeLimit(size_t sourceSize) {
  const size_t base = size_t{256} << 20;
  const size_t most = static_cast<size_t>(-1);
  return sourceSize > (most - base) / 16 ? most : base + 16 * sourceSize;
}

namespace {

const size_t kNone = std::string::npos;
const size_t kMaxRawDelimiter = 16;
const size_t kWideScanSize = 1 << 20;  // texts worth asking for AVX2

enum CharClass : unsigned char {
  kOrdinary,
  kBlank,  // blank, tab or line feed
  kDoubleQuote,
  kSingleQuote,
  kHash,
  kOpenParen,
  kCloseParen,
  kSlash,
  kSemicolon,
  kOpenBrace,
  kCloseBrace,
  kBackslash,  // where a backslash can splice lines
};

using ClassTable = std::array<CharClass, 256>;

ClassTable makeClasses(const Language& language) {
  ClassTable table{};
  table['\t'] = table['\n'] = table[' '] = kBlank;
  table['"'] = kDoubleQuote;
  table['\''] = kSingleQuote;
  table['#'] = language.hasDirectives ? kHash : kOrdinary;
  table['('] = kOpenParen;
  table[')'] = kCloseParen;
  table['/'] = kSlash;
  table[';'] = kSemicolon;
  table['{'] = kOpenBrace;
  table['}'] = kCloseBrace;
  table['\\'] = language.splicesLines ? kBackslash : kOrdinary;
  return table;
}

bool isAsciiLetterOrDigit(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
         (c >= '0' && c <= '9');
}

bool isDigit(unsigned char c) {
  return c >= '0' && c <= '9';
}

bool isIdentifierByte(unsigned char c) {
  return isAsciiLetterOrDigit(c) || c == '_' || c == '$';
}

// A byte that a blank must keep apart from a literal written before it.
bool isWordByte(unsigned char c) {
  return isIdentifierByte(c) || c >= 128;
}

// A byte of a number written with digit separators, such as 0x1'FF.
bool isNumberByte(unsigned char c) {
  return isAsciiLetterOrDigit(c) || c == '_' || c == '.' || c == '\'';
}

bool isRawDelimiterByte(unsigned char c) {
  return c > ' ' && c < 127 && c != '\\' && c != '(' && c != ')';
}

enum class LiteralEnd { kQuote, kLineFeed, kText };

// What a character written after a literal must be kept apart from.
enum class EndedLiteral { kPlain, kEmptyString, kRawLookalike };

// How far the layout is past the end of a literal: a character written
// after it must not run into it.
enum class AfterLiteral : unsigned char {
  kNone,
  kClosed,   // the last thing seen closed a literal
  kSpaced,   // ... and white space after it was dropped
  kMeeting,  // the current character meets such a literal
};

class Sorter {
 public:
  Sorter(std::string_view source, const Language& language,
         const std::string& indentUnit, Bytes* result, size_t limit);
  /// Cuts the result to what was written; false when it outgrew its limit.
  bool finish();
  void run();

 private:
  char at(size_t i) const { return i < size_ ? text_[i] : '\0'; }
  bool isBlankAt(size_t i) const {
    return i < size_ &&
           classes_[static_cast<unsigned char>(text_[i])] == kBlank;
  }
  static char asBlank(char c) { return c == '\t' ? ' ' : c; }
  // Returns the end of the run of `kRun` characters that starts at `i`.
  template <char... kRun>
  size_t runEnd(size_t i) const {
    char next = at(i + 1);
    if (!((next == kRun) || ...)) return i + 1;  // most runs are one long
    return scan_.skipAll<kRun...>(text_, i + 2, size_);
  }

  size_t blankRun(size_t i);
  size_t droppedBlanks(size_t i);
  size_t backslash(size_t i);
  // The most frequent step, inlined into the loop that dispatches it.
  [[gnu::always_inline]] inline size_t copyWord(size_t i);
  size_t copyStretches(size_t i, char* to);
  bool continuesStretch(size_t i);
  bool endsInBlank(size_t end) const;
  size_t copyNumberRest(size_t quote, char* to);
  size_t gluedLiterals(size_t i);
  [[gnu::cold]] size_t writeStretch(size_t i);
  size_t doubleQuote(size_t i);
  size_t singleQuote(size_t i);
  [[gnu::always_inline]] inline size_t quotedLiteral(size_t quote);
  [[gnu::always_inline]] inline size_t literal(size_t quote, LiteralEnd how,
                                               size_t end);
  [[gnu::always_inline]] inline void endLiteral(LiteralEnd how, size_t end,
                                                EndedLiteral kind);
  size_t literalClosedAt(size_t quote, size_t close, size_t closerSize);
  size_t rawString(size_t quote, size_t open);
  size_t textBlock(size_t quote);
  size_t directive(size_t hash);
  size_t slash(size_t i);
  size_t blockComment(size_t slash);
  size_t lineComment(size_t slash);
  size_t writeThroughLineFeed(size_t from, size_t lineFeed);
  size_t openParens(size_t i);
  size_t closeParens(size_t i);
  size_t semicolons(size_t i);
  void openBrace();
  void closeBrace(size_t i);

  [[gnu::always_inline]] inline void writeOrdinary(const char* data,
                                                   size_t size);
  void beginOrdinary(char first);
  void writeBeforeOrdinary(char first);
  bool keepsApartFromLiteral(unsigned char c) const;
  void indent(long long levels);
  void guardLineStart();

  [[gnu::always_inline]] inline size_t scanLiteral(size_t quote,
                                                   LiteralEnd* how) const;
  [[gnu::noinline]] size_t scanLongLiteral(size_t i, char closing,
                                           LiteralEnd* how) const;
  size_t commentClose(size_t from) const;
  size_t lineCommentEnd(size_t from) const;
  [[gnu::always_inline]] inline size_t directiveEnd(size_t from);
  [[gnu::noinline]] size_t scanDirective(size_t from);
  bool followsRawPrefix(size_t quote) const;
  size_t rawDelimiterEnd(size_t quote) const;
  size_t textBlockEnd(size_t from) const;
  bool isDigitSeparator(size_t quote);
  size_t whiteSpaceBefore(const char* text, size_t end) const;
  bool startsSourceLine(size_t i) const;
  bool outputLineHasInk() const;
  bool endsInLineFeed(const char* text, size_t end) const;

  const char* text_;
  size_t size_;
  const Language& language_;
  const ClassTable classes_;
  size_t unitSize_;
  std::string indentRun_;  // 64 units, written a run at a time
  Output out_;
  Scanner scan_;

  // The layout's state: modes need none, since each mode is copied whole by
  // the step that opens it.
  bool atLineStart = true;
  bool afterBlank = true;
  AfterLiteral afterLiteral = AfterLiteral::kNone;
  EndedLiteral endedLiteral = EndedLiteral::kPlain;  // the last literal's kind
  long long braceDepth = 0;
  long long parenDepth = 0;

  size_t numberQuote_ = kNone;  // the last quote tested as a digit separator
  size_t numberStart_ = 0;      // where the word before it starts
  size_t numberFloor_ = 0;      // a number starts after the last literal
};

Sorter::Sorter(std::string_view source, const Language& language,
               const std::string& indentUnit, Bytes* result, size_t limit)
    : text_(source.data()),
      size_(source.size()),
      language_(language),
      classes_(makeClasses(language)),
      unitSize_(indentUnit.size()),
      // Real code sorts to no more than its own size; more is made room for
      // as the text grows.
      out_(result, limit, source.size() + source.size() / 16 + 4096),
      scan_(source.size() >= kWideScanSize) {
  const size_t kUnitsPerRun = 64;
  for (size_t k = 0; k < kUnitsPerRun; ++k) indentRun_ += indentUnit;
}

bool Sorter::finish() {
  out_.finish();
  return !out_.full();
}

void Sorter::run() {
  size_t i = 0;
  // Once the text is full, every write is refused at once; the loop just
  // runs out the source.
  while (i < size_) {
    CharClass charClass = classes_[static_cast<unsigned char>(text_[i])];
    if (afterLiteral != AfterLiteral::kNone && charClass != kBlank)
      afterLiteral = afterLiteral == AfterLiteral::kSpaced
                         ? AfterLiteral::kMeeting
                         : AfterLiteral::kNone;
    switch (charClass) {
      case kOrdinary:
        i = copyWord(i);
        break;
      case kBlank:
        i = blankRun(i);
        break;
      case kBackslash:
        i = backslash(i);
        break;
      case kDoubleQuote:
        i = doubleQuote(i);
        break;
      case kSingleQuote:
        i = singleQuote(i);
        break;
      case kHash:
        i = directive(i);
        break;
      case kOpenParen:
        i = openParens(i);
        break;
      case kCloseParen:
        i = closeParens(i);
        break;
      case kSlash:
        i = slash(i);
        break;
      case kSemicolon:
        i = semicolons(i);
        break;
      case kOpenBrace:
        openBrace();
        ++i;
        break;
      case kCloseBrace:
        closeBrace(i++);
        break;
    }
    if ((atLineStart || afterBlank) && isBlankAt(i)) i = droppedBlanks(i);
  }
}

// A run of blanks, tabs and line feeds where none is written, taken at once
// after the step before it.
size_t Sorter::droppedBlanks(size_t i) {
  if (afterLiteral == AfterLiteral::kClosed)
    afterLiteral = AfterLiteral::kSpaced;
  afterBlank = true;
  if (!isBlankAt(i + 1)) return i + 1;  // most runs are one character
  return scan_.skipAll<' ', '\t', '\n'>(text_, i + 2, size_);
}

// Of a run of blanks, tabs and line feeds only the first can be written; a
// tab is written as a blank.
size_t Sorter::blankRun(size_t i) {
  if (!atLineStart && !afterBlank) out_.append(asBlank(text_[i]));
  return droppedBlanks(i);
}

// A backslash before a line feed splices two lines. The line feed is written,
// and so is the first blank after it, so that the lines it joins stay apart.
size_t Sorter::backslash(size_t i) {
  if (at(i + 1) != '\n') return copyWord(i);
  writeOrdinary(text_ + i, 1);
  out_.append('\n');
  if (isBlankAt(i + 2)) return blankRun(i + 2);
  afterBlank = true;
  return i + 2;
}

// Writes the character at `i` and the stretch after it that the rules copy
// as it stands: ordinary characters, and a blank, tab or line feed that
// follows one of them (the first of its run, so it is written; a tab as a
// blank). The stretch is copied while it is scanned, into room for the rest
// of the text.
size_t Sorter::copyWord(size_t i) {
  beginOrdinary(text_[i]);
  char* to = out_.claim(size_ - i);
  if (!to) return writeStretch(i);
  size_t end = scan_.copyStretch(text_, i, size_, to);
  if (end < size_ && continuesStretch(end))
    end = copyStretches(end, to + (end - i));
  out_.advance(end - i);
  afterBlank = endsInBlank(end);
  return end;
}

// Goes on with the stretches after one that ended at an ordinary character
// or a digit separator.
size_t Sorter::copyStretches(size_t i, char* to) {
  size_t end = i;
  do {
    end = text_[end] == '\''
              ? copyNumberRest(end, to + (end - i))
              : scan_.copyStretch(text_, end, size_, to + (end - i));
  } while (end < size_ && continuesStretch(end));
  return end;
}

// Copies the rest of a number from its digit separator at `quote`: every
// further quote in it separates digits too, as it follows the same start.
size_t Sorter::copyNumberRest(size_t quote, char* to) {
  size_t end = quote + 1;
  while (end < size_ && isNumberByte(static_cast<unsigned char>(text_[end])))
    ++end;
  std::memcpy(to, text_ + quote, end - quote);
  return end;
}

// True when the stretch that ended at `i` goes on with it: an ordinary
// character, or a digit separator.
bool Sorter::continuesStretch(size_t i) {
  CharClass charClass = classes_[static_cast<unsigned char>(text_[i])];
  return charClass == kOrdinary ||
         (charClass == kSingleQuote && isDigitSeparator(i));
}

// As copyWord, through the output's own bounds, for a text near its limit.
size_t Sorter::writeStretch(size_t i) {
  size_t end = stretchEnd(text_, i + 1, size_);
  while (end < size_ &&
         classes_[static_cast<unsigned char>(text_[end])] == kOrdinary)
    end = stretchEnd(text_, end + 1, size_);
  for (size_t k = i; k < end; ++k) out_.append(asBlank(text_[k]));
  afterBlank = endsInBlank(end);
  return end;
}

// True when the stretch that ends at `end` ends in a blank, tab or line feed.
bool Sorter::endsInBlank(size_t end) const {
  return classes_[static_cast<unsigned char>(text_[end - 1])] == kBlank;
}

size_t Sorter::doubleQuote(size_t i) {
  if (language_.hasTextBlocks && at(i + 1) == '"' && at(i + 2) == '"')
    return textBlock(i);
  bool rawPrefix = language_.hasRawStrings && followsRawPrefix(i);
  size_t open = rawPrefix ? rawDelimiterEnd(i) : kNone;
  if (open != kNone) return rawString(i, open);
  size_t end = quotedLiteral(i);
  if (rawPrefix) {
    endedLiteral = EndedLiteral::kRawLookalike;
    return end;
  }
  return gluedLiterals(end);
}

size_t Sorter::singleQuote(size_t i) {
  // A digit separator is an ordinary character, written with the digits
  // after it.
  if (isDigitSeparator(i)) return copyWord(i);
  return gluedLiterals(quotedLiteral(i));
}

// Literals of one kind written right after a closed one, as "a""b" or '',
// are copied with it in one piece, and leave the state their last one
// leaves. A quote right after a closed literal opens no raw string and
// separates no digits; in Java, a third quote would open a text block,
// which the loop sees to.
size_t Sorter::gluedLiterals(size_t i) {
  if (afterLiteral != AfterLiteral::kClosed) return i;
  const size_t start = i;
  LiteralEnd how = LiteralEnd::kQuote;
  while (how == LiteralEnd::kQuote && i < size_ && text_[i] == text_[i - 1] &&
         !(text_[i] == '"' && language_.hasTextBlocks))
    i = scanLiteral(i, &how);
  if (i == start) return i;
  out_.append(text_ + start, i - start);
  endLiteral(how, i, EndedLiteral::kPlain);
  return i;
}

// A string or character literal, which ends at its own quote or its line.
size_t Sorter::quotedLiteral(size_t quote) {
  LiteralEnd how;
  size_t end = scanLiteral(quote, &how);
  return literal(quote, how, end);
}

// Writes the literal from `quote` to `end`, which it left as `how` says.
size_t Sorter::literal(size_t quote, LiteralEnd how, size_t end) {
  writeOrdinary(text_ + quote, end - quote);
  bool emptyString =
      language_.hasTextBlocks && end - quote == 2 && text_[quote] == '"';
  endLiteral(how, end,
             emptyString ? EndedLiteral::kEmptyString : EndedLiteral::kPlain);
  return end;
}

// The state after a literal of kind `kind` that ended at `end` as `how` says.
void Sorter::endLiteral(LiteralEnd how, size_t end, EndedLiteral kind) {
  afterBlank = how != LiteralEnd::kText;
  afterLiteral =
      how == LiteralEnd::kQuote ? AfterLiteral::kClosed : AfterLiteral::kNone;
  endedLiteral = kind;
  numberFloor_ = end;
}

// Writes the literal from `quote` through its closer of `closerSize` bytes at
// `close`, or to the end of the text when `close` is kNone.
size_t Sorter::literalClosedAt(size_t quote, size_t close, size_t closerSize) {
  if (close == kNone) return literal(quote, LiteralEnd::kText, size_);
  return literal(quote, LiteralEnd::kQuote, close + closerSize);
}

// A raw string whose delimiter ends with the "(" at `open`.
size_t Sorter::rawString(size_t quote, size_t open) {
  std::string closing = ")";
  closing.append(text_ + quote + 1, open - quote - 1);
  closing += '"';
  size_t close = std::string_view(text_, size_).find(closing, open + 1);
  return literalClosedAt(quote, close, closing.size());
}

size_t Sorter::textBlock(size_t quote) {
  return literalClosedAt(quote, textBlockEnd(quote + 3), 3);
}

// The usual directive follows a line feed in the source and in the output.
size_t Sorter::directive(size_t hash) {
  bool settled =
      endsInLineFeed(text_, hash) && endsInLineFeed(out_.data(), out_.size());
  if (!settled && startsSourceLine(hash) && outputLineHasInk())
    out_.append('\n');
  // Directives on the lines that follow start lines of the output too: they
  // are written with this one, in one piece.
  size_t lineFeed = directiveEnd(hash + 1);
  while (lineFeed != kNone && lineFeed + 1 < size_ &&
         text_[lineFeed + 1] == '#')
    lineFeed = directiveEnd(lineFeed + 2);
  return writeThroughLineFeed(hash, lineFeed);
}

size_t Sorter::slash(size_t i) {
  if (at(i + 1) == '*') return blockComment(i);
  if (at(i + 1) == '/') return lineComment(i);
  writeOrdinary(text_ + i, 1);
  return i + 1;
}

size_t Sorter::blockComment(size_t slash) {
  size_t close = commentClose(slash + 2);
  if (close == kNone) {
    writeOrdinary(text_ + slash, size_ - slash);
    return size_;
  }
  writeOrdinary(text_ + slash, close - slash);
  out_.append("*/\n", 3);
  atLineStart = afterBlank = true;
  return close + 2;
}

size_t Sorter::lineComment(size_t slash) {
  return writeThroughLineFeed(slash, lineCommentEnd(slash + 2));
}

// Writes a line comment or preprocessor line from `from` through the line
// feed at `lineFeed` that ends it, or to the end of the text.
size_t Sorter::writeThroughLineFeed(size_t from, size_t lineFeed) {
  size_t end = lineFeed == kNone ? size_ : lineFeed + 1;
  writeOrdinary(text_ + from, end - from);
  if (lineFeed != kNone) afterBlank = true;
  return end;
}

// A run of "(" is written as it stands; each deepens the nesting.
size_t Sorter::openParens(size_t i) {
  size_t end = runEnd<'('>(i);
  parenDepth += end - i;
  writeOrdinary(text_ + i, end - i);
  return end;
}

// Each ")" is written; the one that closes the outermost group is followed
// by a blank.
size_t Sorter::closeParens(size_t i) {
  size_t end = runEnd<')'>(i);
  for (; i < end; ++i) {
    out_.append(')');
    if (--parenDepth == 0) {
      out_.append(' ');
      afterBlank = true;
    }
  }
  return end;
}

// Each ";" outside parentheses ends a line; inside them, a run of ";" is
// written as it stands.
size_t Sorter::semicolons(size_t i) {
  size_t end = runEnd<';'>(i);
  if (parenDepth != 0) {
    writeOrdinary(text_ + i, end - i);
    return end;
  }
  for (; i < end; ++i) out_.append(";\n", 2);
  atLineStart = true;
  return end;
}

void Sorter::openBrace() {
  guardLineStart();
  indent(braceDepth);
  out_.append("{\n", 2);
  indent(++braceDepth);
  afterBlank = true;
}

void Sorter::closeBrace(size_t i) {
  if (at(i + 1) == ';') {
    --braceDepth;
    writeOrdinary("}", 1);
    return;
  }
  guardLineStart();
  indent(braceDepth - 1);
  out_.append("}\n\n", 3);
  --braceDepth;
  afterBlank = true;
}

// The ordinary-character step, for a run of ordinary characters at once, or
// for the character that opens a mode together with the mode's characters,
// which are copied as they stand.
void Sorter::writeOrdinary(const char* data, size_t size) {
  beginOrdinary(data[0]);
  out_.append(data, size);
}

// What the ordinary-character step writes before the character `first`: the
// indentation at the start of a line, and a blank that keeps it off a
// literal.
void Sorter::beginOrdinary(char first) {
  if (atLineStart || afterLiteral == AfterLiteral::kMeeting)
    writeBeforeOrdinary(first);
  afterBlank = false;
}

void Sorter::writeBeforeOrdinary(char first) {
  if (atLineStart) indent(braceDepth);
  if (afterLiteral == AfterLiteral::kMeeting &&
      keepsApartFromLiteral(static_cast<unsigned char>(first)))
    out_.append(' ');
  atLineStart = false;
  afterLiteral = AfterLiteral::kNone;
}

// True when a blank must stand between the character `c` and a literal
// before it whose closing quote was followed by white space. A word would
// run into the literal; in Java, a quote after "" would open a text block;
// in C++, after a quote that followed R but opened no raw string (its
// delimiter was not valid), `c` could complete a delimiter that is.
bool Sorter::keepsApartFromLiteral(unsigned char c) const {
  switch (endedLiteral) {
    case EndedLiteral::kRawLookalike:
      return true;
    case EndedLiteral::kEmptyString:
      return c == '"' || isWordByte(c);
    case EndedLiteral::kPlain:
      break;
  }
  return isWordByte(c);
}

void Sorter::indent(long long levels) {
  if (levels <= 0 || indentRun_.empty()) return;
  for (size_t bytes = unitSize_ * levels; bytes > 0 && !out_.full();) {
    size_t piece = std::min(bytes, indentRun_.size());
    out_.append(indentRun_.data(), piece);
    bytes -= piece;
  }
}

// A brace begins a line; an empty text is at the start of one. A line feed
// after a backslash splices two lines instead of starting one, so a line
// that ends in a backslash is followed by an empty line.
void Sorter::guardLineStart() {
  if (out_.empty()) return;
  if (out_.back() != '\n') out_.append('\n');
  if (language_.splicesLines && out_.endsWith("\\\n")) out_.append('\n');
}

// Returns where the literal opened at `quote` ends: past its closing quote,
// past the line feed that ends it unclosed, or at the end of the text. A
// backslash escapes the next character.
size_t Sorter::scanLiteral(size_t quote, LiteralEnd* how) const {
  const char closing = text_[quote];
  // Most literals are short: their first bytes are looked at one by one.
  size_t i = quote + 1;
  for (size_t near = std::min(size_, i + 8); i < near; ++i) {
    if (text_[i] == '\\') {
      ++i;
    } else if (text_[i] == closing || text_[i] == '\n') {
      *how = text_[i] == '\n' ? LiteralEnd::kLineFeed : LiteralEnd::kQuote;
      return i + 1;
    }
  }
  return scanLongLiteral(i, closing, how);
}

// The rest of a literal that is not short, from `i`.
size_t Sorter::scanLongLiteral(size_t i, char closing, LiteralEnd* how) const {
  for (; i < size_; i += 2) {
    i = closing == '"' ? scan_.findAny<'\\', '"', '\n'>(text_, i, size_)
                       : scan_.findAny<'\\', '\'', '\n'>(text_, i, size_);
    if (i == size_ || text_[i] == '\\') continue;
    *how = text_[i] == '\n' ? LiteralEnd::kLineFeed : LiteralEnd::kQuote;
    return i + 1;
  }
  *how = LiteralEnd::kText;
  return size_;
}

// Returns the position of the "*/" that closes a block comment, searching
// from `from`, or kNone. It looks for the "/", which comments hold fewer of
// than "*".
size_t Sorter::commentClose(size_t from) const {
  for (size_t i = from + 1; (i = scan_.findAny<'/'>(text_, i, size_)) < size_;
       ++i)
    if (text_[i - 1] == '*') return i - 1;
  return kNone;
}

// Returns the position of the line feed that ends a line comment, or kNone.
size_t Sorter::lineCommentEnd(size_t from) const {
  while (from < size_) {
    const void* found = std::memchr(text_ + from, '\n', size_ - from);
    if (!found) return kNone;
    size_t i = static_cast<const char*>(found) - text_;
    if (!language_.splicesLines || text_[i - 1] != '\\') return i;
    from = i + 1;
  }
  return kNone;
}

// Returns the position of the line feed that ends a preprocessor line, or
// kNone. Literals and comments on the line are stepped over, so a line feed
// inside a block comment, or after a backslash, goes on with the line.
size_t Sorter::directiveEnd(size_t i) {
  if (i < size_ && text_[i] == '\n') return i;  // a "#" alone on its line
  return scanDirective(i);
}

size_t Sorter::scanDirective(size_t i) {
  while ((i = scan_.findAny<'\n', '"', '\'', '/'>(text_, i, size_)) < size_) {
    char c = text_[i];
    if (c == '\n' && text_[i - 1] != '\\') return i;
    if (c == '"' || (c == '\'' && !isDigitSeparator(i))) {
      LiteralEnd how;
      i = numberFloor_ = scanLiteral(i, &how);
      if (how == LiteralEnd::kLineFeed) return i - 1;
    } else if (c == '/' && at(i + 1) == '*') {
      size_t close = commentClose(i + 2);
      i = close == kNone ? size_ : close + 2;
    } else if (c == '/' && at(i + 1) == '/') {
      return lineCommentEnd(i + 2);
    } else {
      ++i;
    }
  }
  return kNone;
}

// True when the quote at `quote` directly follows a word that is exactly R,
// u8R, uR, UR or LR: the prefix of a raw string.
bool Sorter::followsRawPrefix(size_t quote) const {
  if (quote == 0 || text_[quote - 1] != 'R') return false;
  size_t wordStart = quote;
  while (wordStart > 0 && quote - wordStart < 4 &&
         isIdentifierByte(static_cast<unsigned char>(text_[wordStart - 1])))
    --wordStart;
  if (wordStart > 0 &&
      isIdentifierByte(static_cast<unsigned char>(text_[wordStart - 1])))
    return false;
  std::string_view word(text_ + wordStart, quote - wordStart);
  return word == "R" || word == "u8R" || word == "uR" || word == "UR" ||
         word == "LR";
}

// Returns the position of the "(" that ends the delimiter of the raw string
// that the quote at `quote`, after its prefix, opens; kNone when the text up
// to a "(" is no valid delimiter.
size_t Sorter::rawDelimiterEnd(size_t quote) const {
  for (size_t i = quote + 1; i < size_ && i - quote - 1 <= kMaxRawDelimiter;
       ++i) {
    if (text_[i] == '(') return i;
    if (!isRawDelimiterByte(static_cast<unsigned char>(text_[i]))) break;
  }
  return kNone;
}

// Returns the position of the """ that closes a text block, or kNone.
size_t Sorter::textBlockEnd(size_t i) const {
  for (; (i = scan_.findAny<'\\', '"'>(text_, i, size_)) < size_; ++i) {
    if (text_[i] == '\\')
      ++i;
    else if (at(i + 1) == '"' && at(i + 2) == '"')
      return i;
  }
  return kNone;
}

// True when the language has digit separators and the quote at `quote`
// separates the digits of a number: the word before it (letters, digits, "_",
// "." and "'", but not the closing quote of a literal) begins with a digit,
// or with "." and a digit. The word's start is remembered for the next quote,
// so that a long number costs one scan.
bool Sorter::isDigitSeparator(size_t quote) {
  if (!language_.hasDigitSeparators) return false;
  size_t start = quote;
  while (start > numberFloor_ &&
         isNumberByte(static_cast<unsigned char>(text_[start - 1]))) {
    --start;
    if (start == numberQuote_) {
      start = numberStart_;
      break;
    }
  }
  numberQuote_ = quote;
  numberStart_ = start;
  if (start == quote) return false;
  unsigned char first = text_[start];
  return isDigit(first) ||
         (first == '.' && isDigit(static_cast<unsigned char>(at(start + 1))));
}

// Returns where the blanks and tabs that end `text` at `end` begin. A line
// splice counts as white space too, since it joins two lines into one.
size_t Sorter::whiteSpaceBefore(const char* text, size_t end) const {
  for (;;) {
    while (end > 0 && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
    if (!language_.splicesLines || end < 2 || text[end - 1] != '\n' ||
        text[end - 2] != '\\')
      return end;
    end -= 2;
  }
}

// True when only white space stands before position `i` on its line.
bool Sorter::startsSourceLine(size_t i) const {
  i = whiteSpaceBefore(text_, i);
  return i == 0 || text_[i - 1] == '\n';
}

// True when the last line of the output holds more than white space.
bool Sorter::outputLineHasInk() const {
  size_t i = whiteSpaceBefore(out_.data(), out_.size());
  return i > 0 && out_.data()[i - 1] != '\n';
}

// True when a line feed ends `text` at `end` and does not splice.
bool Sorter::endsInLineFeed(const char* text, size_t end) const {
  return end > 0 && text[end - 1] == '\n' &&
         !(language_.splicesLines && end > 1 && text[end - 2] == '\\');
}

}  // namespace

bool sortText(std::string_view source, const Language& language,
              const std::string& indentUnit, size_t limit, Bytes* result) {
  Sorter sorter(source, language, indentUnit, result, limit);
  sorter.run();
  return sorter.finish();
}
