#ifndef QUILLFIX_TESTS_SCAN_AGREEMENT_H_
#define QUILLFIX_TESTS_SCAN_AGREEMENT_H_

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "format/scan.h"

/// A stretch's steps as a test takes them, recording each stop it is asked
/// about: "(" and "]" are taken as they stand, a ")" too while one is open,
/// a run of blanks, tabs and line feeds is dropped, a ";" is written as
/// "<;>", a "#" as "<#>" and the stretch ends after it, and every other stop
/// ends the stretch.
class RecordingSteps {
 public:
  explicit RecordingSteps(const std::string& text) : text_(text) {}

  size_t operator()(size_t stop, char*& to) {
    asked_.push_back(stop);
    switch (text_[stop]) {
      case '(':
      case ']':
        open_ += text_[stop] == '(';
        return kTakenAsItStands;
      case ')':
        if (open_ == 0) return stop;
        --open_;
        return kTakenAsItStands;
      case ';':
        to = std::copy_n("<;>", 3, to);
        return stop + 1;
      case '#':
        to = std::copy_n("<#>", 3, to);
        return (stop + 1) | kEndsStretch;
      case ' ':
      case '\t':
      case '\n':
        return text_.find_first_not_of(" \t\n", stop) == std::string::npos
                   ? text_.size()
                   : text_.find_first_not_of(" \t\n", stop);
      default:
        return stop;
    }
  }
  const std::vector<size_t>& asked() const { return asked_; }

 private:
  const std::string& text_;
  std::vector<size_t> asked_;
  int open_ = 0;
};

/// What one walk of a stretch gave: where it ended, what it wrote and which
/// stops it asked about.
struct Walk {
  size_t end;
  std::string written;
  std::vector<size_t> asked;
  bool operator==(const Walk&) const = default;
};

/// Walks the stretch at `from` with `walk(text, from, size, to, steps)`.
template <class WalkFunction>
Walk walkWith(const std::string& text, size_t from, WalkFunction walk) {
  std::string out(4 * (text.size() - from) + 64, '\0');
  char* to = &out[0];
  RecordingSteps steps(text);
  size_t end = walk(text.data(), from, text.size(), to, steps);
  out.resize(to - out.data());
  return {end, out, steps.asked()};
}

inline const Scanner& scanner(bool wide) {
  static const Scanner kScanners[] = {Scanner(false), Scanner(true)};
  return kScanners[wide];
}

/// True when every width finds the first of `kStops` where the portable
/// width does, and so does the Scanner, narrow or wide.
template <char... kStops>
bool findsAgree(const std::string& text, size_t from) {
  const char* data = text.data();
  const size_t size = text.size();
  const size_t found = findAnyOver<Portable, kStops...>(data, from, size);
  bool agree = found == findAnyOver<Baseline, kStops...>(data, from, size) &&
               found == scanner(false).findAny<kStops...>(data, from, size) &&
               found == scanner(true).findAny<kStops...>(data, from, size);
#if defined(QUILLFIX_AVX2)
  if (hasAvx2())
    agree = agree && found == findAnyAvx2<kStops...>(data, from, size);
#endif
  return agree;
}

/// As findsAgree, for the first byte that is none of `kKept`.
template <char... kKept>
bool skipsAgree(const std::string& text, size_t from) {
  const char* data = text.data();
  const size_t size = text.size();
  const size_t end = skipAllOver<Portable, kKept...>(data, from, size);
  bool agree = end == skipAllOver<Baseline, kKept...>(data, from, size) &&
               end == scanner(false).skipAll<kKept...>(data, from, size) &&
               end == scanner(true).skipAll<kKept...>(data, from, size);
#if defined(QUILLFIX_AVX2)
  if (hasAvx2())
    agree = agree && end == skipAllAvx2<kKept...>(data, from, size);
#endif
  return agree;
}

/// True when every width walks the stretch at `from` as the portable width
/// does, and so does the Scanner, narrow or wide.
inline bool walksAgree(const std::string& text, size_t from) {
  auto portable = [](const char* t, size_t f, size_t s, char*& to,
                     RecordingSteps& steps) {
    return walkStretch<Portable>(t, f, s, to, steps);
  };
  auto baseline = [](const char* t, size_t f, size_t s, char*& to,
                     RecordingSteps& steps) {
    return walkStretch<Baseline>(t, f, s, to, steps);
  };
  auto scanned = [](bool wide) {
    return [wide](const char* t, size_t f, size_t s, char*& to,
                  RecordingSteps& steps) {
      return scanner(wide).copyStretch(t, f, s, to, std::ref(steps));
    };
  };
  const Walk walk = walkWith(text, from, portable);
  bool agree = walk == walkWith(text, from, baseline) &&
               walk == walkWith(text, from, scanned(false)) &&
               walk == walkWith(text, from, scanned(true));
#if defined(QUILLFIX_AVX2)
  auto wide = [](const char* t, size_t f, size_t s, char*& to,
                 RecordingSteps& steps) {
    return copyStretchAvx2(t, f, s, to, std::ref(steps));
  };
  if (hasAvx2()) agree = agree && walk == walkWith(text, from, wide);
#endif
  return agree;
}

/// True when every width of each scan the engine uses, from `from` in
/// `text`, gives what the portable width gives. `from` is less than the
/// text's size; a stretch is walked from 1 on, after a byte before it.
inline bool scansAgree(const std::string& text, size_t from) {
  return findsAgree<'\\', '"', '\n'>(text, from) &&
         findsAgree<'\\', '\'', '\n'>(text, from) &&
         findsAgree<'\\', '"'>(text, from) && findsAgree<'/'>(text, from) &&
         findsAgree<'\n', '"', '\'', '/'>(text, from) &&
         skipsAgree<' ', '\t', '\n'>(text, from) &&
         skipsAgree<';'>(text, from) && skipsAgree<')'>(text, from) &&
         skipsAgree<'('>(text, from) && (from == 0 || walksAgree(text, from));
}

#endif  // QUILLFIX_TESTS_SCAN_AGREEMENT_H_
