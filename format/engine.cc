#include "format/engine.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>

#include "format/output.h"
#include "format/scan.h"

size_t sortedSizeLimit(size_t sourceSize) {
  const size_t base = size_t{256} << 20;
  const size_t most = static_cast<size_t>(-1);
  return sourceSize > (most - base) / 16 ? most : base + 16 * sourceSize;
}

namespace {

const size_t kMaxRawDelimiter = 16;
const size_t kNoLookalike = SIZE_MAX;
// Texts worth the once-only question for AVX2, which a virtual machine can
// take microseconds to answer.
const size_t kWideScanSize = 16 << 10;

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
// literal that the output could still take for the delimiter of a C++ quote
// that followed R but opened no raw string, anything (a "(" would open it). A
// quote after a literal separates no digits: a number starts after the last
// literal.
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

// What a comment says of the regions the layout leaves alone.
enum class Marker { kNone, kOff, kOn };

// The words that make a comment a marker, ours and those of other tools, so
// that code already marked for them is left alone too.
constexpr std::pair<std::string_view, Marker> kMarkers[] = {
    {"quillfix off", Marker::kOff},     {"quillfix on", Marker::kOn},
    {"clang-format off", Marker::kOff}, {"clang-format on", Marker::kOn},
    {"*INDENT-OFF*", Marker::kOff},     {"*INDENT-ON*", Marker::kOn},
};

std::string_view trimmed(std::string_view text) {
  const std::string_view kWhiteSpace = " \t\r\n";
  const size_t first = text.find_first_not_of(kWhiteSpace);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kWhiteSpace) - first + 1);
}

// A comment whose text, without its "//" or "/*" and "*/" and the white
// space around it, is a marker's words, alone or followed by ":" and a
// reason.
[[gnu::noinline]] Marker markerOf(std::string_view commentText) {
  const std::string_view text = trimmed(commentText);
  for (const auto& [words, marker] : kMarkers) {
    if (!text.starts_with(words)) continue;
    const std::string_view rest = trimmed(text.substr(words.size()));
    if (rest.empty() || rest[0] == ':') return marker;
  }
  return Marker::kNone;
}

// Lays out one text. The end of the text is `size_`: every search returns it
// when it finds nothing, and every look past a position tests against it.
//
// One loop walks the text a stretch at a time. A vector scan copies what
// needs no decision (ordinary characters, and a blank, tab or line feed after
// one of them) and stops at every byte that may; each stop takes the one step
// of its character class, which decides what its rule writes. A stretch goes
// on only while the layout's state is plain, so that what the scan copies is
// what the steps would write; otherwise it ends, and the next stretch begins
// by asking the step about its first character.
class Sorter {
 public:
  Sorter(std::string_view source, const Language& language,
         const std::string& indentUnit, Bytes* result, size_t limit,
         MarkedRegions regions, size_t slack);
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
  [[gnu::always_inline]] inline size_t blanksEnd(size_t i) const;
  // Returns the end of the run of `kRun` characters that starts at `i`.
  template <char kRun>
  size_t runEnd(size_t i) const {
    if (!isAt(i + 1, kRun)) return i + 1;  // most runs are one long
    return scan_.skipAll<kRun>(text_, i + 2, size_);
  }

  // The stretch at `i`, copied into room for the rest of the text.
  size_t stretch(size_t i);
  size_t firstStep(size_t i, char*& to);
  // The one step of each character class: each writes at `to`, moving it
  // past what it writes, and returns where the text goes on, or
  // kTakenAsItStands, or `i` itself when it needs more room than `to` has.
  [[gnu::always_inline]] inline size_t step(size_t i, char*& to);
  [[gnu::always_inline]] inline size_t ordinary(size_t i, char*& to);
  [[gnu::always_inline]] inline size_t blanks(size_t i, char*& to);
  size_t backslash(size_t i, char*& to);
  [[gnu::always_inline]] inline size_t openParens(size_t i, char*& to);
  [[gnu::always_inline]] inline size_t closeParens(size_t i, char*& to);
  [[gnu::always_inline]] inline size_t semicolons(size_t i, char*& to);
  [[gnu::noinline]] size_t startLines(size_t next, char*& to);
  [[gnu::always_inline]] inline size_t indentLine(size_t next, char*& to);
  size_t openBrace(size_t i, char*& to);
  [[gnu::noinline]] size_t closeBrace(size_t i, char*& to);
  [[gnu::always_inline]] inline size_t closeBraceLine(size_t i, char*& to);
  [[gnu::noinline]] size_t doubleQuote(size_t i, char*& to);
  [[gnu::noinline]] size_t singleQuote(size_t i, char*& to);
  size_t numberRest(size_t quote, char*& to);
  size_t gluedLiterals(size_t i, char*& to);
  [[gnu::always_inline]] inline size_t quotedLiteral(size_t quote, char*& to);
  [[gnu::always_inline]] inline size_t literal(size_t quote, size_t close,
                                               size_t closerSize,
                                               EndedLiteral kind, char*& to);
  size_t rawString(size_t quote, size_t open, char*& to);
  size_t textBlock(size_t quote, char*& to);
  [[gnu::noinline]] size_t directive(size_t hash, char*& to);
  [[gnu::noinline]] size_t slash(size_t i, char*& to);
  size_t blockComment(size_t slash, char*& to);
  size_t writeBlockComment(size_t slash, char*& to);
  Marker markerAt(size_t from, size_t end) const {
    if (!leavesRegions_) return Marker::kNone;
    return markerOf(std::string_view(text_ + from, end - from));
  }
  [[gnu::noinline]] void enterRegion(size_t from, const char* to);
  [[gnu::noinline]] bool leaveRegion(size_t comment, char*& to);
  [[gnu::noinline]] void leaveRegionAtEnd();
  [[gnu::noinline]] void keepRegionUpTo(size_t i);
  [[gnu::always_inline]] inline size_t writeThroughLineFeed(size_t from,
                                                            size_t lineFeed,
                                                            char*& to);

