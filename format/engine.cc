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

const size_t kMaxRawDelimiter = 16;
// Texts worth the once-only question for AVX2, which a virtual machine can
// take microseconds to answer.
const size_t kWideScanSize = 16 << 10;
const size_t kStretchSlack = 4096;  // room for what a stretch's steps add
const size_t kMostGuardBytes = 2;   // line feeds that start a brace's line

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

constexpr bool isAsciiLetterOrDigit(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
         (c >= '0' && c <= '9');
}

// A blank, tab or line feed as the layout writes it.
bool isWhiteSpace(char c) {
  return c == ' ' || c == '\n' || c == '\t';
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

// The bytes of a number written with digit separators, such as 0x1'FF.
constexpr std::array<bool, 256> kNumberBytes = [] {
  std::array<bool, 256> table{};
  for (int c = 0; c < 256; ++c)
    table[c] = isAsciiLetterOrDigit(c) || c == '_' || c == '.' || c == '\'';
  return table;
}();

bool isNumberByte(unsigned char c) {
  return kNumberBytes[c];
}

bool isRawDelimiterByte(unsigned char c) {
  return c > ' ' && c < 127 && c != '\\' && c != '(' && c != ')';
}

// What a character written after a literal must be kept apart from.
enum class EndedLiteral { kPlain, kEmptyString, kRawLookalike };

// How far the layout is past the end of a literal closed by its quote.
enum class AfterLiteral : unsigned char {
  kFar,
  kClosed,   // the last thing seen closed a literal
  kSpaced,   // ... and white space after it was dropped
  kMeeting,  // the current character meets such a literal
};

// What keeps a literal apart from what follows it. The blanks after a
// literal are dropped, so the next token could run into it. A literal of the
// same quote written right after one closed by its quote is copied with it,
// in one piece ("a""b", ''). After dropped white space, the ordinary-character
// step puts a blank back before a character that would join the literal: a
// word; after Java's "", a quote too (it would open a text block); after a
// C++ quote that followed R but opened no raw string, anything (it could
// complete a delimiter). A quote after a literal separates no digits: a
// number starts after the last literal.
struct LiteralEdge {
  AfterLiteral distance = AfterLiteral::kFar;
  EndedLiteral kind = EndedLiteral::kPlain;  // the last literal's kind
  size_t numberFloor = 0;                    // where the last literal ends

  // The character at hand is no blank, tab or line feed: a literal closed
  // right before it is now far, one across dropped white space is met.
  void pass() {
    distance = distance == AfterLiteral::kSpaced ? AfterLiteral::kMeeting
                                                 : AfterLiteral::kFar;
  }
};

// Lays out one text. The end of the text is `size_`: every search returns it
// when it finds nothing, and every look past a position tests against it.
class Sorter {
 public:
  Sorter(std::string_view source, const Language& language,
         const std::string& indentUnit, Bytes* result, size_t limit);
  /// Cuts the result to what was written; false when it outgrew its limit.
  bool finish();
  void run();

 private:
  CharClass classAt(size_t i) const {
    return classes_[static_cast<unsigned char>(text_[i])];
  }
  bool isAt(size_t i, char c) const { return i < size_ && text_[i] == c; }
  bool isBlankAt(size_t i) const { return i < size_ && classAt(i) == kBlank; }
  bool isOrdinaryAt(size_t i) const {
    return i < size_ && classAt(i) == kOrdinary;
  }
  static char asBlank(char c) { return c == '\t' ? ' ' : c; }
  // Returns the end of the run of blanks, tabs and line feeds at `i`.
  size_t blanksEnd(size_t i) const {
    while (isBlankAt(i)) ++i;
    return i;
  }
  // Returns the end of the run of `kRun` characters that starts at `i`.
  template <char kRun>
  size_t runEnd(size_t i) const {
    if (!isAt(i + 1, kRun)) return i + 1;  // most runs are one long
    return scan_.skipAll<kRun>(text_, i + 2, size_);
  }

  // The steps of the main loop, one per character class.
  size_t blankRun(size_t i);
  size_t droppedBlanks(size_t i);
  size_t backslash(size_t i);
  size_t openParens(size_t i);
  // The most frequent step, inlined into the loop that dispatches it.
  [[gnu::always_inline]] inline size_t copyWord(size_t i);
  // A stretch, and the steps it takes on the way, at `to` in its room.
  [[gnu::always_inline]] inline size_t stretchStep(size_t stop, char*& to);
  [[gnu::always_inline]] inline size_t endStatementAt(size_t stop, char*& to);
  [[gnu::noinline]] size_t endStatementRunAt(size_t stop, char*& to);
  [[gnu::noinline]] size_t startLinesAt(size_t next, char*& to);
  char* writeComment(size_t slash, size_t close, char* to);
  [[gnu::always_inline]] inline size_t endStatementsAt(size_t stop, size_t end,
                                                       char*& to);
  [[gnu::always_inline]] inline size_t closeGroupAt(size_t stop, char*& to);
  size_t openBlockAt(size_t stop, char*& to);
  [[gnu::noinline]] size_t closeBlockAt(size_t stop, char*& to);
  [[gnu::always_inline]] inline size_t takeCloseBrace(size_t stop, char*& to);
  bool hasRoom(const char* to, size_t i, size_t extra) const;
  // What a step returns to end the stretch at `i`.
  static size_t endsAt(size_t i) { return i | kEndsStretch; }
  bool endsInBlank(size_t end) const;
  [[gnu::cold]] size_t writeStretch(size_t i);
  size_t doubleQuote(size_t i);
  size_t singleQuote(size_t i);
  size_t numberRest(size_t quote);
  size_t gluedLiterals(size_t i);
  [[gnu::always_inline]] inline size_t quotedLiteral(size_t quote);
  [[gnu::always_inline]] inline size_t literal(size_t quote, size_t close,
                                               size_t closerSize,
                                               EndedLiteral kind);
  size_t rawString(size_t quote, size_t open);
  size_t textBlock(size_t quote);
  size_t directive(size_t hash);
  size_t slash(size_t i);
  size_t blockComment(size_t slash);
  size_t lineComment(size_t slash);
  size_t writeThroughLineFeed(size_t from, size_t lineFeed);
  // The main loop's steps for the layout's own pieces, which a stretch
  // takes in the usual case.
  [[gnu::noinline]] size_t closeParens(size_t i);
  [[gnu::noinline]] size_t semicolons(size_t i);
  [[gnu::noinline]] void openBrace();
  [[gnu::noinline]] void closeBrace(size_t i);

  // The layout's own pieces, each written at a cursor with room for the
  // bytes that its measure gives, by the main loop and by a stretch alike;
  // each returns the end of what it wrote.
  template <class Write>
  void writePiece(size_t bytes, Write&& write);
  const char* cursor() const { return out_.data() + out_.size(); }
  [[gnu::always_inline]] inline char* writeStatementEnds(size_t count,
                                                         char* to);
  bool closesGroup(size_t count) const {
    return parenDepth >= 1 && static_cast<size_t>(parenDepth) <= count;
  }
  [[gnu::always_inline]] inline char* writeCloseParens(size_t count, char* to);
  [[gnu::always_inline]] inline size_t openBraceBytes(size_t guard) const;
  [[gnu::always_inline]] inline char* writeOpenBrace(char* to);
  [[gnu::always_inline]] inline size_t closeBraceBytes(size_t guard) const;
  [[gnu::always_inline]] inline char* writeCloseBrace(char* to);
  [[gnu::always_inline]] inline size_t lineStartGuardBytes(
      const char* to) const;
  [[gnu::always_inline]] inline char* writeLineStartGuard(char* to);
  size_t indentBytes(long long levels) const;
  [[gnu::always_inline]] inline char* writeIndent(long long levels, char* to);
  [[gnu::noinline]] char* writeLongIndent(size_t bytes, char* to);

  // What the steps write around their characters.
  [[gnu::always_inline]] inline void writeOrdinary(const char* data,
                                                   size_t size);
  void beginOrdinary(char first);
  void writeBeforeOrdinary(char first);
  bool keepsApartFromLiteral(unsigned char c) const;

  // Where modes end, and what the text around a position holds.
  [[gnu::always_inline]] inline size_t scanLiteral(size_t quote) const;
  [[gnu::noinline]] size_t scanLongLiteral(size_t i, char closing) const;
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
  char* roomEnd_ = nullptr;  // the end of the room a stretch is copied into

  // The layout's state: modes need none, since each mode is copied whole by
  // the step that opens it. While atLineStart is set, the next character
  // that the ordinary-character step writes is indented first.
  bool atLineStart = true;
  bool dropsNextBlank = true;  // the next blank, tab or line feed is dropped
  LiteralEdge literalEdge_;
  long long braceDepth = 0;
  long long parenDepth = 0;

  // The last quote tested as a digit separator (none yet: the end of the
  // text) and where the word before it starts, so that a long number costs
  // one scan.
  size_t numberQuote_;
  size_t numberStart_ = 0;
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
      scan_(source.size() >= kWideScanSize),
      numberQuote_(source.size()) {
  const size_t kUnitsPerRun = 64;
  for (size_t k = 0; k < kUnitsPerRun; ++k) indentRun_ += indentUnit;
  // A store of kSlack bytes reads that many, even for an empty unit.
  if (indentRun_.size() < Output::kSlack) indentRun_.resize(Output::kSlack);
}

bool Sorter::finish() {
  out_.finish();
  return !out_.full();
}

// One step per character class, each of which takes as many characters as
// its rule covers. Once the text is full, every write is refused at once;
// the loop just runs out the source.
void Sorter::run() {
  size_t i = 0;
  while (i < size_) {
    CharClass charClass = classAt(i);
    if (literalEdge_.distance != AfterLiteral::kFar && charClass != kBlank)
      literalEdge_.pass();
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
    if ((atLineStart || dropsNextBlank) && isBlankAt(i)) i = droppedBlanks(i);
  }
}

// A run of blanks, tabs and line feeds where none is written, taken at once
// after the step before it.
size_t Sorter::droppedBlanks(size_t i) {
  if (literalEdge_.distance == AfterLiteral::kClosed)
    literalEdge_.distance = AfterLiteral::kSpaced;
  dropsNextBlank = true;
  // Most runs are short: a line feed and the next line's indentation.
  size_t end = i + 1;
  for (const size_t near = std::min(size_, i + 8); end < near; ++end)
    if (classAt(end) != kBlank) return end;
  return scan_.skipAll<' ', '\t', '\n'>(text_, end, size_);
}

// Of a run of blanks, tabs and line feeds only the first can be written; a
// tab is written as a blank.
size_t Sorter::blankRun(size_t i) {
  if (!atLineStart && !dropsNextBlank) out_.append(asBlank(text_[i]));
  return droppedBlanks(i);
}

// A backslash before a line feed splices two lines. The line feed is written,
// and so is the first blank after it, so that the lines it joins stay apart.
size_t Sorter::backslash(size_t i) {
  if (!isAt(i + 1, '\n')) return copyWord(i);
  writeOrdinary(text_ + i, 1);
  out_.append('\n');
  if (isBlankAt(i + 2)) return blankRun(i + 2);
  dropsNextBlank = true;
  return i + 2;
}

// Each "(" deepens the nesting. A few are written with the stretch after
// them; a long run is written as it stands.
size_t Sorter::openParens(size_t i) {
  if (!isAt(i + 1, '(') || !isAt(i + 2, '(')) {
    ++parenDepth;
    return copyWord(i);
  }
  size_t end = runEnd<'('>(i);
  parenDepth += end - i;
  writeOrdinary(text_ + i, end - i);
  return end;
}

// Writes the character at `i` and the stretch after it that the rules copy
// as it stands: ordinary characters, a blank, tab or line feed that follows
// one of them (the first of its run, so it is written; a tab as a blank),
// and the characters with a rule of their own whose step is taken on the
// way (see stretchStep). The stretch is copied while it is scanned, into
// room for the rest of the text and what the steps add.
size_t Sorter::copyWord(size_t i) {
  beginOrdinary(text_[i]);
  const size_t room = size_ - i + kStretchSlack;
  char* to = out_.claim(room);
  if (!to) return writeStretch(i);
  char* const start = to;
  roomEnd_ = to + room;
  // The step is inlined into the scan, as is every step it inlines: a call
  // at each stop would cost more than the step.
  auto step = [this](size_t stop, char*& at) __attribute__((always_inline)) {
    return stretchStep(stop, at);
  };
  size_t end = scan_.copyStretch(text_, i, size_, to, step);
  out_.advance(to - start);
  dropsNextBlank = isWhiteSpace(to[-1]);
  return end;
}

// Where a stretch goes on after the character at `stop`, which the scan
// could not tell from one that needs a step of its own, with `to` where it
// would be written (see walkStretchOver). The steps that write a character
// as it stands go on over it; the white space that the layout drops, the
// ";" that ends a statement, the braces and the ")" that closes the
// outermost group are taken here; the rest end the stretch.
size_t Sorter::stretchStep(size_t stop, char*& to) {
  switch (classAt(stop)) {
    case kOrdinary:
      break;
    case kBlank:
      return isWhiteSpace(to[-1]) ? blanksEnd(stop) : stop;
    case kOpenParen:
      if (isAt(stop + 1, '(') && isAt(stop + 2, '(')) return stop;  // a run
      ++parenDepth;
      break;
    case kCloseParen:
      if (parenDepth == 1) return closeGroupAt(stop, to);
      // After white space, its step leaves the next blank dropped; a run is
      // written as it stands.
      if (isWhiteSpace(to[-1]) || (isAt(stop + 1, ')') && isAt(stop + 2, ')')))
        return stop;
      --parenDepth;
      break;
    case kSemicolon:
      if (parenDepth == 0) return endStatementAt(stop, to);
      break;
    case kOpenBrace:
      return openBlockAt(stop, to);
    case kCloseBrace:
      return closeBlockAt(stop, to);
    case kSlash:
      if (isAt(stop + 1, '*') || isAt(stop + 1, '/')) return stop;
      break;
    case kBackslash:
      if (isAt(stop + 1, '\n')) return stop;
      break;
    case kDoubleQuote:
    case kSingleQuote:
    case kHash:
      return stop;
    default:
      __builtin_unreachable();  // the class table holds no other class
  }
  return kTakenAsItStands;
}

// The ";" at `stop`, and any right after it, end their lines, written at
// `to`; the white space after them is dropped, and when an ordinary
// character starts the next line, its indentation is written as the
// ordinary-character step writes it; other lines that start there are
// startLinesAt's.
size_t Sorter::endStatementAt(size_t stop, char*& to) {
  if (isAt(stop + 1, ';')) return endStatementRunAt(stop, to);
  return endStatementsAt(stop, stop + 1, to);
}

// A run of ";", which is rare, out of line.
size_t Sorter::endStatementRunAt(size_t stop, char*& to) {
  return endStatementsAt(stop, runEnd<';'>(stop), to);
}

// As endStatementAt, for the run of ";" from `stop` to `end`.
size_t Sorter::endStatementsAt(size_t stop, size_t end, char*& to) {
  size_t count = end - stop;
  size_t next = blanksEnd(end);
  bool indents = isOrdinaryAt(next);
  size_t bytes = indents ? indentBytes(braceDepth) : 0;
  if (!hasRoom(to, next, 2 * count + bytes)) return stop;
  to = writeIndent(indents ? braceDepth : 0, writeStatementEnds(count, to));
  if (!indents) return startLinesAt(next, to);
  atLineStart = false;
  return next;
}

// The lines that start at `next`, after a statement's end, as the loop
// writes them: each "}" stands on a line of its own, and each block comment
// on a line of its own, indented. An ordinary character after them is
// indented there, as the ordinary-character step indents it; anything else
// ends the stretch, and takes its own step at the start of a line.
size_t Sorter::startLinesAt(size_t next, char*& to) {
  for (;;) {
    if (isAt(next, '}')) {
      const size_t after = takeCloseBrace(next, to);
      if (after == next) break;
      next = after;
    } else if (isAt(next, '/') && isAt(next + 1, '*')) {
      const size_t close = commentClose(next + 2);
      const size_t bytes = indentBytes(braceDepth) + (close - next) + 3;
      if (close == size_ || !hasRoom(to, close + 2, bytes)) return endsAt(next);
      to = writeComment(next, close, writeIndent(braceDepth, to));
      next = blanksEnd(close + 2);
    } else {
      break;
    }
  }
  if (!isOrdinaryAt(next) || !hasRoom(to, next, indentBytes(braceDepth)))
    return endsAt(next);
  to = writeIndent(braceDepth, to);
  atLineStart = false;
  return next;
}

// The block comment from `slash` to its "*/" at `close`, as it stands; its
// end ends the line.
char* Sorter::writeComment(size_t slash, size_t close, char* to) {
  std::memcpy(to, text_ + slash, close - slash);
  to += close - slash;
  std::memcpy(to, "*/\n", 3);
  atLineStart = true;
  return to + 3;
}

// The ")" at `stop` closes the outermost group, written at `to`, and the
// white space after it is dropped. Most have none, and the stretch does not
// leave its scan for them.
size_t Sorter::closeGroupAt(size_t stop, char*& to) {
  if (!hasRoom(to, stop + 1, 2)) return stop;
  to = writeCloseParens(1, to);
  return blanksEnd(stop + 1);
}

// The "{" at `stop`, written at `to`, and the white space after it dropped.
size_t Sorter::openBlockAt(size_t stop, char*& to) {
  if (!hasRoom(to, stop + 1, openBraceBytes(kMostGuardBytes))) return stop;
  to = writeOpenBrace(to);
  return blanksEnd(stop + 1);
}

// The "}" at `stop`, out of line.
size_t Sorter::closeBlockAt(size_t stop, char*& to) {
  return takeCloseBrace(stop, to);
}

// The "}" at `stop`, written at `to`, and the white space after it dropped;
// one right before ";" is the loop's.
size_t Sorter::takeCloseBrace(size_t stop, char*& to) {
  if (isAt(stop + 1, ';') ||
      !hasRoom(to, stop + 1, closeBraceBytes(kMostGuardBytes)))
    return stop;
  to = writeCloseBrace(to);
  return blanksEnd(stop + 1);
}

// True when, with `to` where the byte at `i` goes, there is room for
// `extra` bytes more and the rest of the text.
bool Sorter::hasRoom(const char* to, size_t i, size_t extra) const {
  return extra + (size_ - i) <= static_cast<size_t>(roomEnd_ - to);
}

// As copyWord, through the output's own bounds, for a text near its limit:
// the stretch ends at the first character with a step of its own, which
// the loop then takes as the stretch would have.
size_t Sorter::writeStretch(size_t i) {
  size_t end = i + 1;
  while (end < size_ &&
         (!isStretchStop(text_, end) || classAt(end) == kOrdinary))
    ++end;
  for (size_t k = i; k < end; ++k) out_.append(asBlank(text_[k]));
  dropsNextBlank = endsInBlank(end);
  return end;
}

// True when the stretch that ends at `end` ends in a blank, tab or line feed.
bool Sorter::endsInBlank(size_t end) const {
  return classAt(end - 1) == kBlank;
}

size_t Sorter::doubleQuote(size_t i) {
  if (language_.hasTextBlocks && isAt(i + 1, '"') && isAt(i + 2, '"'))
    return textBlock(i);
  bool rawPrefix = language_.hasRawStrings && followsRawPrefix(i);
  size_t open = rawPrefix ? rawDelimiterEnd(i) : size_;
  if (open != size_) return rawString(i, open);
  size_t end = quotedLiteral(i);
  if (rawPrefix) {
    literalEdge_.kind = EndedLiteral::kRawLookalike;
    return end;
  }
  return gluedLiterals(end);
}

size_t Sorter::singleQuote(size_t i) {
  // A digit separator is an ordinary character, written with the digits
  // after it.
  if (isDigitSeparator(i)) return numberRest(i);
  return gluedLiterals(quotedLiteral(i));
}

// Writes the rest of a number from its digit separator at `quote`: every
// further quote in it separates digits too, as it follows the same start.
size_t Sorter::numberRest(size_t quote) {
  size_t end = quote + 1;
  while (end < size_ && isNumberByte(static_cast<unsigned char>(text_[end])))
    ++end;
  writeOrdinary(text_ + quote, end - quote);
  return end;
}

// Literals of one kind written right after a closed one, as "a""b" or '',
// are copied with it in one piece, and leave the state their last one
// leaves. A quote right after a closed literal opens no raw string and
// separates no digits; in Java, a third quote would open a text block,
// which the loop sees to.
size_t Sorter::gluedLiterals(size_t i) {
  if (literalEdge_.distance != AfterLiteral::kClosed) return i;
  const size_t start = i;
  size_t close = i - 1;  // the quote that closed the literal before
  const char quote = text_[close];
  if (quote == '"' && language_.hasTextBlocks) return start;
  while (isAt(close + 1, quote)) {
    close = scanLiteral(close + 1);
    if (close == size_ || text_[close] == '\n') break;
  }
  if (close == start - 1) return start;
  size_t end = close == size_ ? size_ : close + 1;
  out_.append(text_ + start, end - start);
  literalEdge_.kind = EndedLiteral::kPlain;
  literalEdge_.numberFloor = end;
  dropsNextBlank = true;
  if (close == size_ || text_[close] == '\n')
    literalEdge_.distance = AfterLiteral::kFar;
  return end;
}

// A string or character literal, which ends at its own quote or its line.
size_t Sorter::quotedLiteral(size_t quote) {
  bool emptyString =
      language_.hasTextBlocks && text_[quote] == '"' && isAt(quote + 1, '"');
  return literal(
      quote, scanLiteral(quote), 1,
      emptyString ? EndedLiteral::kEmptyString : EndedLiteral::kPlain);
}

// Writes the literal of kind `kind` from `quote` through its closer of
// `closerSize` bytes at `close`, or to the end of the text. A line feed that
// closes it leaves it open: it is not closed by its quote.
size_t Sorter::literal(size_t quote, size_t close, size_t closerSize,
                       EndedLiteral kind) {
  size_t end = close == size_ ? size_ : close + closerSize;
  writeOrdinary(text_ + quote, end - quote);
  bool closedByQuote = close != size_ && text_[close] != '\n';
  dropsNextBlank = true;
  literalEdge_ = {closedByQuote ? AfterLiteral::kClosed : AfterLiteral::kFar,
                  kind, end};
  return end;
}

// A raw string whose delimiter ends with the "(" at `open`.
size_t Sorter::rawString(size_t quote, size_t open) {
  std::string closing = ")";
  closing.append(text_ + quote + 1, open - quote - 1);
  closing += '"';
  size_t close = std::string_view(text_, size_).find(closing, open + 1);
  return literal(quote, std::min(close, size_), closing.size(),
                 EndedLiteral::kPlain);
}

size_t Sorter::textBlock(size_t quote) {
  return literal(quote, textBlockEnd(quote + 3), 3, EndedLiteral::kPlain);
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
  while (isAt(lineFeed + 1, '#')) lineFeed = directiveEnd(lineFeed + 2);
  return writeThroughLineFeed(hash, lineFeed);
}

size_t Sorter::slash(size_t i) {
  if (isAt(i + 1, '*')) return blockComment(i);
  if (isAt(i + 1, '/')) return lineComment(i);
  return copyWord(i);
}

// The end of a block comment ends its line, as a statement's end does.
size_t Sorter::blockComment(size_t slash) {
  size_t close = commentClose(slash + 2);
  if (close == size_) {
    writeOrdinary(text_ + slash, close - slash);
    return size_;
  }
  beginOrdinary(text_[slash]);
  writePiece(close - slash + 3, [this, slash, close](char* to) {
    return writeComment(slash, close, to);
  });
  dropsNextBlank = true;
  return close + 2;
}

size_t Sorter::lineComment(size_t slash) {
  return writeThroughLineFeed(slash, lineCommentEnd(slash + 2));
}

// Writes a line comment or preprocessor line from `from` through the line
// feed at `lineFeed` that ends it, or to the end of the text. That line feed
// does not set atLineStart, so the line after a line comment is not
// indented (a directive's line feed is followed by white space or another
// line in the usual case, which its own step sees to).
size_t Sorter::writeThroughLineFeed(size_t from, size_t lineFeed) {
  size_t end = lineFeed == size_ ? size_ : lineFeed + 1;
  writeOrdinary(text_ + from, end - from);
  if (lineFeed != size_) dropsNextBlank = true;
  return end;
}

size_t Sorter::closeParens(size_t i) {
  size_t end = runEnd<')'>(i);
  const size_t count = end - i;
  if (closesGroup(count)) dropsNextBlank = true;
  writePiece(count + closesGroup(count),
             [this, count](char* to) { return writeCloseParens(count, to); });
  return end;
}

// Inside parentheses, a run of ";" is written as it stands.
size_t Sorter::semicolons(size_t i) {
  size_t end = runEnd<';'>(i);
  if (parenDepth != 0) {
    writeOrdinary(text_ + i, end - i);
    return end;
  }
  writePiece(2 * (end - i), [this, i, end](char* to) {
    return writeStatementEnds(end - i, to);
  });
  return end;
}

void Sorter::openBrace() {
  writePiece(openBraceBytes(lineStartGuardBytes(cursor())),
             [this](char* to) { return writeOpenBrace(to); });
  dropsNextBlank = true;
}

// A "}" right before ";" stays on the line with it, written as an ordinary
// character, and the ";" ends the line.
void Sorter::closeBrace(size_t i) {
  if (isAt(i + 1, ';')) {
    --braceDepth;
    writeOrdinary("}", 1);
    return;
  }
  writePiece(closeBraceBytes(lineStartGuardBytes(cursor())),
             [this](char* to) { return writeCloseBrace(to); });
  dropsNextBlank = true;
}

// Writes `bytes` bytes with `write` at the output's cursor. A piece that
// does not fit fills the text, and nothing written after it counts.
template <class Write>
void Sorter::writePiece(size_t bytes, Write&& write) {
  if (char* to = out_.claimPiece(bytes)) out_.advance(write(to) - to);
}

// Each ";" outside parentheses ends a line.
char* Sorter::writeStatementEnds(size_t count, char* to) {
  atLineStart = true;
  for (size_t k = 0; k < count; ++k, to += 2) std::memcpy(to, ";\n", 2);
  return to;
}

// Each ")" is written; the one that closes the outermost group is followed
// by a blank.
char* Sorter::writeCloseParens(size_t count, char* to) {
  if (!closesGroup(count)) {
    parenDepth -= count;
    std::memset(to, ')', count);
    return to + count;
  }
  const size_t closing = parenDepth;  // the one that brings the depth to 0
  parenDepth -= count;
  std::memset(to, ')', closing);
  to[closing] = ' ';
  std::memset(to + closing + 1, ')', count - closing);
  return to + count + 1;
}

// The bytes of a "{" after `guard` line feeds.
size_t Sorter::openBraceBytes(size_t guard) const {
  return guard + indentBytes(braceDepth) + 2 + indentBytes(braceDepth + 1);
}

// A "{" stands on a line of its own, and the next line is indented at once
// by the inner level. atLineStart is left as it was: when it was set (the
// "{" follows a ";" outside parentheses or a block comment's end), the
// ordinary-character step indents the block's first line once more, so
// that it carries twice its level's indentation.
char* Sorter::writeOpenBrace(char* to) {
  const long long outer = braceDepth++;
  to = writeIndent(outer, writeLineStartGuard(to));
  std::memcpy(to, "{\n", 2);
  return writeIndent(outer + 1, to + 2);
}

// The bytes of a "}" after `guard` line feeds.
size_t Sorter::closeBraceBytes(size_t guard) const {
  return guard + indentBytes(braceDepth - 1) + 3;
}

// A "}" not right before ";" stands on a line of its own, followed by an
// empty line.
char* Sorter::writeCloseBrace(char* to) {
  const long long outer = --braceDepth;
  to = writeIndent(outer, writeLineStartGuard(to));
  std::memcpy(to, "}\n\n", 3);
  return to + 3;
}

// A brace begins a line; an empty text is at the start of one. A line feed
// after a backslash splices two lines instead of starting one, so a line
// that ends in a backslash is followed by an empty line. Returns the line
// feeds to write after the text that ends at `to`.
size_t Sorter::lineStartGuardBytes(const char* to) const {
  const size_t written = to - out_.data();
  if (written == 0) return 0;
  const bool splices = language_.splicesLines;
  if (to[-1] != '\n') return splices && to[-1] == '\\' ? 2 : 1;
  return splices && written >= 2 && to[-2] == '\\' ? 1 : 0;
}

char* Sorter::writeLineStartGuard(char* to) {
  size_t lineFeeds = lineStartGuardBytes(to);
  if (lineFeeds > 0) *to++ = '\n';
  if (lineFeeds > 1) *to++ = '\n';
  return to;
}

// The bytes of `levels` units of indentation.
size_t Sorter::indentBytes(long long levels) const {
  return levels > 0 ? unitSize_ * levels : 0;
}

// Most indentation is written with one store, which may pass its end (see
// Output::kSlack).
char* Sorter::writeIndent(long long levels, char* to) {
  const size_t bytes = indentBytes(levels);
  if (bytes > Output::kSlack) return writeLongIndent(bytes, to);
  std::memcpy(to, indentRun_.data(), Output::kSlack);
  return to + bytes;
}

// Indentation longer than the slack, out of line.
char* Sorter::writeLongIndent(size_t bytes, char* to) {
  const char* run = indentRun_.data();
  const size_t runSize = indentRun_.size();
  for (; bytes > runSize; bytes -= runSize, to += runSize)
    std::memcpy(to, run, runSize);
  Output::copy(to, run, bytes);
  return to + bytes;
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
  if (atLineStart || literalEdge_.distance == AfterLiteral::kMeeting)
    writeBeforeOrdinary(first);
  dropsNextBlank = false;
}

void Sorter::writeBeforeOrdinary(char first) {
  if (atLineStart)
    writePiece(indentBytes(braceDepth),
               [this](char* to) { return writeIndent(braceDepth, to); });
  if (literalEdge_.distance == AfterLiteral::kMeeting &&
      keepsApartFromLiteral(static_cast<unsigned char>(first)))
    out_.append(' ');
  atLineStart = false;
  literalEdge_.distance = AfterLiteral::kFar;
}

// True when a blank must stand between the character `c` and the literal
// that it meets.
bool Sorter::keepsApartFromLiteral(unsigned char c) const {
  switch (literalEdge_.kind) {
    case EndedLiteral::kRawLookalike:
      return true;
    case EndedLiteral::kEmptyString:
      return c == '"' || isWordByte(c);
    case EndedLiteral::kPlain:
      break;
  }
  return isWordByte(c);
}

// Returns the position of what ends the literal opened at `quote`: its
// closing quote, or the line feed that ends it unclosed. A backslash escapes
// the next character.
size_t Sorter::scanLiteral(size_t quote) const {
  const char closing = text_[quote];
  // Most literals are short: their first bytes are looked at one by one.
  size_t i = quote + 1;
  for (size_t near = std::min(size_, i + 8); i < near; ++i) {
    if (text_[i] == '\\')
      ++i;
    else if (text_[i] == closing || text_[i] == '\n')
      return i;
  }
  return scanLongLiteral(i, closing);
}

// The rest of a literal that is not short, from `i`.
size_t Sorter::scanLongLiteral(size_t i, char closing) const {
  for (; i < size_; i += 2) {
    i = closing == '"' ? scan_.findAny<'\\', '"', '\n'>(text_, i, size_)
                       : scan_.findAny<'\\', '\'', '\n'>(text_, i, size_);
    if (i < size_ && text_[i] != '\\') return i;
  }
  return size_;
}

// Returns the position of the "*/" that closes a block comment, searching
// from `from`. It looks for the "/", which comments hold fewer of than "*".
size_t Sorter::commentClose(size_t from) const {
  for (size_t i = from + 1; (i = scan_.findAny<'/'>(text_, i, size_)) < size_;
       ++i)
    if (text_[i - 1] == '*') return i - 1;
  return size_;
}

// Returns the position of the line feed that ends a line comment.
size_t Sorter::lineCommentEnd(size_t from) const {
  while (from < size_) {
    const void* found = std::memchr(text_ + from, '\n', size_ - from);
    if (!found) return size_;
    size_t i = static_cast<const char*>(found) - text_;
    if (!language_.splicesLines || text_[i - 1] != '\\') return i;
    from = i + 1;
  }
  return size_;
}

// Returns the position of the line feed that ends a preprocessor line.
// Literals and comments on the line are stepped over, so a line feed inside
// a block comment, or after a backslash, goes on with the line.
size_t Sorter::directiveEnd(size_t i) {
  if (isAt(i, '\n')) return i;  // a "#" alone on its line
  return scanDirective(i);
}

size_t Sorter::scanDirective(size_t i) {
  while ((i = scan_.findAny<'\n', '"', '\'', '/'>(text_, i, size_)) < size_) {
    char c = text_[i];
    if (c == '\n' && text_[i - 1] != '\\') return i;
    if (c == '"' || (c == '\'' && !isDigitSeparator(i))) {
      size_t close = scanLiteral(i);
      i = literalEdge_.numberFloor = close == size_ ? size_ : close + 1;
      if (close < size_ && text_[close] == '\n') return close;
    } else if (c == '/' && isAt(i + 1, '*')) {
      size_t close = commentClose(i + 2);
      i = close == size_ ? size_ : close + 2;
    } else if (c == '/' && isAt(i + 1, '/')) {
      return lineCommentEnd(i + 2);
    } else {
      ++i;
    }
  }
  return size_;
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
// that the quote at `quote`, after its prefix, opens; the end of the text
// when the text up to a "(" is no valid delimiter.
size_t Sorter::rawDelimiterEnd(size_t quote) const {
  for (size_t i = quote + 1; i < size_ && i - quote - 1 <= kMaxRawDelimiter;
       ++i) {
    if (text_[i] == '(') return i;
    if (!isRawDelimiterByte(static_cast<unsigned char>(text_[i]))) break;
  }
  return size_;
}

// Returns the position of the """ that closes a text block.
size_t Sorter::textBlockEnd(size_t i) const {
  for (; (i = scan_.findAny<'\\', '"'>(text_, i, size_)) < size_; ++i) {
    if (text_[i] == '\\')
      ++i;
    else if (isAt(i + 1, '"') && isAt(i + 2, '"'))
      return i;
  }
  return size_;
}

// True when the language has digit separators and the quote at `quote`
// separates the digits of a number: the word before it (letters, digits, "_",
// "." and "'", but not the closing quote of a literal) begins with a digit,
// or with "." and a digit.
bool Sorter::isDigitSeparator(size_t quote) {
  if (!language_.hasDigitSeparators) return false;
  size_t start = quote;
  while (start > literalEdge_.numberFloor &&
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
         (first == '.' && start + 1 < size_ &&
          isDigit(static_cast<unsigned char>(text_[start + 1])));
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
