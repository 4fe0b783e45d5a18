#include "app/line_ranges.h"

#include <algorithm>

#include "app/unified_diff.h"
#include "base/decimal.h"
#include "format/source.h"

namespace {

using Lines = std::vector<std::string_view>;

// The largest line number that --lines reads.
const size_t kMaxLineNumber = 999999999;

// A line number from 1 to kMaxLineNumber, in decimal digits alone.
bool parseLineNumber(std::string_view text, size_t* number) {
  return parseDecimal(text, 9, kMaxLineNumber, number);
}

// Two texts read a line at a time with their blanks, tabs and line ends
// (LF or CR LF) left out, and how far they agree.
class TokenComparison {
 public:
  void addOld(const Lines& lines, size_t begin, size_t end) {
    append(lines, begin, end, &old_);
  }
  void addNew(const Lines& lines, size_t begin, size_t end) {
    append(lines, begin, end, &new_);
  }
  bool agree() {
    size_t common = std::min(old_.size(), new_.size());
    while (matched_ < common && old_[matched_] == new_[matched_]) ++matched_;
    return matched_ == old_.size() && matched_ == new_.size();
  }

 private:
  static void append(const Lines& lines, size_t begin, size_t end,
                     std::string* text) {
    for (size_t k = begin; k < end; ++k) {
      std::string_view line = lines[k];
      if (line.ends_with("\r\n")) line.remove_suffix(2);
      for (char c : line)
        if (c != ' ' && c != '\t' && c != '\n') *text += c;
    }
  }

  std::string old_;
  std::string new_;
  size_t matched_ = 0;  // the characters both begin with, as far as seen
};

// The hunks, each joined with the next ones until both its sides hold the
// same tokens; the lines between joined hunks become part of the change.
std::vector<LineHunk> changesOf(const Lines& input, const Lines& sorted,
                                const std::vector<LineHunk>& hunks) {
  std::vector<LineHunk> changes;
  for (size_t k = 0; k < hunks.size();) {
    LineHunk change = hunks[k++];
    TokenComparison tokens;
    tokens.addOld(input, change.oldBegin, change.oldEnd);
    tokens.addNew(sorted, change.newBegin, change.newEnd);
    while (k < hunks.size() && !tokens.agree()) {
      tokens.addOld(input, change.oldEnd, hunks[k].oldEnd);
      tokens.addNew(sorted, change.newEnd, hunks[k].newEnd);
      change.oldEnd = hunks[k].oldEnd;
      change.newEnd = hunks[k].newEnd;
      ++k;
    }
    changes.push_back(change);
  }
  return changes;
}

bool touches(const LineHunk& change, const LineRange& range) {
  if (change.oldBegin == change.oldEnd)
    return change.oldBegin + 1 >= range.first && change.oldBegin <= range.last;
  return change.oldBegin < range.last && change.oldEnd >= range.first;
}

std::vector<bool> touchedBy(const std::vector<LineHunk>& changes,
                            const std::vector<LineRange>& ranges) {
  std::vector<bool> touched(changes.size(), false);
  for (size_t k = 0; k < changes.size(); ++k)
    for (const LineRange& range : ranges)
      if (touches(changes[k], range)) touched[k] = true;
  return touched;
}

// Takes also the changes up to `reach` changes away from a taken one.
void widen(std::vector<bool>* taken, size_t reach) {
  const size_t count = taken->size();
  std::vector<bool> wider(count, false);
  for (size_t k = 0; k < count; ++k) {
    if (!(*taken)[k]) continue;
    size_t last = std::min(count - 1, k + reach);
    for (size_t near = k >= reach ? k - reach : 0; near <= last; ++near)
      wider[near] = true;
  }
  *taken = wider;
}

void appendLines(const Lines& lines, size_t begin, size_t end,
                 std::string* text) {
  for (size_t k = begin; k < end; ++k) text->append(lines[k]);
}

// The input with the taken changes made, and the lines they replaced and
// produced.
TakenChanges withChanges(const Lines& inputLines, const Lines& sortedLines,
                         const std::vector<LineHunk>& changes,
                         const std::vector<bool>& taken) {
  TakenChanges result;
  size_t nextInput = 0;
  size_t linesOut = 0;
  for (size_t k = 0; k < changes.size(); ++k) {
    const LineHunk& change = changes[k];
    appendLines(inputLines, nextInput, change.oldBegin, &result.text);
    linesOut += change.oldBegin - nextInput;
    nextInput = change.oldEnd;
    if (!taken[k]) {
      appendLines(inputLines, change.oldBegin, change.oldEnd, &result.text);
      linesOut += change.oldEnd - change.oldBegin;
      continue;
    }
    if (change.oldEnd > change.oldBegin)
      result.replacedLines.push_back({change.oldBegin + 1, change.oldEnd});
    appendLines(sortedLines, change.newBegin, change.newEnd, &result.text);
    if (change.newEnd > change.newBegin)
      result.producedLines.push_back(
          {linesOut + 1, linesOut + change.newEnd - change.newBegin});
    linesOut += change.newEnd - change.newBegin;
  }
  appendLines(inputLines, nextInput, inputLines.size(), &result.text);
  return result;
}

}  // namespace

std::vector<std::string_view> linesOutside(
    std::string_view text, const std::vector<LineRange>& ranges) {
  std::vector<std::string_view> outside;
  const Lines lines = linesOf(text);
  for (size_t line = 1; line <= lines.size(); ++line) {
    bool inside = false;
    for (const LineRange& range : ranges)
      inside = inside || (line >= range.first && line <= range.last);
    if (!inside) outside.push_back(lines[line - 1]);
  }
  return outside;
}

bool parseLineRange(std::string_view spec, LineRange* range) {
  size_t colon = spec.find(':');
  if (colon == spec.npos) return false;
  LineRange read;
  if (!parseLineNumber(spec.substr(0, colon), &read.first) ||
      !parseLineNumber(spec.substr(colon + 1), &read.last) ||
      read.first > read.last)
    return false;
  *range = read;
  return true;
}

Sorting wholeFileSorting(const Language& language, std::string indentUnit) {
  return [&language, indentUnit](std::string_view text, Bytes* sorted) {
    return sortWholeFile(text, language, indentUnit, sorted) ==
           SortFailure::kNone;
  };
}

TakenChanges takeChanges(std::string_view input, std::string_view sorted,
                         const std::vector<LineRange>& ranges,
                         const Sorting& sortAgain) {
  const Lines inputLines = linesOf(input);
  const Lines sortedLines = linesOf(sorted);
  const std::vector<LineHunk> changes =
      changesOf(inputLines, sortedLines, lineHunks(input, sorted));
  std::vector<bool> taken = touchedBy(changes, ranges);
  for (size_t reach = 1;; reach *= 2) {
    TakenChanges result = withChanges(inputLines, sortedLines, changes, taken);
    Bytes again;
    if (result.text == input || result.text == sorted ||
        (sortAgain(result.text, &again) && view(again) == sorted))
      return result;
    widen(&taken, reach);
  }
}