  // Where a stretch may go on after a step, and the room it has.
  [[gnu::always_inline]] inline size_t goOn(size_t next, const char* to);
  [[gnu::always_inline]] inline size_t goOnAfterWhiteSpace(size_t next);
  bool isPlain() const {
    return !atLineStart && !dropsNextBlank &&
           literalEdge_.distance == AfterLiteral::kFar;
  }
  static size_t endsAt(size_t i) { return i | kEndsStretch; }
  bool hasRoom(const char* to, size_t next, size_t bytes);
  void checkRoom(const char* to, size_t next) const;
  bool dropsBlank(const char* to) const {
    return atLineStart || dropsNextBlank || isWhiteSpace(to[-1]);
  }

  // The layout's own pieces, each written at `to`; each returns the end of
  // what it wrote, and the bytes it takes are measured beside it.
  [[gnu::always_inline]] inline char* writeStatementEnds(size_t count,
                                                         char* to);
  bool closesGroup(size_t count) const {
    return parenDepth >= 1 && static_cast<size_t>(parenDepth) <= count;
  }
  [[gnu::always_inline]] inline char* writeCloseParens(size_t count, char* to);
  size_t openBraceBytes(size_t guard) const;
  char* writeOpenBrace(size_t guard, char* to);
  size_t closeBraceBytes(size_t guard) const;
  char* writeCloseBrace(size_t guard, char* to);
  size_t lineStartGuardBytes(const char* to) const;
  static char* writeLineStartGuard(size_t guard, char* to);
  char* writeComment(size_t slash, size_t close, char* to);
  size_t indentBytes(long long levels) const;
  [[gnu::always_inline]] inline char* writeIndent(long long levels, char* to);
  [[gnu::noinline]] char* writeLongIndent(size_t bytes, char* to);

  // What the ordinary-character step writes before its characters.
  size_t beforeOrdinaryBytes() const;
  [[gnu::always_inline]] inline char* writeBeforeOrdinary(char first, char* to);
  [[gnu::noinline]] char* writeIndentOrBlank(char first, char* to);
  [[gnu::always_inline]] inline char* writeOrdinary(size_t from, size_t end,
                                                    char* to);
  bool keepsApartFromLiteral(unsigned char c) const;

  // Where modes end, and what the text around a position holds.
  [[gnu::always_inline]] inline size_t scanLiteral(size_t quote) const;
  [[gnu::noinline]] size_t scanLongLiteral(size_t i, char closing) const;
  size_t commentClose(size_t from) const;
  size_t lineCommentEnd(size_t from) const;
  [[gnu::always_inline]] inline size_t directiveEnd(size_t from);
  [[gnu::noinline]] size_t scanDirective(size_t from);
  bool followsRawPrefix(size_t quote) const;
  size_t delimiterEnd(size_t quote) const;
  bool opensRawString(size_t quote, size_t end) const;
  EndedLiteral kindAfter(const char* end, EndedLiteral kind) const;
  size_t textBlockEnd(size_t from) const;
  bool isDigitSeparator(size_t quote);
  size_t whiteSpaceBefore(const char* text, size_t end) const;
  bool startsSourceLine(size_t i) const;
  bool outputLineHasInk(const char* to) const;
  bool endsInLineFeed(const char* text, size_t end) const;

  const char* text_;
  size_t size_;
  const Language& language_;
  const ClassTable classes_;
  size_t unitSize_;
  std::string indentRun_;  // 64 units, written a run at a time
  Output out_;
  Scanner scan_;
  const size_t slack_;           // room past the rest of the text in a stretch
  const bool leavesRegions_;     // regions that comments mark are left alone
  char* outputStart_ = nullptr;  // where the output starts
  char* roomEnd_ = nullptr;      // the end of the room a stretch is copied into
  size_t neededRoom_ = 0;        // what the step that ended a stretch asked for

