#include "app/git_index.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/command.h"
#include "tests/run_program.h"

namespace {

// The paths `git ls-files` lists for the work tree at `root`.
std::vector<std::string> pathsGitLists(const std::string& root) {
  CommandResult git = runShell(gitIn(root) + " ls-files -z");
  EXPECT_EQ(0, git.status);
  std::vector<std::string> paths;
  for (size_t at = 0, end; (end = git.out.find('\0', at)) != git.out.npos;
       at = end + 1) {
    paths.push_back(git.out.substr(at, end - at));
  }
  return paths;
}

const std::vector<std::string> kTracked = {
    "a.c",
    "ab.c",
    "abc/d.c",
    "abc/de/f.c",
    "b",
    "test/unity/x.c",
    "\xC3\xA9t\xC3\xA9.c",
    "z/" + std::string(200, 'n') + ".c",
};

// Each version git writes, with SHA-1 and SHA-256 object names, reads as git
// lists it.
TEST(GitIndexTest, ReadsWhatGitTracks) {
  if (!haveProgram("git")) {
    GTEST_SKIP() << "git is not installed: the index cannot be made by it";
  }
  struct {
    int line;
    std::string format;   // --object-format
    std::string version;  // --index-version
    bool intentToAdd;     // an entry with extended flags
  } cases[] = {
      {__LINE__, "sha1", "2", false},   {__LINE__, "sha1", "3", true},
      {__LINE__, "sha1", "4", false},   {__LINE__, "sha1", "4", true},
      {__LINE__, "sha256", "2", false}, {__LINE__, "sha256", "4", true},
  };
  for (const auto& c : cases) {
    testing::ScopedTrace trace(__FILE__, c.line, c.format + " " + c.version);
    ScratchDirectory scratch;
    std::string root = scratch / "tree";
    ASSERT_EQ(0, runShell(gitIn(scratch.path()) + " init -q --template= " +
                          "--object-format=" + c.format + " tree")
                     .status);
    for (const std::string& path : kTracked) {
      std::filesystem::create_directories(
          std::filesystem::path(root + "/" + path).parent_path());
      writeFile(root + "/" + path, path);
    }
    writeFile(root + "/untracked.c", "");
    writeFile(root + "/new.c", "");
    std::string add = gitIn(root) + " add -- ";
    for (const std::string& path : kTracked) add += shellQuoted(path) + " ";
    if (c.intentToAdd) add += "&& " + gitIn(root) + " add -N new.c ";
    add += "&& " + gitIn(root) + " update-index --index-version " + c.version;
    ASSERT_EQ(0, runShell(add).status);
    std::vector<std::string> listed = pathsGitLists(root);
    EXPECT_EQ(kTracked.size() + c.intentToAdd, listed.size());
    EXPECT_EQ(listed, trackedPaths(readFile(root + "/.git/index")));
  }
}

TEST(GitIndexTest, ReadsNothingFromWhatIsNoIndex) {
  struct {
    int line;
    std::string bytes;
  } cases[] = {
      {__LINE__, ""},
      {__LINE__, "DIRC"},
      {__LINE__, std::string("DIRC\0\0\0\5\0\0\0\0", 12)},
      {__LINE__, std::string("DIRC\0\0\0\2\0\0\0\1", 12)},
      {__LINE__, std::string("CRID\0\0\0\2\0\0\0\0", 12)},
  };
  for (const auto& c : cases) {
    testing::ScopedTrace trace(__FILE__, c.line, "the case stated here");
    EXPECT_EQ(std::vector<std::string>{}, trackedPaths(c.bytes));
  }
}

}  // namespace
