#ifndef QUILLFIX_APP_WALK_H_
#define QUILLFIX_APP_WALK_H_

#include <string>
#include <string_view>
#include <vector>

#include "format/language.h"

struct WalkOptions {
  // Skip what the work tree's .gitignore files and .git/info/exclude ignore.
  bool readIgnoreFiles = true;
  // Skip the files and folders whose path below the named folder, or whose
  // name, matches one of these globs (see `matchesGlob`); a glob that begins
  // with "./" is matched against the path from the current folder instead,
  // and one that ends with '/' matches folders only.
  std::vector<std::string> excludes;
};

// One thing a walk found, in the order of the walk.
struct WalkEntry {
  // The named folder joined with the path below it ("src" and "a/b.c" give
  // "src/a/b.c"; no second separator after a folder named with one).
  std::string path;
  // The language of a source file; null for an error.
  const Language* language = nullptr;
  // Empty for a source file; else why the folder or ignore file at `path`
  // could not be read, in plain words with the system's own reason
  // ("cannot open: Permission denied").
  std::string error;
};

/// True when one of `excludes` matches the file or folder named as `path`,
/// or a folder above it, as in a walk of the current folder: by its path from
/// the current folder ("./a/../b.c" and, from "/w", "/w/b.c" give "b.c") or
/// its name.
bool excludesNamedPath(std::string_view path, bool isFolder,
                       const std::vector<std::string>& excludes);

/// `path` made absolute from the current folder, with no "." or ".." that
/// can be resolved without the file system ("a/../b.c", from "/w", gives
/// "/w/b.c"); in UTF-8, with the system's own separators.
std::string absolutePath(std::string_view path);

/// The source files below `folder` (files whose extension names a language),
/// and the folders that could not be read, with the walk going on past them.
///
/// The entries of each folder are taken in the byte order of their names, a
/// subfolder's contents where its name falls, so "a.c", "b/x.c", "b.c".
/// Names that begin with '.' are skipped, and so are symbolic links and
/// anything that is neither a file nor a folder. `folder` itself is walked
/// whatever it is named and whether or not it is ignored.
///
/// Ignore files: the work tree is the nearest folder at or above `folder`
/// (its real path, links resolved) that holds a `.git` folder or file; its
/// .git/info/exclude (in the repository a `.git` file points at) and the
/// .gitignore of each folder from the root down are read. What git tracks
/// is never skipped for them: a file that the work tree's index lists is
/// taken, and an ignored folder that holds one is entered for what git tracks
/// in it alone (see `trackedPaths`). A folder below that holds a `.git` of
/// its own is another work tree and starts afresh with its own files.
/// Outside a work tree no ignore file is read, as git reads none there. The
/// global excludes file of git's configuration is not read. Names are matched
/// in their own case, as git does on Linux.
///
/// On Windows `folder` is UTF-8 and may use either separator; the paths
/// returned are UTF-8 too, with '/' between the names below `folder`.
std::vector<WalkEntry> walkFolder(std::string_view folder,
                                  const WalkOptions& options);

#endif  // QUILLFIX_APP_WALK_H_