  // The region left alone that the layout is in: where it starts in the text,
  // and where in the output, which the layout writes over as if it sorted it.
  bool inRegion_ = false;
  size_t regionFrom_ = 0;
  size_t regionOut_ = 0;

  // The layout's state: modes need none, since each mode is copied whole by
  // the step that opens it. While atLineStart is set, the next character
  // that the ordinary-character step writes is indented first. The next
  // blank, tab or line feed is dropped after white space written, and
  // while dropsNextBlank is set.
  bool atLineStart = true;
  bool dropsNextBlank = true;
  LiteralEdge literalEdge_;
  long long braceDepth = 0;
  long long parenDepth = 0;

  // The last quote tested as a digit separator (none yet: the end of the
  // text) and where the word before it starts, so that a long number costs
  // one scan.
  size_t numberQuote_;
  size_t numberStart_ = 0;

  // Where the output after the last quote that followed a raw string's
  // prefix but opened none starts, if it is still to be watched.
  size_t lookalikeOut_ = kNoLookalike;
};

Sorter::Sorter(std::string_view source, const Language& language,
               const std::string& indentUnit, Bytes* result, size_t limit,
               MarkedRegions regions, size_t slack)
    : text_(source.data()),
      size_(source.size()),
      language_(language),
      classes_(makeClasses(language)),
      unitSize_(indentUnit.size()),
      // Real code sorts to no more than its own size; more is made room for
      // as the text grows.
      out_(result, limit, source.size() + slack,
           source.size() + source.size() / 16 + 4096),
      scan_(source.size() >= kWideScanSize),
      slack_(slack),
      leavesRegions_(regions == MarkedRegions::kLeftAlone),
      numberQuote_(source.size()) {
  const size_t kUnitsPerRun = 64;
  for (size_t k = 0; k < kUnitsPerRun; ++k) indentRun_ += indentUnit;
  // A store of kSlack bytes reads that many, even for an empty unit.
  if (indentRun_.size() < Output::kSlack) indentRun_.resize(Output::kSlack);
}

bool Sorter::finish() {
  return out_.finish();
}

// Once the text is full, no room is given: the loop ends.
void Sorter::run() {
  for (size_t i = 0; i < size_;) i = stretch(i);
  if (inRegion_) leaveRegionAtEnd();
}

// Claims room for the rest of the text and the slack, or for what the step
// that ended the last stretch asked for, and walks the stretch at `i`.
size_t Sorter::stretch(size_t i) {
  if (inRegion_) keepRegionUpTo(i);
  const size_t room = std::max(size_ - i + slack_, neededRoom_);
  char* to = out_.claim(room);
  if (!to) return size_;
  outputStart_ = out_.data();
  roomEnd_ = to + room;
  neededRoom_ = 0;
  size_t end = firstStep(i, to);
  if (static_cast<ptrdiff_t>(end) > static_cast<ptrdiff_t>(i) && end < size_) {
    // The steps are inlined into the scan, as is every step they inline: a
    // call at each stop would cost more than the step.
    auto take = [this](size_t stop, char*& at) __attribute__((always_inline)) {
      if (!isPlain()) __builtin_unreachable();  // as goOn leaves it
      return step(stop, at);
    };
    end = scan_.copyStretch(text_, end, size_, to, take);
  }
  end &= ~kEndsStretch;
  checkRoom(to, end);
  out_.takeUpTo(to);
  return end;
}

// The first character of a stretch is asked about whatever it is. A literal
// across dropped white space is met by the first character after it, which
// leaves it far whatever its step.
size_t Sorter::firstStep(size_t i, char*& to) {
  const AfterLiteral distance = literalEdge_.distance;
  if (distance != AfterLiteral::kFar && classAt(i) != kBlank)
    literalEdge_.pass();
  size_t goesOn = step(i, to);
  if (goesOn == i) {  // the step waits for room, and is asked again
    literalEdge_.distance = distance;
    return i;
  }
  if (literalEdge_.distance == AfterLiteral::kMeeting)
    literalEdge_.distance = AfterLiteral::kFar;
  if (goesOn != kTakenAsItStands) return goesOn;
  *to++ = text_[i];
  return i + 1;
}

size_t Sorter::step(size_t i, char*& to) {
  switch (classAt(i)) {
    case kOrdinary:
      return ordinary(i, to);
    case kBlank:
      return blanks(i, to);
    case kBackslash:
      return backslash(i, to);
    case kDoubleQuote:
      return doubleQuote(i, to);
    case kSingleQuote:
      return singleQuote(i, to);
    case kHash:
      return directive(i, to);
    case kOpenParen:
      return openParens(i, to);
    case kCloseParen:
      return closeParens(i, to);
    case kSlash:
      return slash(i, to);
    case kSemicolon:
      return semicolons(i, to);
    case kOpenBrace:
      return openBrace(i, to);
    case kCloseBrace:
      return closeBrace(i, to);
  }
  __builtin_unreachable();  // the class table holds no other class
}

