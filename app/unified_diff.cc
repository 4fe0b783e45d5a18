#include "app/unified_diff.h"

#include <algorithm>
#include <dtl/dtl.hpp>
#include <unordered_set>
#include <vector>

namespace {

// Lines of unchanged text shown around each change.
constexpr size_t kContext = 3;

enum class Edit { kKeep, kDelete, kInsert };

struct Step {
  Edit edit;
  std::string_view line;  // with its line feed, if it has one
};

using Lines = std::vector<std::string_view>;

// A line that the other text holds too, and where it stands in its own.
struct Line {
  std::string_view text;
  size_t index;
  bool operator==(const Line& other) const { return text == other.text; }
};

// The lines of `lines` that `other` holds too. Only they can be kept, so
// the comparison need not look at any other: it gets much smaller where most
// lines changed, and its result is no longer.
std::vector<Line> linesAlsoIn(const Lines& lines, const Lines& other) {
  std::unordered_set<std::string_view> held(other.begin(), other.end());
  std::vector<Line> found;
  for (size_t k = 0; k < lines.size(); ++k) {
    if (held.count(lines[k])) found.push_back({lines[k], k});
  }
  return found;
}

// The steps that turn `before` into `after`, each change's deletions before
// its insertions.
std::vector<Step> stepsBetween(std::string_view before,
                               std::string_view after) {
  Lines oldLines = linesOf(before);
  Lines newLines = linesOf(after);
  std::vector<Line> oldShared = linesAlsoIn(oldLines, newLines);
  std::vector<Line> newShared = linesAlsoIn(newLines, oldLines);
  dtl::Diff<Line, std::vector<Line>> diff(oldShared, newShared);
  diff.compose();
  std::vector<Step> steps;
  std::vector<Step> insertions;
  size_t nextOld = 0;
  size_t nextNew = 0;
  auto deleteUpTo = [&](size_t end) {
    for (; nextOld < end; ++nextOld) {
      steps.push_back({Edit::kDelete, oldLines[nextOld]});
    }
  };
  auto insertUpTo = [&](size_t end) {
    for (; nextNew < end; ++nextNew) {
      insertions.push_back({Edit::kInsert, newLines[nextNew]});
    }
  };
  auto keep = [&]() {
    steps.insert(steps.end(), insertions.begin(), insertions.end());
    insertions.clear();
    steps.push_back({Edit::kKeep, oldLines[nextOld++]});
    ++nextNew;
  };
  for (const auto& [line, info] : diff.getSes().getSequence()) {
    if (info.type == dtl::SES_DELETE) {
      deleteUpTo(line.index + 1);
    } else if (info.type == dtl::SES_ADD) {
      insertUpTo(line.index + 1);
    } else {
      deleteUpTo(line.index);
      insertUpTo(newShared[info.afterIdx - 1].index);
      keep();
    }
  }
  deleteUpTo(oldLines.size());
  insertUpTo(newLines.size());
  steps.insert(steps.end(), insertions.begin(), insertions.end());
  return steps;
}

// The end of the hunk whose first change is steps[change]: changes less than
// 2 * kContext + 1 kept lines apart share it.
size_t hunkEnd(const std::vector<Step>& steps, size_t change) {
  size_t end = change;
  while (true) {
    while (end < steps.size() && steps[end].edit != Edit::kKeep) ++end;
    size_t kept = 0;
    while (end + kept < steps.size() && steps[end + kept].edit == Edit::kKeep) {
      ++kept;
    }
    if (end + kept == steps.size() || kept > 2 * kContext) {
      return end + std::min(kept, kContext);
    }
    end += kept;
  }
}

// A line range of a hunk header: its first line and count, the count left
// out when it is 1, and the line before the range for an empty one.
std::string range(size_t linesBefore, size_t count) {
  if (count == 0) return std::to_string(linesBefore) + ",0";
  std::string first = std::to_string(linesBefore + 1);
  return count == 1 ? first : first + ',' + std::to_string(count);
}

void appendHunk(const std::vector<Step>& steps, size_t begin, size_t end,
                size_t oldBefore, size_t newBefore, std::string* out) {
  size_t oldCount = 0;
  size_t newCount = 0;
  for (size_t k = begin; k < end; ++k) {
    oldCount += steps[k].edit != Edit::kInsert;
    newCount += steps[k].edit != Edit::kDelete;
  }
  *out += "@@ -" + range(oldBefore, oldCount) + " +" +
          range(newBefore, newCount) + " @@\n";
  for (size_t k = begin; k < end; ++k) {
    static constexpr char kMarks[] = {' ', '-', '+'};
    *out += kMarks[static_cast<int>(steps[k].edit)];
    *out += steps[k].line;
    if (!steps[k].line.ends_with('\n')) {
      *out += "\n\\ No newline at end of file\n";
    }
  }
}

}  // namespace

Lines linesOf(std::string_view text) {
  Lines lines;
  while (!text.empty()) {
    size_t end = std::min(text.find('\n'), text.size() - 1) + 1;
    lines.push_back(text.substr(0, end));
    text.remove_prefix(end);
  }
  return lines;
}

std::vector<LineHunk> lineHunks(std::string_view before,
                                std::string_view after) {
  std::vector<LineHunk> hunks;
  size_t oldLine = 0;
  size_t newLine = 0;
  bool inHunk = false;
  for (const Step& step : stepsBetween(before, after)) {
    if (step.edit == Edit::kKeep) {
      inHunk = false;
      ++oldLine;
      ++newLine;
      continue;
    }
    if (!inHunk) hunks.push_back({oldLine, oldLine, newLine, newLine});
    inHunk = true;
    if (step.edit == Edit::kDelete)
      hunks.back().oldEnd = ++oldLine;
    else
      hunks.back().newEnd = ++newLine;
  }
  return hunks;
}

std::string unifiedDiff(std::string_view path, std::string_view before,
                        std::string_view after) {
  if (before == after) return {};
  std::vector<Step> steps = stepsBetween(before, after);
  std::string out = "--- ";
  out.append(path).append("\n+++ ").append(path).append("\n");
  size_t oldBefore = 0;
  size_t newBefore = 0;
  size_t next = 0;
  while (true) {
    size_t change = next;
    while (change < steps.size() && steps[change].edit == Edit::kKeep) {
      ++change;
    }
    if (change == steps.size()) return out;
    size_t begin = std::max(next, change - std::min(change, kContext));
    size_t end = hunkEnd(steps, change);
    oldBefore += begin - next;
    newBefore += begin - next;
    appendHunk(steps, begin, end, oldBefore, newBefore, &out);
    for (size_t k = begin; k < end; ++k) {
      oldBefore += steps[k].edit != Edit::kInsert;
      newBefore += steps[k].edit != Edit::kDelete;
    }
    next = end;
  }
}
