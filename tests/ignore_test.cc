#include "app/ignore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tests/command.h"
#include "tests/run_program.h"

namespace {

namespace fs = std::filesystem;

TEST(GlobTest, MatchesByGitsRules) {
  struct {
    int line;
    const char* pattern;
    const char* text;
    bool matches;
  } cases[] = {
      {__LINE__, "a.c", "a.c", true},
      {__LINE__, "a.c", "A.c", false},
      {__LINE__, "a.c", "a.cc", false},
      {__LINE__, "*.c", "a.c", true},
      {__LINE__, "*.c", ".c", true},
      {__LINE__, "*.c", "dir/a.c", false},
      {__LINE__, "a*", "a", true},
      {__LINE__, "*/b", "a/b", true},
      {__LINE__, "a*/b", "ax/b", true},
      {__LINE__, "a*/b", "a/x/b", false},
      {__LINE__, "?.c", "a.c", true},
      {__LINE__, "?.c", "ab.c", false},
      {__LINE__, "a?b", "a/b", false},
      {__LINE__, "[ab]", "b", true},
      {__LINE__, "[ab]", "c", false},
      {__LINE__, "[a-c]", "b", true},
      {__LINE__, "[a-c]", "d", false},
      {__LINE__, "[!a-c]", "d", true},
      {__LINE__, "[!a-c]", "b", false},
      {__LINE__, "[^a-c]", "b", false},
      {__LINE__, "[^a-c]", "e", true},
      {__LINE__, "a[!x]b", "a/b", false},
      {__LINE__, "[]]", "]", true},
      {__LINE__, "[]a]", "a", true},
      {__LINE__, "[a-]", "-", true},
      {__LINE__, "[\\]]", "]", true},
      {__LINE__, "[[:digit:]x]", "7", true},
      {__LINE__, "[[:digit:]x]", "x", true},
      {__LINE__, "[[:digit:]]", "a", false},
      {__LINE__, "[[:upper:]]", "A", true},
      {__LINE__, "[[:space:]]", "\t", true},
      {__LINE__, "[[:nope:]]", "n", false},
      {__LINE__, "[[:alpha]", "[", true},
      {__LINE__, "[[:alpha]", "h", true},
      {__LINE__, "[ab", "a", false},
      {__LINE__, "\\*", "*", true},
      {__LINE__, "\\*", "a", false},
      {__LINE__, "a\\", "a", false},
      {__LINE__, "**", "a/b", true},
      {__LINE__, "**/b", "b", true},
      {__LINE__, "**/b", "a/x/b", true},
      {__LINE__, "**/b", "ab", false},
      {__LINE__, "a/**", "a/b/c", true},
      {__LINE__, "a/**", "a", false},
      {__LINE__, "a/**/b", "a/b", true},
      {__LINE__, "a/**/b", "a/x/y/b", true},
      {__LINE__, "a/**/b", "ab", false},
      {__LINE__, "a/**/b", "a/xb", false},
      {__LINE__, "a**b", "axb", true},
      {__LINE__, "a**b", "a/b", false},
      {__LINE__, "*a*a*a*a*a*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa",
       false},
  };
  for (const auto& c : cases) {
    testing::ScopedTrace trace(__FILE__, c.line,
                               std::string(c.pattern) + " | " + c.text);
    EXPECT_EQ(c.matches, matchesGlob(c.pattern, c.text));
  }
}

// Ignore files by their paths in a work tree: ".gitignore", "sub/.gitignore",
// ".git/info/exclude".
using IgnoreFiles = std::vector<std::pair<std::string, std::string>>;

struct IgnoreCase {
  int line;
  IgnoreFiles files;
  std::string path;  // a folder when it ends with '/'
  bool ignored;
};

// The rules of `files` as a walk meets them: the exclude file first, then
// the .gitignore files from the root down.
IgnoreRules rulesOf(IgnoreFiles files) {
  auto depth = [](const std::pair<std::string, std::string>& file) {
    if (file.first.starts_with(".git/")) return -1L;
    return static_cast<long>(
        std::count(file.first.begin(), file.first.end(), '/'));
  };
  std::stable_sort(
      files.begin(), files.end(),
      [&](const auto& a, const auto& b) { return depth(a) < depth(b); });
  IgnoreRules rules;
  for (const auto& [path, text] : files) {
    size_t slash = path.rfind('/');
    bool inRepository = path.starts_with(".git/");
    rules.add(text, inRepository || slash == std::string::npos
                        ? ""
                        : path.substr(0, slash + 1));
  }
  return rules;
}

// Whether `path` is skipped by a walk: it or a folder above it is ignored.
bool ignoredAsWalked(const IgnoreRules& rules, std::string path) {
  bool isFolder = path.ends_with('/');
  if (isFolder) path.pop_back();
  for (size_t slash = path.find('/'); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    if (rules.ignores(path.substr(0, slash), true)) return true;
  }
  return rules.ignores(path, isFolder);
}

void makePath(const fs::path& root, const std::string& path) {
  fs::path full = root / path;
  if (path.ends_with('/')) {
    fs::create_directories(full);
    return;
  }
  fs::create_directories(full.parent_path());
  writeFile(full.string(), "");
}

// Whether git ignores each of `paths` in the work tree at `root`, by
// `git check-ignore`.
std::map<std::string, bool> askGit(const std::string& root,
                                   const std::vector<std::string>& paths) {
  std::string list;
  for (const std::string& path : paths) list += path + '\0';
  writeFile(root + "/.git/paths", list);
  CommandResult git =
      runShell(gitIn(root) + " check-ignore --no-index -v -n -z --stdin <" +
               shellQuoted(root + "/.git/paths"));
  EXPECT_TRUE(git.status == 0 || git.status == 1) << git.status;
  std::vector<std::string> fields;
  for (size_t at = 0; at < git.out.size();) {
    size_t end = git.out.find('\0', at);
    fields.push_back(git.out.substr(at, end - at));
    at = end + 1;
  }
  std::map<std::string, bool> ignored;
  for (size_t k = 0; k + 3 < fields.size(); k += 4) {
    const std::string& pattern = fields[k + 2];
    ignored[fields[k + 3]] = !pattern.empty() && pattern[0] != '!';
  }
  return ignored;
}

// Rows whose ignore files are the same, and whose paths can all be made in
// one tree (none of them a file where another needs a folder).
using Group = std::vector<const IgnoreCase*>;

bool clash(const std::string& a, const std::string& b) {
  return (!a.ends_with('/') && b.starts_with(a + "/")) ||
         (!b.ends_with('/') && a.starts_with(b + "/"));
}

std::vector<Group> groupsOf(const std::vector<IgnoreCase>& cases) {
  std::vector<Group> groups;
  for (const IgnoreCase& c : cases) {
    auto fits = [&](const Group& group) {
      return group.front()->files == c.files &&
             std::none_of(
                 group.begin(), group.end(),
                 [&](const IgnoreCase* in) { return clash(in->path, c.path); });
    };
    auto group = std::find_if(groups.begin(), groups.end(), fits);
    if (group == groups.end()) {
      groups.push_back({&c});
    } else {
      group->push_back(&c);
    }
  }
  return groups;
}

// A group's ignore files in a fresh git work tree, its paths made there as
// files or folders; git and the rules must both give each row's answer.
void checkAgainstGit(const Group& group) {
  ScratchDirectory scratch;
  std::string root = scratch / "tree";
  CommandResult init =
      runShell(gitIn(scratch.path()) +
               " -c init.defaultBranch=main init -q --template= tree");
  ASSERT_EQ(0, init.status);
  for (const auto& [path, text] : group.front()->files) {
    makePath(root, path);
    writeFile(root + "/" + path, text);
  }
  std::vector<std::string> asked;
  for (const IgnoreCase* c : group) {
    makePath(root, c->path);
    asked.push_back(c->path);
    if (asked.back().ends_with('/')) asked.back().pop_back();
  }
  std::map<std::string, bool> byGit = askGit(root, asked);
  IgnoreRules rules = rulesOf(group.front()->files);
  for (size_t k = 0; k < group.size(); ++k) {
    const IgnoreCase& c = *group[k];
    testing::ScopedTrace trace(__FILE__, c.line, c.path);
    ASSERT_TRUE(byGit.count(asked[k])) << "git did not answer";
    EXPECT_EQ(c.ignored, byGit[asked[k]]) << "git disagrees with the row";
    EXPECT_EQ(c.ignored, ignoredAsWalked(rules, c.path));
  }
}

const char kRoot[] = ".gitignore";
const char kSub[] = "sub/.gitignore";
const char kExclude[] = ".git/info/exclude";

TEST(IgnoreRulesTest, AgreesWithGitCheckIgnore) {
  if (!haveProgram("git")) {
    GTEST_SKIP() << "git is not installed: the ignore rules cannot be "
                    "compared with git's own";
  }
  const std::vector<IgnoreCase> cases = {
      // blank lines and comments
      {__LINE__, {{kRoot, "\n\n#a.c\n"}}, "#a.c", false},
      {__LINE__, {{kRoot, "\\#a.c"}}, "#a.c", true},
      {__LINE__, {{kRoot, " #a.c"}}, " #a.c", true},
      {__LINE__, {{kRoot, "!a.c"}}, "!a.c", false},
      {__LINE__, {{kRoot, "\\!a.c"}}, "!a.c", true},
      // blanks at the end, line ends
      {__LINE__, {{kRoot, "a.c  "}}, "a.c", true},
      {__LINE__, {{kRoot, "b.c\\ "}}, "b.c ", true},
      {__LINE__, {{kRoot, "b.c\\ "}}, "b.c", false},
      {__LINE__, {{kRoot, "c.c\\  "}}, "c.c ", true},
      {__LINE__, {{kRoot, "d.c\t"}}, "d.c", false},
      {__LINE__, {{kRoot, "d.c\t"}}, "d.c\t", true},
      {__LINE__, {{kRoot, "x.c\r\ny.c\r\n"}}, "x.c", true},
      {__LINE__, {{kRoot, "x.c\r\ny.c\r\n"}}, "y.c", true},
      {__LINE__, {{kRoot, "x.c\ny.c"}}, "y.c", true},
      {__LINE__, {{kRoot, "\xEF\xBB\xBFz.c"}}, "z.c", true},
      // negation, last match wins
      {__LINE__, {{kRoot, "*.c\n!keep.c"}}, "keep.c", false},
      {__LINE__, {{kRoot, "*.c\n!keep.c"}}, "lose.c", true},
      {__LINE__, {{kRoot, "!keep.c\n*.c"}}, "keep.c", true},
      {__LINE__, {{kRoot, "*\n!*/\n!*.c"}}, "src/a.c", false},
      {__LINE__, {{kRoot, "*\n!*/\n!*.c"}}, "src/a.h", true},
      {__LINE__, {{kRoot, "out/\n!out/keep.c"}}, "out/keep.c", true},
      // anchoring: a leading or inner slash
      {__LINE__, {{kRoot, "/top.c"}}, "top.c", true},
      {__LINE__, {{kRoot, "/top.c"}}, "src/top.c", false},
      {__LINE__, {{kRoot, "any.c"}}, "src/deep/any.c", true},
      {__LINE__, {{kRoot, "src/in.c"}}, "src/in.c", true},
      {__LINE__, {{kRoot, "src/in.c"}}, "lib/src/in.c", false},
      {__LINE__, {{kRoot, "src/*.c"}}, "src/deep/a.c", false},
      // folders only
      {__LINE__, {{kRoot, "build/"}}, "build/", true},
      {__LINE__, {{kRoot, "build/"}}, "src/build/", true},
      {__LINE__, {{kRoot, "build/"}}, "build", false},
      {__LINE__, {{kRoot, "build/"}}, "lib/build/a.c", true},
      {__LINE__, {{kRoot, "src/gen/"}}, "src/gen/", true},
      {__LINE__, {{kRoot, "src/gen/"}}, "lib/src/gen/", false},
      {__LINE__, {{kRoot, "src/gen/"}}, "src/gen", false},
      // * and ? and sets, never '/'
      {__LINE__, {{kRoot, "/a*c"}}, "ab/c", false},
      {__LINE__, {{kRoot, "/a*c"}}, "abc", true},
      {__LINE__, {{kRoot, "/a?c"}}, "a/c", false},
      {__LINE__, {{kRoot, "/a?c"}}, "abc", true},
      {__LINE__, {{kRoot, "/a[/]c"}}, "a/c", false},
      {__LINE__, {{kRoot, "[ab].c"}}, "b.c", true},
      {__LINE__, {{kRoot, "[ab].c"}}, "c.c", false},
      {__LINE__, {{kRoot, "[a-c]x"}}, "bx", true},
      {__LINE__, {{kRoot, "[a-c]x"}}, "dx", false},
      {__LINE__, {{kRoot, "[!a]y"}}, "ay", false},
      {__LINE__, {{kRoot, "[!a]y"}}, "by", true},
      {__LINE__, {{kRoot, "[^a]z"}}, "bz", true},
      {__LINE__, {{kRoot, "[[:digit:]].c"}}, "7.c", true},
      {__LINE__, {{kRoot, "[[:digit:]].c"}}, "x.c", false},
      {__LINE__, {{kRoot, "[]]q"}}, "]q", true},
      {__LINE__, {{kRoot, "*.[ch]"}}, "x.h", true},
      {__LINE__, {{kRoot, "*.[ch]"}}, "x.cc", false},
      {__LINE__, {{kRoot, "\\*.c"}}, "*.c", true},
      {__LINE__, {{kRoot, "\\*.c"}}, "x.c", false},
      // the three forms of **
      {__LINE__, {{kRoot, "**/lead.c"}}, "lead.c", true},
      {__LINE__, {{kRoot, "**/lead.c"}}, "a/b/lead.c", true},
      {__LINE__, {{kRoot, "**/gen/x.c"}}, "a/gen/x.c", true},
      {__LINE__, {{kRoot, "**/gen/x.c"}}, "gen/x.c", true},
      {__LINE__, {{kRoot, "**/gen/x.c"}}, "gen/y/x.c", false},
      {__LINE__, {{kRoot, "tail/**"}}, "tail/a.c", true},
      {__LINE__, {{kRoot, "tail/**"}}, "tail/", false},
      {__LINE__, {{kRoot, "tail/**"}}, "x/tail/a.c", false},
      {__LINE__, {{kRoot, "a/**/b.c"}}, "a/b.c", true},
      {__LINE__, {{kRoot, "a/**/b.c"}}, "a/x/y/b.c", true},
      {__LINE__, {{kRoot, "a/**/b.c"}}, "a/xb.c", false},
      {__LINE__, {{kRoot, "/m**n"}}, "m/n", false},
      {__LINE__, {{kRoot, "/m**n"}}, "mxn", true},
      // a .gitignore below the root: its folder anchors it
      {__LINE__, {{kSub, "/a.c"}}, "sub/a.c", true},
      {__LINE__, {{kSub, "/a.c"}}, "sub/x/a.c", false},
      {__LINE__, {{kSub, "/a.c"}}, "a.c", false},
      {__LINE__, {{kSub, "x/b.c"}}, "sub/x/b.c", true},
      {__LINE__, {{kSub, "x/b.c"}}, "x/b.c", false},
      {__LINE__, {{kSub, "c.c"}}, "sub/deep/c.c", true},
      {__LINE__, {{kSub, "c.c"}}, "c.c", false},
      {__LINE__, {{kSub, "c.c"}}, "lib/c.c", false},
      {__LINE__, {{kSub, "/d.c"}}, "lib/d.c", false},
      {__LINE__, {{kSub, "sub"}}, "sub/", false},
      {__LINE__, {{kSub, "**/gen/"}}, "sub/x/gen/", true},
      // precedence: deeper files win, every .gitignore beats the exclude file
      {__LINE__, {{kRoot, "*.c"}, {kSub, "!*.c"}}, "sub/a.c", false},
      {__LINE__, {{kRoot, "*.c"}, {kSub, "!*.c"}}, "a.c", true},
      {__LINE__, {{kRoot, "!*.c"}, {kSub, "*.c"}}, "sub/b.c", true},
      {__LINE__, {{kSub, "*.c"}, {kRoot, "!*.c"}}, "sub/c.c", true},
      {__LINE__, {{kExclude, "*.c"}, {kRoot, "!keep.c"}}, "keep.c", false},
      {__LINE__, {{kExclude, "*.c"}, {kRoot, "!keep.c"}}, "lose.c", true},
      {__LINE__, {{kExclude, "!keep.c"}, {kRoot, "*.c"}}, "keep.c", true},
      {__LINE__, {{kExclude, "/gen/"}}, "gen/", true},
      {__LINE__, {{kExclude, "*.o\n!x.o"}, {kRoot, "*.o"}}, "x.o", true},
  };
  for (const Group& group : groupsOf(cases)) checkAgainstGit(group);
}

}  // namespace