// A stretch goes on at `next` only where the layout's state is plain: not at
// the start of a line, not after a literal, and with the output's last byte
// saying whether the next blank is dropped.
size_t Sorter::goOn(size_t next, const char* to) {
  if (atLineStart) return endsAt(next);  // as when nothing is written yet
  if (dropsNextBlank && isWhiteSpace(to[-1])) dropsNextBlank = false;
  return isPlain() ? next : endsAt(next);
}

// As goOn, after a step whose piece ends in white space: the next blank is
// dropped for that, and no literal is near.
size_t Sorter::goOnAfterWhiteSpace(size_t next) {
  dropsNextBlank = false;
  return atLineStart ? endsAt(next) : next;
}

// True when, with `to` where the byte at `next` goes, there is room for
// `bytes` bytes more and the rest of the text; else what that needs is kept
// for the next stretch to claim.
bool Sorter::hasRoom(const char* to, size_t next, size_t bytes) {
  const size_t needed = bytes + (size_ - next);
  if (needed <= static_cast<size_t>(roomEnd_ - to)) return true;
  neededRoom_ = needed;
  return false;
}

// The room claimed holds the rest of the text wherever a stretch ends; a
// step that wrote past its measure would have written past it. The slack
// hides a short measure, so only a stretch claimed without slack, as the
// tests claim it, can tell.
void Sorter::checkRoom(const char* to, size_t next) const {
  if (slack_ == 0 && size_ - next > static_cast<size_t>(roomEnd_ - to))
    std::abort();
}

size_t Sorter::blanksEnd(size_t i) const {
  while (isBlankAt(i)) ++i;
  return i;
}

// The ordinary-character step: a character written as it stands, after what
// the layout writes before it.
size_t Sorter::ordinary(size_t i, char*& to) {
  if (!atLineStart && literalEdge_.distance != AfterLiteral::kMeeting) {
    dropsNextBlank = false;
    return kTakenAsItStands;
  }
  if (!hasRoom(to, i, beforeOrdinaryBytes())) return i;
  to = writeOrdinary(i, i + 1, to);
  return goOn(i + 1, to);
}

// Of a run of blanks, tabs and line feeds only the first can be written, a
// tab as a blank; the rest are dropped.
size_t Sorter::blanks(size_t i, char*& to) {
  if (!dropsBlank(to)) *to++ = asBlank(text_[i]);
  if (literalEdge_.distance == AfterLiteral::kClosed)
    literalEdge_.distance = AfterLiteral::kSpaced;
  dropsNextBlank = true;
  return goOn(blanksEnd(i + 1), to);
}

// A backslash before a line feed splices two lines. The line feed is written,
// and so is the first blank after it, so that the lines it joins stay apart.
size_t Sorter::backslash(size_t i, char*& to) {
  if (!isAt(i + 1, '\n')) return ordinary(i, to);
  if (!hasRoom(to, i, beforeOrdinaryBytes())) return i;
  to = writeOrdinary(i, i + 2, to);
  size_t next = i + 2;
  if (isBlankAt(next)) {
    *to++ = asBlank(text_[next]);
    next = blanksEnd(next + 1);
  }
  dropsNextBlank = true;
  return endsAt(next);
}

// Each "(" deepens the nesting; a run of them is written as it stands.
size_t Sorter::openParens(size_t i, char*& to) {
  const size_t end =
      isAt(i + 1, '(') && isAt(i + 2, '(') ? runEnd<'('>(i) : i + 1;
  if (end == i + 1) {
    const size_t goesOn = ordinary(i, to);
    if (goesOn != i) ++parenDepth;
    return goesOn;
  }
  if (!hasRoom(to, i, beforeOrdinaryBytes())) return i;
  parenDepth += end - i;
  to = writeOrdinary(i, end, to);
  return goOn(end, to);
}

// Each ")" is written; the one that closes the outermost group is followed
// by a blank, and the white space after it is dropped. A ")" leaves the next
// blank dropped as it was before it.
size_t Sorter::closeParens(size_t i, char*& to) {
  const size_t end = runEnd<')'>(i);
  const size_t count = end - i;
  const bool closes = closesGroup(count);
  if (!closes && count == 1 && !dropsBlank(to)) {
    --parenDepth;
    return kTakenAsItStands;
  }
  if (!hasRoom(to, end, count + closes)) return i;
  const bool drops = dropsBlank(to);
  to = writeCloseParens(count, to);
  if (to[-1] == ' ') return goOnAfterWhiteSpace(blanksEnd(end));
  dropsNextBlank = drops || closes;
  return goOn(end, to);
}

