#ifndef QUILLFIX_APP_IGNORE_H_
#define QUILLFIX_APP_IGNORE_H_

#include <string>
#include <string_view>
#include <vector>

/// True when `text` matches the glob `pattern` as git matches paths: `*` is
/// any run of characters and `?` any one character, neither of them '/';
/// `[...]` is one character of a set (ranges `a-z`, classes `[:alpha:]`, `!`
/// or `^` first negates it), never '/'; a backslash makes the next character
/// plain; `**` between slashes or at either end also matches across '/'
/// (`**/x`, `x/**`, `x/**/y`), elsewhere it is `*`. Letters match in their own
/// case only.
bool matchesGlob(std::string_view pattern, std::string_view text);

// The patterns of a work tree's ignore files (.gitignore, .git/info/exclude),
// matched by git's rules:
// - a blank line, or a line that begins with `#`, holds no pattern; `\#` and
//   `\!` begin a pattern with a plain `#` or `!`; blanks at the end of a line
//   are dropped unless a backslash precedes them; a CR before the line feed
//   is dropped too;
// - `!` before a pattern re-includes what an earlier pattern excluded;
// - a pattern that ends with `/` matches folders only (the `/` itself is not
//   part of it);
// - a pattern with a `/` at its start or inside is matched against the path
//   below the ignore file's folder; any other is matched against the name
//   alone, at any depth below that folder;
// - within a file the last pattern that matches decides; between files, the
//   file added last decides where it has a matching pattern at all.
//
// A path whose parent folder is ignored is ignored too, whatever its own
// patterns say; `ignores` does not check the parents: a walk does not enter
// an ignored folder, so it never asks about what lies below one.
class IgnoreRules {
 public:
  /// Adds the patterns of one ignore file whose folder is `base` below the
  /// work tree's root: "" for the root and for .git/info/exclude, else the
  /// folder with a '/' after it ("src/", "src/lib/"). Add .git/info/exclude
  /// first, then the .gitignore files from the root down, so that a deeper
  /// file wins over a shallower one and every .gitignore over the exclude
  /// file.
  void add(std::string_view text, std::string base);

  /// Removes the file added last, as a walk does when it leaves its folder.
  void removeLast();

  /// True when `path` (below the root, '/' between its names, no '/' at its
  /// end) is ignored; `isFolder` when it names a folder.
  bool ignores(std::string_view path, bool isFolder) const;

 private:
  struct Pattern {
    std::string glob;
    bool negated;
    bool foldersOnly;
    bool matchesName;  // matched against the last name of the path alone
  };
  struct File {
    std::string base;
    std::vector<Pattern> patterns;
  };
  // The last pattern of `file` that matches `path`, or null.
  static const Pattern* lastMatch(const File& file, std::string_view path,
                                  bool isFolder);
  std::vector<File> files_;
};

#endif  // QUILLFIX_APP_IGNORE_H_
