#ifndef QUILLFIX_TESTS_SCAN_AGREEMENT_H_
#define QUILLFIX_TESTS_SCAN_AGREEMENT_H_

#include <algorithm>
#include <string>
#include <vector>

#include "format/scan.h"

/// A stretch's steps as a test takes them, recording each stop it is asked
/// about: "(" and "]" are taken as they stand, a ")" too while one is open,
/// a run of blanks, tabs and line feeds is dropped, a ";" is written as
/// "<;>", and every other stop ends the stretch.
class RecordingSteps {
 public:
  explicit RecordingSteps(const std::string& text) : text_(text) {}

  size_t operator()(size_t stop, char*& to) {
    asked_.push_back(stop);
    switch (text_[stop]) {
      case '(':
      case ']':
        open_ += text_[stop] == '(';
        ++to;
        return stop + 1;
      case ')':
        if (open_ == 0) return stop;
        --open_;
        ++to;
        return stop + 1;
      case ';':
        to = std::copy_n("<;>", 3, to);
        return stop + 1;
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

/// True when every width of each scan, from `from` in `text`, gives what the
/// portable width gives, and so does the Scanner, narrow or wide.
/// `from` is less than the text's size.
inline bool scansAgree(const std::string& text, size_t from) {
  // Asking the processor traps in a virtual machine: once is enough.
  static const bool kAvx2 = hasAvx2();
  static const Scanner kScanners[] = {Scanner(false), Scanner(true)};
  const char* data = text.data();
  const size_t size = text.size();
  const size_t found =
      findAnyOver<Portable, '\n', '"', '\'', '/'>(data, from, size);
  const size_t skipped =
      skipAllOver<Portable, ' ', '\t', '\n'>(data, from, size);
  auto portable = [](const char* t, size_t f, size_t s, char*& to,
                     RecordingSteps& steps) {
    return walkStretch<Portable>(t, f, s, to, steps);
  };
  auto baseline = [](const char* t, size_t f, size_t s, char*& to,
                     RecordingSteps& steps) {
    return walkStretch<Baseline>(t, f, s, to, steps);
  };
  const Walk walk = walkWith(text, from, portable);
  bool agree =
      found ==
          (findAnyOver<Baseline, '\n', '"', '\'', '/'>(data, from, size)) &&
      skipped == (skipAllOver<Baseline, ' ', '\t', '\n'>(data, from, size)) &&
      walk == walkWith(text, from, baseline);
  for (const Scanner& scanner : kScanners) {
    auto scanned = [&scanner](const char* t, size_t f, size_t s, char*& to,
                              RecordingSteps& steps) {
      return scanner.copyStretch(t, f, s, to, steps);
    };
    agree = agree &&
            found == scanner.findAny<'\n', '"', '\'', '/'>(data, from, size) &&
            skipped == scanner.skipAll<' ', '\t', '\n'>(data, from, size) &&
            walk == walkWith(text, from, scanned);
  }
#if defined(QUILLFIX_AVX2)
  auto wide = [](const char* t, size_t f, size_t s, char*& to,
                 RecordingSteps& steps) {
    return copyStretchAvx2(t, f, s, to, steps);
  };
  if (kAvx2)
    agree = agree &&
            found == (findAnyAvx2<'\n', '"', '\'', '/'>(data, from, size)) &&
            skipped == (skipAllAvx2<' ', '\t', '\n'>(data, from, size)) &&
            walk == walkWith(text, from, wide);
#endif
  return agree;
}

#endif  // QUILLFIX_TESTS_SCAN_AGREEMENT_H_