// Inside parentheses, a ";" is an ordinary character. Outside them, each ";"
// ends a line, the white space after them is dropped, and when an ordinary
// character starts the next line, its indentation is written as the
// ordinary-character step writes it; other lines that start there are
// startLines'.
size_t Sorter::semicolons(size_t i, char*& to) {
  if (parenDepth != 0) return ordinary(i, to);
  const size_t end = runEnd<';'>(i);
  const size_t count = end - i;
  const size_t next = blanksEnd(end);
  const bool indents = isOrdinaryAt(next);
  const size_t bytes = 2 * count + (indents ? indentBytes(braceDepth) : 0);
  if (!hasRoom(to, next, bytes)) return i;
  to = writeStatementEnds(count, to);
  if (!indents) return startLines(next, to);
  return indentLine(next, to);
}

// The ordinary character at `next` starts a line: its indentation is
// written, as the ordinary-character step writes it, and the stretch goes on
// over the character.
size_t Sorter::indentLine(size_t next, char*& to) {
  to = writeIndent(braceDepth, to);
  atLineStart = false;
  dropsNextBlank = false;
  return next;
}

// The lines that start at `next`, after a statement's end: each "}" and each
// block comment takes its step there, on a line of its own, and an ordinary
// character after them is indented there. Anything else ends the stretch,
// and takes its own step at the start of a line. None of them meets a
// literal before the statement's end.
size_t Sorter::startLines(size_t next, char*& to) {
  literalEdge_.distance = AfterLiteral::kFar;
  while (next < size_) {
    size_t goesOn;
    if (text_[next] == '}' && !isAt(next + 1, ';'))
      goesOn = closeBraceLine(next, to);
    else if (text_[next] == '}')
      goesOn = closeBrace(next, to);
    else if (text_[next] == '/' && isAt(next + 1, '*'))
      goesOn = blanksEnd(writeBlockComment(next, to));
    else if (classAt(next) == kOrdinary &&
             hasRoom(to, next, indentBytes(braceDepth)))
      return indentLine(next, to);
    else
      break;
    if (goesOn == next) break;
    next = goesOn & ~kEndsStretch;
    if (!atLineStart) return goOn(next, to);
  }
  return endsAt(next);
}

// A "{" stands on a line of its own at the depth outside it, and the next
// line is indented at once by the inner level; the white space after it is
// dropped.
size_t Sorter::openBrace(size_t i, char*& to) {
  const size_t next = blanksEnd(i + 1);
  const size_t guard = lineStartGuardBytes(to);
  if (!hasRoom(to, next, openBraceBytes(guard))) return i;
  to = writeOpenBrace(guard, to);
  return goOnAfterWhiteSpace(next);
}

// A "}" stands on a line of its own, followed by an empty line, and the white
// space after it is dropped; one right before ";" stays on the line with it,
// written as an ordinary character, and the ";" ends the line.
size_t Sorter::closeBrace(size_t i, char*& to) {
  if (isAt(i + 1, ';')) {
    --braceDepth;
    const size_t goesOn = ordinary(i, to);
    if (goesOn == i) ++braceDepth;
    return goesOn;
  }
  return closeBraceLine(i, to);
}

// A "}" on a line of its own.
size_t Sorter::closeBraceLine(size_t i, char*& to) {
  const size_t next = blanksEnd(i + 1);
  const size_t guard = lineStartGuardBytes(to);
  if (!hasRoom(to, next, closeBraceBytes(guard))) return i;
  to = writeCloseBrace(guard, to);
  return goOnAfterWhiteSpace(next);
}

size_t Sorter::doubleQuote(size_t i, char*& to) {
  if (!hasRoom(to, i, beforeOrdinaryBytes())) return i;
  if (language_.hasTextBlocks && isAt(i + 1, '"') && isAt(i + 2, '"'))
    return textBlock(i, to);
  bool rawPrefix = language_.hasRawStrings && followsRawPrefix(i);
  if (rawPrefix) {
    const size_t end = delimiterEnd(i);
    if (opensRawString(i, end)) return rawString(i, end, to);
  }
  size_t end = quotedLiteral(i, to);
  if (!rawPrefix) return gluedLiterals(end, to);
  lookalikeOut_ = static_cast<size_t>(to - outputStart_) - (end - i) + 1;
  literalEdge_.kind = kindAfter(to, literalEdge_.kind);
  return goOn(end, to);
}

size_t Sorter::singleQuote(size_t i, char*& to) {
  if (!hasRoom(to, i, beforeOrdinaryBytes())) return i;
  // A digit separator is an ordinary character, written with the digits
  // after it.
  if (isDigitSeparator(i)) return numberRest(i, to);
  return gluedLiterals(quotedLiteral(i, to), to);
}

