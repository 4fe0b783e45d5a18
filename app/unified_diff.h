#ifndef QUILLFIX_APP_UNIFIED_DIFF_H_
#define QUILLFIX_APP_UNIFIED_DIFF_H_

#include <string>
#include <string_view>
#include <vector>

/// The unified diff that turns `before` into `after`, as `diff -u` prints it
/// with `--label PATH` for both files: the headers `--- PATH` and `+++ PATH`,
/// then hunks with three lines of context, two changes at most six lines
/// apart sharing one hunk, and `\ No newline at end of file` after a last
/// line that has no line feed. Lines are what line feeds end, so a CR before
/// one is part of its line. Empty when the texts are equal.
///
/// Where several smallest diffs exist, the one chosen may differ from diff's;
/// a very large difference may give a diff that is not the smallest, but it
/// is always one that turns `before` into `after`.
std::string unifiedDiff(std::string_view path, std::string_view before,
                        std::string_view after);

/// A run of changed lines, counted from 0: the lines [oldBegin, oldEnd) of
/// the text before give way to the lines [newBegin, newEnd) of the text after.
struct LineHunk {
  size_t oldBegin;
  size_t oldEnd;
  size_t newBegin;
  size_t newEnd;
};

/// The lines of `text`, each with its line feed if it has one.
std::vector<std::string_view> linesOf(std::string_view text);

/// The changes of the diff that `unifiedDiff` prints, without context and
/// each run of changed lines on its own, in order.
std::vector<LineHunk> lineHunks(std::string_view before,
                                std::string_view after);

#endif  // QUILLFIX_APP_UNIFIED_DIFF_H_
