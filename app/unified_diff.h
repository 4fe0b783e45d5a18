#ifndef QUILLFIX_APP_UNIFIED_DIFF_H_
#define QUILLFIX_APP_UNIFIED_DIFF_H_

#include <string>
#include <string_view>

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

#endif  // QUILLFIX_APP_UNIFIED_DIFF_H_