// A literal written up to `end` is kept apart from what follows when what
// the output holds after a quote that followed a raw string's prefix but
// opened none could still be that raw string's delimiter: with the white
// space after the literal dropped, a "(" would open the raw string. The
// output decides, not the text, since the layout's own line feeds end a
// delimiter too.
EndedLiteral Sorter::kindAfter(const char* end, EndedLiteral kind) const {
  const size_t endOut = end - outputStart_;
  if (lookalikeOut_ > endOut || endOut - lookalikeOut_ > kMaxRawDelimiter)
    return kind;
  for (const char* c = outputStart_ + lookalikeOut_; c < end; ++c)
    if (!isRawDelimiterByte(static_cast<unsigned char>(*c))) return kind;
  return EndedLiteral::kRawLookalike;
}

// Writes the rest of a number from its digit separator at `quote`: every
// further quote in it separates digits too, as it follows the same start.
size_t Sorter::numberRest(size_t quote, char*& to) {
  size_t end = quote + 1;
  while (end < size_ && isNumberByte(static_cast<unsigned char>(text_[end])))
    ++end;
  to = writeOrdinary(quote, end, to);
  return goOn(end, to);
}

// Literals of one kind written right after a closed one, as "a""b" or '',
// are copied with it in one piece, and leave the state their last one
// leaves. A quote right after a closed literal opens no raw string and
// separates no digits; in Java, a third quote would open a text block,
// which the next step sees to.
size_t Sorter::gluedLiterals(size_t i, char*& to) {
  if (literalEdge_.distance != AfterLiteral::kClosed) return goOn(i, to);
  const size_t start = i;
  size_t close = i - 1;  // the quote that closed the literal before
  const char quote = text_[close];
  if (quote == '"' && language_.hasTextBlocks) return endsAt(start);
  while (isAt(close + 1, quote)) {
    close = scanLiteral(close + 1);
    if (close == size_ || text_[close] == '\n') break;
  }
  if (close == start - 1) return endsAt(start);
  size_t end = close == size_ ? size_ : close + 1;
  std::memcpy(to, text_ + start, end - start);
  to += end - start;
  literalEdge_.kind = kindAfter(to, EndedLiteral::kPlain);
  literalEdge_.numberFloor = end;
  dropsNextBlank = true;
  if (close == size_ || text_[close] == '\n')
    literalEdge_.distance = AfterLiteral::kFar;
  return goOn(end, to);
}

// A string or character literal, which ends at its own quote or its line.
size_t Sorter::quotedLiteral(size_t quote, char*& to) {
  bool emptyString =
      language_.hasTextBlocks && text_[quote] == '"' && isAt(quote + 1, '"');
  return literal(
      quote, scanLiteral(quote), 1,
      emptyString ? EndedLiteral::kEmptyString : EndedLiteral::kPlain, to);
}

// Writes the literal of kind `kind` from `quote` through its closer of
// `closerSize` bytes at `close`, or to the end of the text. A line feed that
// closes it leaves it open: it is not closed by its quote.
size_t Sorter::literal(size_t quote, size_t close, size_t closerSize,
                       EndedLiteral kind, char*& to) {
  size_t end = close == size_ ? size_ : close + closerSize;
  to = writeOrdinary(quote, end, to);
  bool closedByQuote = close != size_ && text_[close] != '\n';
  dropsNextBlank = true;
  literalEdge_ = {closedByQuote ? AfterLiteral::kClosed : AfterLiteral::kFar,
                  kindAfter(to, kind), end};
  return end;
}

// A raw string whose delimiter ends with the "(" at `open`.
size_t Sorter::rawString(size_t quote, size_t open, char*& to) {
  std::string closing = ")";
  closing.append(text_ + quote + 1, open - quote - 1);
  closing += '"';
  size_t close = std::string_view(text_, size_).find(closing, open + 1);
  size_t end = literal(quote, std::min(close, size_), closing.size(),
                       EndedLiteral::kPlain, to);
  return goOn(end, to);
}

size_t Sorter::textBlock(size_t quote, char*& to) {
  size_t end =
      literal(quote, textBlockEnd(quote + 3), 3, EndedLiteral::kPlain, to);
  return goOn(end, to);
}

// The usual directive follows a line feed in the source and in the output;
// one that starts a source line after other text in the output is given a
// line of its own.
size_t Sorter::directive(size_t hash, char*& to) {
  if (!hasRoom(to, hash, 1 + beforeOrdinaryBytes())) return hash;
  bool settled = endsInLineFeed(text_, hash) &&
                 endsInLineFeed(outputStart_, to - outputStart_);
  if (!settled && startsSourceLine(hash) && outputLineHasInk(to)) *to++ = '\n';
  // Directives on the lines that follow start lines of the output too: they
  // are written with this one, in one piece.
  size_t lineFeed = directiveEnd(hash + 1);
  while (isAt(lineFeed + 1, '#')) lineFeed = directiveEnd(lineFeed + 2);
  return writeThroughLineFeed(hash, lineFeed, to);
}

