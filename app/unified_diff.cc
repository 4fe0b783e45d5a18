#include "app/unified_diff.h"

#include <algorithm>
#include <dtl/dtl.hpp>
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

Lines linesOf(std::string_view text) {
  Lines lines;
  while (!text.empty()) {
    size_t end = std::min(text.find('\n'), text.size() - 1) + 1;
    lines.push_back(text.substr(0, end));
    text.remove_prefix(end);
  }
  return lines;
}

// The steps that turn `before` into `after`, each change's deletions before
// its insertions.
std::vector<Step> stepsBetween(std::string_view before,
                               std::string_view after) {
  dtl::Diff<std::string_view, Lines> diff(linesOf(before), linesOf(after));
  diff.compose();
  std::vector<Step> steps;
  std::vector<Step> insertions;
  for (const auto& [line, info] : diff.getSes().getSequence()) {
    if (info.type == dtl::SES_ADD) {
      insertions.push_back({Edit::kInsert, line});
      continue;
    }
    if (info.type == dtl::SES_COMMON) {
      steps.insert(steps.end(), insertions.begin(), insertions.end());
      insertions.clear();
    }
    steps.push_back(
        {info.type == dtl::SES_DELETE ? Edit::kDelete : Edit::kKeep, line});
  }
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
