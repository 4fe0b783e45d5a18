#ifndef QUILLFIX_APP_LINE_RANGES_H_
#define QUILLFIX_APP_LINE_RANGES_H_

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/bytes.h"
#include "format/language.h"

// Lines `first` to `last` of a text, counted from 1, both included.
struct LineRange {
  size_t first;
  size_t last;
};

// A text with some of the changes toward its sorted code made.
struct TakenChanges {
  std::string text;
  std::vector<LineRange> producedLines;  // the lines the changes put in it
  std::vector<LineRange> replacedLines;  // the input's lines they replaced
};

/// Reads a range as --lines takes it, "START:END" in decimal digits with
/// 1 <= START <= END, into `range`; false, with `range` unchanged, when
/// `spec` is not one.
bool parseLineRange(std::string_view spec, LineRange* range);

/// Sorts a text the way the input was sorted, into `sorted`; false when it
/// cannot.
using Sorting = std::function<bool(std::string_view text, Bytes* sorted)>;

/// The sorting of whole files by `language` with `indentUnit` per level.
Sorting wholeFileSorting(const Language& language, std::string indentUnit);

/// `input` with only the changes toward `sorted` that touch `ranges` made.
/// A change is a run of changed lines of their line diff, joined with the
/// next ones until its lines in `input` and in `sorted` hold the same text
/// once blanks, tabs and line ends (LF or CR LF) are left out. It is taken when
/// its lines in `input` overlap a range, or, when it only adds lines, when it
/// adds them inside a range or right before or after one. The changes next to
/// the taken ones are taken too, farther each time, until the text that
/// results sorts to `sorted` again: the diff may have put an empty line into a
/// comment or a literal, whose text the layout keeps as it stands.
TakenChanges takeChanges(std::string_view input, std::string_view sorted,
                         const std::vector<LineRange>& ranges,
                         const Sorting& sortAgain);

/// The lines of `text`, with their line ends, that lie outside `ranges`.
std::vector<std::string_view> linesOutside(
    std::string_view text, const std::vector<LineRange>& ranges);

#endif  // QUILLFIX_APP_LINE_RANGES_H_