size_t Sorter::slash(size_t i, char*& to) {
  if (isAt(i + 1, '*')) return blockComment(i, to);
  if (!isAt(i + 1, '/')) return ordinary(i, to);
  const size_t lineFeed = lineCommentEnd(i + 2);
  const Marker marker = markerAt(i + 2, lineFeed);
  if (marker == Marker::kOn && inRegion_ && !leaveRegion(i, to)) return i;
  if (!hasRoom(to, i, beforeOrdinaryBytes())) return i;
  const size_t goesOn = writeThroughLineFeed(i, lineFeed, to);
  if (marker == Marker::kOff && !inRegion_)
    enterRegion(lineFeed == size_ ? size_ : lineFeed + 1, to);
  return goesOn;
}

// The end of a block comment ends its line, as a statement's end does, and
// the lines after it start as after a statement's end.
size_t Sorter::blockComment(size_t slash, char*& to) {
  const size_t end = writeBlockComment(slash, to);
  if (end == slash) return slash;  // it waits for room
  if (end == size_) return goOn(end, to);
  return startLines(blanksEnd(end), to);
}

// Writes the block comment at `slash` as it stands, or to the end of the
// text when it is not closed; returns where it ends, or `slash` when it
// needs more room than `to` has.
size_t Sorter::writeBlockComment(size_t slash, char*& to) {
  const size_t close = commentClose(slash + 2);
  const size_t end = close == size_ ? size_ : close + 2;
  const Marker marker =
      close == size_ ? Marker::kNone : markerAt(slash + 2, close);
  if (marker == Marker::kOn && inRegion_ && !leaveRegion(slash, to))
    return slash;
  if (!hasRoom(to, end, beforeOrdinaryBytes() + (end - slash) + 1))
    return slash;
  if (close == size_) {
    to = writeOrdinary(slash, size_, to);
    return size_;
  }
  to = writeComment(slash, close, writeBeforeOrdinary(text_[slash], to));
  // The region takes the place of the line feed after the comment's end.
  if (marker == Marker::kOff && !inRegion_) enterRegion(end, to - 1);
  return end;
}

// What the layout writes for the region being left alone will be written
// over by the region's own text: the text keeps that text up to `i`, and its
// room may grow past the allowance as far as the limit of a whole text of
// this size, which bounds the memory.
void Sorter::keepRegionUpTo(size_t i) {
  out_.keepOnly(regionOut_ + (i - regionFrom_), sortedSizeLimit(size_));
}

// A region left alone starts at `from` in the text, written at `to`.
void Sorter::enterRegion(size_t from, const char* to) {
  inRegion_ = true;
  regionFrom_ = from;
  regionOut_ = to - outputStart_;
}

// Writes the region left alone as it was read, over what the layout wrote
// for it, up to the comment at `comment` that ends it, and moves `to` after
// it; false, with nothing changed, when that needs more room than `to` has.
// The comment is written as it stands after the region's own white space.
bool Sorter::leaveRegion(size_t comment, char*& to) {
  char* const regionTo = outputStart_ + regionOut_;
  // The line feed after a block comment's end too: the comment always fits.
  if (!hasRoom(regionTo, regionFrom_, 1)) return false;
  std::memcpy(regionTo, text_ + regionFrom_, comment - regionFrom_);
  to = regionTo + (comment - regionFrom_);
  inRegion_ = false;
  out_.keepAll();
  atLineStart = false;
  dropsNextBlank = false;
  literalEdge_.distance = AfterLiteral::kFar;
  // A delimiter cannot reach past the comment that ends a region.
  lookalikeOut_ = kNoLookalike;
  return true;
}

// A region that no comment ends runs to the end of the text.
void Sorter::leaveRegionAtEnd() {
  keepRegionUpTo(size_);
  const size_t bytes = size_ - regionFrom_;
  if (!out_.claim(bytes)) return;
  char* const regionTo = out_.data() + regionOut_;
  std::memcpy(regionTo, text_ + regionFrom_, bytes);
  out_.takeUpTo(regionTo + bytes);
}

// Writes a line comment or preprocessor line from `from` through the line
// feed at `lineFeed` that ends it, or to the end of the text. That line feed
// does not set atLineStart, so the line after a line comment is not
// indented.
size_t Sorter::writeThroughLineFeed(size_t from, size_t lineFeed, char*& to) {
  size_t end = lineFeed == size_ ? size_ : lineFeed + 1;
  to = writeOrdinary(from, end, to);
  if (lineFeed != size_) dropsNextBlank = true;
  return goOn(end, to);
}

// Each ";" outside parentheses ends a line.
char* Sorter::writeStatementEnds(size_t count, char* to) {
  atLineStart = true;
  if (count == 1) {  // the usual case, as one store
    std::memcpy(to, ";\n", 2);
    return to + 2;
  }
  for (size_t k = 0; k < count; ++k, to += 2) std::memcpy(to, ";\n", 2);
  return to;
}

