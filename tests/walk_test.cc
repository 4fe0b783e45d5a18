#include "app/walk.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/command.h"
#include "tests/run_program.h"

namespace {

namespace fs = std::filesystem;

// Makes the entries of a tree below `root`: "a/b.c" an empty file, "a/" a
// folder, "a/b=text" a file holding text, "a/l -> target" a symbolic link.
void makeTree(const std::string& root, const std::vector<std::string>& tree) {
  for (const std::string& entry : tree) {
    size_t arrow = entry.find(" -> ");
    size_t equals = entry.find('=');
    std::string path = root + "/" + entry.substr(0, std::min(arrow, equals));
    if (path.ends_with('/')) {
      fs::create_directories(path);
      continue;
    }
    fs::create_directories(fs::path(path).parent_path());
    if (arrow != std::string::npos) {
      fs::create_symlink(entry.substr(arrow + 4), path);
    } else {
      writeFile(path,
                equals == std::string::npos ? "" : entry.substr(equals + 1));
    }
  }
}

// What a walk found, one line each, `root` left out of the paths: a file's
// path and language, or a path and its error.
std::string listing(const std::vector<WalkEntry>& found,
                    const std::string& root) {
  std::string lines;
  for (const WalkEntry& entry : found) {
    std::string path = entry.path;
    if (path.starts_with(root + "/")) path.erase(0, root.size() + 1);
    lines += path;
    if (entry.language) {
      lines.append(" ").append(entry.language->name);
    } else {
      lines.append(": ").append(entry.error);
    }
    lines += '\n';
  }
  return lines;
}

bool insideAWorkTree(fs::path folder) {
  for (; folder != folder.parent_path(); folder = folder.parent_path()) {
    if (fs::exists(folder / ".git")) return true;
  }
  return fs::exists(folder / ".git");
}

TEST(WalkTest, FindsSourceFilesInNameOrder) {
  struct {
    int line;
    std::vector<std::string> tree;
    std::string named;  // below the scratch folder
    std::vector<std::string> excludes;
    bool readIgnoreFiles;
    std::string found;
  } cases[] = {
      // order and joining
      {__LINE__,
       {"t/b.c", "t/a/x.c", "t/a.c", "t/B.c", "t/a-b/y.c"},
       "t",
       {},
       true,
       "t/B.c c\nt/a/x.c c\nt/a-b/y.c c\nt/a.c c\nt/b.c c\n"},
      {__LINE__,
       {"t/a.c", "t/d/e/f.c"},
       "t/",
       {},
       true,
       "t/a.c c\nt/d/e/f.c c\n"},
      {__LINE__, {"t/", "t/d/"}, "t", {}, true, ""},
      // names that begin with a dot
      {__LINE__, {"t/.h.c", "t/.d/x.c", "t/ok.c"}, "t", {}, true, "t/ok.c c\n"},
      {__LINE__, {"t/.d/x.c"}, "t/.d", {}, true, "t/.d/x.c c\n"},
      // extensions, whatever their case
      {__LINE__,
       {"t/A.C", "t/b.Hpp", "t/c.JAVA", "t/d.txt", "t/c", "t/e.", "t/f.c.orig",
        "t/g.inl", "t/h.h++", "t/i.cxx", "t/j.tpp"},
       "t",
       {},
       true,
       "t/A.C c\nt/b.Hpp cpp\nt/c.JAVA java\nt/g.inl cpp\nt/h.h++ cpp\n"
       "t/i.cxx cpp\nt/j.tpp cpp\n"},
      // symbolic links are not followed
      {__LINE__,
       {"t/a.c", "t/l.c -> a.c", "t/d/x.c", "t/ld -> d", "t/gone.c -> nowhere"},
       "t",
       {},
       true,
       "t/a.c c\nt/d/x.c c\n"},
      // excludes, by name and by path below the named folder
      {__LINE__,
       {"t/a.c", "t/a.h", "t/s/b.h"},
       "t",
       {"*.h"},
       true,
       "t/a.c c\n"},
      {__LINE__,
       {"t/s/a.c", "t/x/s/b.c", "t/top.c"},
       "t",
       {"s/*"},
       true,
       "t/top.c c\nt/x/s/b.c c\n"},
      {__LINE__,
       {"t/gen/a.c", "t/src/gen/b.c", "t/src/c.c"},
       "t",
       {"gen"},
       true,
       "t/src/c.c c\n"},
      {__LINE__,
       {"t/src/gen/b.c", "t/gen/c.c"},
       "t",
       {"src/gen"},
       true,
       "t/gen/c.c c\n"},
      {__LINE__, {"t/x.c", "t/d/x.c/y.c"}, "t", {"x.c/"}, true, "t/x.c c\n"},
      {__LINE__,
       {"t/a.c", "t/b.c", "t/c.h"},
       "t",
       {"a.c", "*.h"},
       true,
       "t/b.c c\n"},
      {__LINE__, {"t/d/a.c"}, "t/d", {"d"}, true, "t/d/a.c c\n"},
      // ignore files of the work tree
      {__LINE__,
       {"t/.git/", "t/.gitignore=*.h", "t/a.c", "t/a.h"},
       "t",
       {},
       true,
       "t/a.c c\n"},
      {__LINE__,
       {"t/.git/", "t/.gitignore=*.h", "t/a.c", "t/a.h"},
       "t",
       {},
       false,
       "t/a.c c\nt/a.h c\n"},
      {__LINE__,
       {"t/.gitignore=*.h", "t/a.c", "t/a.h"},
       "t",
       {},
       true,
       "t/a.c c\nt/a.h c\n"},
      {__LINE__,
       {"t/.git/", "t/.gitignore=/src/gen/", "t/.git/info/exclude=*.h",
        "t/src/gen/a.c", "t/src/b.c", "t/src/b.h", "t/src/.gitignore=!b.h"},
       "t/src",
       {},
       true,
       "t/src/b.c c\nt/src/b.h c\n"},
      {__LINE__,
       {"t/.git/", "t/.git/info/exclude=*.h", "t/src/s/b.c", "t/src/b.h"},
       "t/src/s/..",
       {},
       true,
       "t/src/s/../s/b.c c\n"},
      {__LINE__,
       {"t/.git=gitdir: ../store", "store/info/exclude=*.h", "t/a.c", "t/a.h"},
       "t",
       {},
       true,
       "t/a.c c\n"},
      {__LINE__,
       {"t/.git=gitdir: ../store/worktrees/t\n",
        "store/worktrees/t/commondir=../..\n", "store/info/exclude=*.h",
        "t/a.c", "t/a.h"},
       "t",
       {},
       true,
       "t/a.c c\n"},
      {__LINE__,
       {"t/.git/", "t/.gitignore=*.h", "t/in/.git/", "t/in/.gitignore=*.java",
        "t/in/a.h", "t/in/B.java", "t/in/c.c", "t/b.h"},
       "t",
       {},
       true,
       "t/in/a.h c\nt/in/c.c c\n"},
      {__LINE__,
       {"t/.git/", "t/rules=*.h", "t/.gitignore -> rules", "t/a.h"},
       "t",
       {},
       true,
       "t/a.h c\n"},
      // names of any bytes, as they are
      {__LINE__,
       {"t/\xC3\xA9t\xC3\xA9.c", "t/\xFF.c"},
       "t",
       {},
       true,
       "t/\xC3\xA9t\xC3\xA9.c c\nt/\xFF.c c\n"},
      {__LINE__, {"\xC3\xA9/a.c"}, "\xC3\xA9", {}, true, "\xC3\xA9/a.c c\n"},
      // a folder that cannot be walked
      {__LINE__,
       {},
       "none",
       {},
       true,
       "none: cannot open: No such file or directory\n"},
      {__LINE__,
       {"t/a.c"},
       "t/a.c",
       {},
       true,
       "t/a.c: cannot open: Not a directory\n"},
  };
  for (const auto& c : cases) {
    testing::ScopedTrace trace(__FILE__, c.line, c.named);
    ScratchDirectory scratch;
    makeTree(scratch.path(), c.tree);
    WalkOptions options{c.readIgnoreFiles, c.excludes};
    EXPECT_EQ(c.found,
              listing(walkFolder(scratch / c.named, options), scratch.path()));
  }
}

TEST(WalkTest, ExcludesANamedPathAsAWalkOfTheCurrentFolderWould) {
  const std::string here = fs::current_path().string();
  struct {
    int line;
    std::string path;
    bool isFolder;
    std::vector<std::string> excludes;
    bool excluded;
  } cases[] = {
      {__LINE__, "crc32.h", false, {"crc32.h"}, true},
      {__LINE__, "lib/crc32.h", false, {"*.c", "crc32.h"}, true},
      {__LINE__, "lib/crc32.h", false, {"lib/*.h"}, true},
      {__LINE__, "./lib/crc32.h", false, {"lib/*.h"}, true},
      {__LINE__, "lib/../crc32.h", false, {"lib/*.h"}, false},
      {__LINE__, here + "/lib/crc32.h", false, {"./lib/*"}, true},
      {__LINE__, "contrib/hook/x.c", false, {"./contrib"}, true},
      {__LINE__, "src/contrib/x.c", false, {"./contrib"}, false},
      {__LINE__, "src/contrib/x.c", false, {"contrib"}, true},
      {__LINE__, "x/y.c", false, {"./y.c"}, false},
      {__LINE__, "./y.c", false, {"./y.c"}, true},
      {__LINE__, "gen/a.c", false, {"gen/"}, true},
      {__LINE__, "gen", false, {"gen/"}, false},
      {__LINE__, "gen/", true, {"./gen/"}, true},
      {__LINE__, "../up/a.c", false, {".*"}, false},
      {__LINE__, ".", true, {"*"}, false},
      {__LINE__, "a.c", false, {}, false},
  };
  for (const auto& c : cases) {
    testing::ScopedTrace trace(__FILE__, c.line, c.path);
    EXPECT_EQ(c.excluded, excludesNamedPath(c.path, c.isFolder, c.excludes));
  }
}

TEST(WalkTest, ReadsNoIgnoreFileOutsideAWorkTree) {
  ScratchDirectory scratch;
  if (insideAWorkTree(scratch.path())) {
    GTEST_SKIP() << "the scratch folder " << scratch.path()
                 << " lies inside a git work tree";
  }
  makeTree(scratch.path(), {".gitignore=*.c", "a.c"});
  EXPECT_EQ("a.c c\n", listing(walkFolder(scratch.path(), {}), scratch.path()));
}

TEST(WalkTest, ReportsWhatItCannotOpenAndGoesOn) {
  if (geteuid() == 0) {
    GTEST_SKIP() << "root may open any folder or file: run the tests as "
                    "another user to check this";
  }
  ScratchDirectory scratch;
  makeTree(scratch.path(), {".git/", "a.c", "locked/x.c", "shut/.gitignore=*.c",
                            "shut/y.c", "z.c"});
  fs::permissions(scratch / "locked", fs::perms::none);
  fs::permissions(scratch / "shut/.gitignore", fs::perms::none);
  std::string found = listing(walkFolder(scratch.path(), {}), scratch.path());
  fs::permissions(scratch / "locked", fs::perms::owner_all);
  EXPECT_EQ(
      "a.c c\nlocked: cannot open: Permission denied\n"
      "shut/.gitignore: cannot open: Permission denied\nshut/y.c c\nz.c c\n",
      found);
}

// The source files of `found`, sorted.
std::vector<std::string> sortedFiles(const std::vector<WalkEntry>& found,
                                     const std::string& root) {
  std::vector<std::string> files;
  for (const WalkEntry& entry : found) {
    EXPECT_EQ("", entry.error) << entry.path;
    files.push_back(entry.path.substr(root.size() + 1));
  }
  std::sort(files.begin(), files.end());
  return files;
}

// The files below `below` that git tracks, and the untracked ones it does
// not ignore, as a walk would find them: no name that begins with a dot,
// source files only.
std::vector<std::string> filesGitKeeps(const std::string& root,
                                       const std::string& below) {
  CommandResult git = runShell(gitIn(root) +
                               " ls-files -z --cached --others "
                               "--exclude-standard " +
                               shellQuoted(below));
  EXPECT_EQ(0, git.status);
  std::vector<std::string> files;
  for (size_t at = 0; at < git.out.size();) {
    size_t end = git.out.find('\0', at);
    std::string path = git.out.substr(at, end - at);
    at = end + 1;
    std::string name = path.substr(path.rfind('/') + 1);
    bool hidden = path.starts_with('.') || path.find("/.") != std::string::npos;
    size_t dot = name.rfind('.');
    if (!hidden && dot != std::string::npos &&
        languageOfExtension(name.substr(dot + 1))) {
      files.push_back(path);
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

const char kNoGit[] =
    "git is not installed: the walk cannot be compared with git's own list "
    "of the files it keeps";

// An empty git work tree, "tree" in `scratch`.
std::string newGitTree(const ScratchDirectory& scratch) {
  EXPECT_EQ(0, runShell(gitIn(scratch.path()) +
                        " -c init.defaultBranch=main init -q --template= tree")
                   .status);
  return scratch / "tree";
}

TEST(WalkTest, SkipsWhatGitIgnores) {
  if (!haveProgram("git")) GTEST_SKIP() << kNoGit;
  ScratchDirectory scratch;
  const std::string root = newGitTree(scratch);
  makeTree(root,
           {
               ".gitignore=*.gen.c\nbuild/\n!keep.gen.c\n/top.h\n"
               "**/tmp/**\ndocs/*.java\n#x.c\nspace.c  \n!src/deep/c.inl\n",
               ".git/info/exclude=*.inl\n!src/*.inl\n*.hh\n",
               "src/.gitignore=!*.gen.c\n/local.c\nsub/*.hpp\n!*.hh\n",
               "src/sub/.gitignore=*\n!*.hpp\n!*/\n",
               "a.c",
               "x.gen.c",
               "keep.gen.c",
               "top.h",
               "src/top.h",
               "build/a.c",
               "src/build/b.c",
               "src/y.gen.c",
               "src/local.c",
               "src/deep/local.c",
               "src/sub/a.hpp",
               "src/sub/b.c",
               "src/sub/deep/c.hpp",
               "src/sub/deep/d.c",
               "tmp/a.c",
               "src/tmp/x/b.c",
               "docs/A.java",
               "docs/in/B.java",
               "src/a.inl",
               "b.inl",
               "src/deep/c.inl",
               "x.c",
               "space.c",
               "a.hh",
               "src/b.hh",
               "rules=*.c",
               "lnk/.gitignore -> ../rules",
               "lnk/z.c",
               ".hidden/h.c",
           });
  EXPECT_EQ(filesGitKeeps(root, "."), sortedFiles(walkFolder(root, {}), root));
  EXPECT_EQ(filesGitKeeps(root, "src"),
            sortedFiles(walkFolder(root + "/src", {}), root));
}

// A folder that .gitignore ignores is entered for the files git tracks in
// it; the untracked ones there stay skipped, whatever a `!` pattern says.
TEST(WalkTest, TakesWhatGitTracksWhateverItIgnores) {
  if (!haveProgram("git")) GTEST_SKIP() << kNoGit;
  ScratchDirectory scratch;
  const std::string root = newGitTree(scratch);
  makeTree(root, {
                     ".gitignore=test\n*.gen.c\n!keep.c\n",
                     "tests/unity/test/a.c",
                     "tests/unity/test/deep/b.h",
                     "tests/unity/test/new.c",
                     "tests/unity/test/keep.c",
                     "tests/unity/src/u.c",
                     "test/t.c",
                     "x.gen.c",
                     "y.gen.c",
                     "lib/test/old.c",
                 });
  ASSERT_EQ(0, runShell(gitIn(root) +
                        " add -f tests/unity/test/a.c tests/unity/test/deep/b.h"
                        " x.gen.c tests/unity/src/u.c")
                   .status);
  std::vector<std::string> kept = {"tests/unity/src/u.c",
                                   "tests/unity/test/a.c",
                                   "tests/unity/test/deep/b.h", "x.gen.c"};
  ASSERT_EQ(kept, filesGitKeeps(root, "."));
  EXPECT_EQ(kept, sortedFiles(walkFolder(root, {}), root));
  EXPECT_EQ(filesGitKeeps(root, "tests/unity"),
            sortedFiles(walkFolder(root + "/tests/unity", {}), root));
}

}  // namespace