// Each ")" is written; the one that closes the outermost group is followed
// by a blank.
char* Sorter::writeCloseParens(size_t count, char* to) {
  if (count == 1) {  // the usual case, without a call
    *to++ = ')';
    if (--parenDepth == 0) *to++ = ' ';
    return to;
  }
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
char* Sorter::writeOpenBrace(size_t guard, char* to) {
  const long long outer = braceDepth++;
  to = writeIndent(outer, writeLineStartGuard(guard, to));
  std::memcpy(to, "{\n", 2);
  return writeIndent(outer + 1, to + 2);
}

// The bytes of a "}" after `guard` line feeds.
size_t Sorter::closeBraceBytes(size_t guard) const {
  return guard + indentBytes(braceDepth - 1) + 3;
}

char* Sorter::writeCloseBrace(size_t guard, char* to) {
  const long long outer = --braceDepth;
  to = writeIndent(outer, writeLineStartGuard(guard, to));
  std::memcpy(to, "}\n\n", 3);
  return to + 3;
}

// A brace begins a line; an empty text is at the start of one. A line feed
// after a backslash splices two lines instead of starting one, so a line
// that ends in a backslash is followed by an empty line. Returns the line
// feeds to write after the text that ends at `to`.
size_t Sorter::lineStartGuardBytes(const char* to) const {
  const size_t written = to - outputStart_;
  if (written == 0) return 0;
  const bool splices = language_.splicesLines;
  if (to[-1] != '\n') return splices && to[-1] == '\\' ? 2 : 1;
  return splices && written >= 2 && to[-2] == '\\' ? 1 : 0;
}

// Writes the `guard` line feeds that lineStartGuardBytes gives.
char* Sorter::writeLineStartGuard(size_t guard, char* to) {
  if (guard > 0) *to++ = '\n';
  if (guard > 1) *to++ = '\n';
  return to;
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

// The bytes the ordinary-character step writes before its characters.
size_t Sorter::beforeOrdinaryBytes() const {
  return (atLineStart ? indentBytes(braceDepth) : 0) +
         (literalEdge_.distance == AfterLiteral::kMeeting ? 1 : 0);
}

// What the ordinary-character step writes before the character `first`: the
// indentation at the start of a line, and a blank that keeps it off a
// literal.
char* Sorter::writeBeforeOrdinary(char first, char* to) {
  if (atLineStart || literalEdge_.distance == AfterLiteral::kMeeting)
    to = writeIndentOrBlank(first, to);
  atLineStart = false;
  dropsNextBlank = false;
  literalEdge_.distance = AfterLiteral::kFar;
  return to;
}

char* Sorter::writeIndentOrBlank(char first, char* to) {
  if (atLineStart) to = writeIndent(braceDepth, to);
  if (literalEdge_.distance == AfterLiteral::kMeeting &&
      keepsApartFromLiteral(static_cast<unsigned char>(first)))
    *to++ = ' ';
  return to;
}

// The ordinary-character step, for the characters from `from` to `end` at
// once: a run of ordinary characters, or a mode's characters, which are
// copied as they stand.
char* Sorter::writeOrdinary(size_t from, size_t end, char* to) {
  to = writeBeforeOrdinary(text_[from], to);
  Output::copy(to, text_ + from, end - from);
  return to + (end - from);
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

// Returns where the delimiter that could follow the quote at `quote`, after
// a raw string's prefix, ends: at the first byte after it that may not stand
// in a delimiter, or one past the longest delimiter.
size_t Sorter::delimiterEnd(size_t quote) const {
  size_t i = quote + 1;
  while (i < size_ && i - quote - 1 <= kMaxRawDelimiter &&
         isRawDelimiterByte(static_cast<unsigned char>(text_[i])))
    ++i;
  return i;
}

// True when the delimiter from `quote` to `end` opens a raw string: a "("
// ends it, at most kMaxRawDelimiter bytes after the quote.
bool Sorter::opensRawString(size_t quote, size_t end) const {
  return end < size_ && text_[end] == '(' &&
         end - quote - 1 <= kMaxRawDelimiter;
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
bool Sorter::outputLineHasInk(const char* to) const {
  size_t i = whiteSpaceBefore(outputStart_, to - outputStart_);
  return i > 0 && outputStart_[i - 1] != '\n';
}

// True when a line feed ends `text` at `end` and does not splice.
bool Sorter::endsInLineFeed(const char* text, size_t end) const {
  return end > 0 && text[end - 1] == '\n' &&
         !(language_.splicesLines && end > 1 && text[end - 2] == '\\');
}

}  // namespace

bool sortText(std::string_view source, const Language& language,
              const std::string& indentUnit, size_t limit, Bytes* result,
              MarkedRegions regions, size_t slack) {
  Sorter sorter(source, language, indentUnit, result, limit, regions, slack);
  sorter.run();
  return sorter.finish();
}
