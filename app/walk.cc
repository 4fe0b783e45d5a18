#include "app/walk.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

#include "app/git_index.h"
#include "app/ignore.h"
#include "platform/platform.h"

namespace fs = std::filesystem;

namespace {

fs::path toPath(std::string_view utf8) {
#ifdef _WIN32
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
#else
  return fs::path(std::string(utf8));
#endif
}

std::string fromPath(const fs::path& path) {
#ifdef _WIN32
  std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
#else
  return path.native();
#endif
}

std::string withSlashes(const fs::path& path) {
#ifdef _WIN32
  std::u8string text = path.generic_u8string();
  return std::string(text.begin(), text.end());
#else
  return path.generic_string();
#endif
}

// `path` from the current folder, '/' between its names, with no "." or ".."
// that can be resolved without the file system; "" for the current folder.
std::string fromCurrentFolder(std::string_view path) {
  fs::path relative = toPath(path);
  std::error_code failure;
  if (relative.is_absolute()) {
    fs::path below = relative.lexically_relative(fs::current_path(failure));
    if (!failure && !below.empty()) relative = below;
  }
  std::string text = withSlashes(relative.lexically_normal());
  if (text.ends_with('/')) text.pop_back();
  return text == "." ? "" : text;
}

}  // namespace

std::string absolutePath(std::string_view path) {
  std::error_code failure;
  fs::path absolute = fs::absolute(toPath(path), failure);
  return fromPath(failure ? toPath(path) : absolute.lexically_normal());
}

namespace {

std::string joined(std::string_view folder, std::string_view below) {
  if (folder.empty()) return std::string(below);
  return std::string(folder).append("/").append(below);
}

// A glob that begins with "./" matches a path from the current folder; any
// other a path below the named folder (or as named) or the name alone. One
// that ends with '/' matches folders only.
bool excludedBy(std::string_view glob, bool isFolder, std::string_view path,
                std::string_view fromCurrent, std::string_view name) {
  if (glob.ends_with('/')) {
    if (!isFolder) return false;
    glob.remove_suffix(1);
  }
  if (glob.starts_with("./")) return matchesGlob(glob.substr(2), fromCurrent);
  return matchesGlob(glob, path) || matchesGlob(glob, name);
}

bool endsWithSeparator(std::string_view path) {
#ifdef _WIN32
  if (path.ends_with('\\')) return true;
#endif
  return path.ends_with('/');
}

// The text of the file at `path`, or nothing when there is no plain file
// there; `error` tells why one that is there could not be read.
std::optional<std::string> readSmallFile(const fs::path& path,
                                         std::string* error) {
  std::error_code ignored;
  if (!fs::is_regular_file(fs::symlink_status(path, ignored))) return {};
  Bytes text;
  std::string reason;
  switch (readWholeFile(fromPath(path), &text, &reason)) {
    case ReadResult::kOk:
      return std::string(view(text));
    case ReadResult::kOpenFailed:
      *error = "cannot open: " + reason;
      break;
    case ReadResult::kReadFailed:
      *error = "cannot read: " + reason;
      break;
  }
  return {};
}

std::string firstLine(const std::string& text) {
  std::string line = text.substr(0, text.find('\n'));
  if (line.ends_with('\r')) line.pop_back();
  return line;
}

bool holdsDotGit(const fs::path& folder) {
  std::error_code ignored;
  return fs::exists(fs::status(folder / ".git", ignored));
}

// The nearest folder at or above `folder` that holds a `.git`.
std::optional<fs::path> workTreeRoot(fs::path folder) {
  while (!holdsDotGit(folder)) {
    fs::path parent = folder.parent_path();
    if (parent.empty() || parent == folder) return {};
    folder = std::move(parent);
  }
  return folder;
}

// The git folder of the work tree at `root`: its `.git` folder, or the one a
// `.git` file names; it holds the work tree's index.
fs::path gitFolderOf(const fs::path& root) {
  fs::path folder = root / ".git";
  std::string unused;
  if (auto link = readSmallFile(folder, &unused)) {
    std::string line = firstLine(*link);
    if (!line.starts_with("gitdir: ")) return {};
    folder = root / toPath(line.substr(8));
  }
  return folder;
}

// The repository of the work tree at `root`: its git folder; for a linked
// work tree, the repository it shares.
fs::path repositoryOf(const fs::path& root) {
  fs::path repository = gitFolderOf(root);
  std::string unused;
  if (repository.empty()) return {};
  if (auto common = readSmallFile(repository / "commondir", &unused)) {
    repository /= toPath(firstLine(*common));
  }
  return repository;
}

// What git knows of one work tree: what it ignores, and what it tracks.
struct WorkTree {
  IgnoreRules rules;
  std::vector<std::string> tracked;  // paths below the root, in byte order

  // True when git tracks the file at `path`, or a file below the folder.
  bool tracks(const std::string& path, bool isFolder) const {
    if (!isFolder)
      return std::binary_search(tracked.begin(), tracked.end(), path);
    std::string prefix = path + '/';
    auto next = std::lower_bound(tracked.begin(), tracked.end(), prefix);
    return next != tracked.end() && next->starts_with(prefix);
  }
};

// A work tree whose index, read at `root`'s git folder, says what it tracks.
void readIndex(const fs::path& root, WorkTree* tree) {
  fs::path folder = gitFolderOf(root);
  std::string unused;
  if (folder.empty()) return;
  if (auto index = readSmallFile(folder / "index", &unused)) {
    tree->tracked = trackedPaths(*index);
  }
}

struct Child {
  std::string name;
  bool isFolder;
};

// The names in a folder that a walk may take, in byte order.
bool listFolder(const fs::path& folder, std::vector<Child>* children,
                std::string* error) {
  std::error_code failure;
  fs::directory_iterator entry(folder, failure);
  if (failure) {
    *error = "cannot open: " + failure.message();
    return false;
  }
  for (; entry != fs::directory_iterator(); entry.increment(failure)) {
    std::string name = fromPath(entry->path().filename());
    std::error_code vanished;
    fs::file_status status = entry->symlink_status(vanished);
    if (name.starts_with('.') || vanished) continue;
    if (fs::is_directory(status) || fs::is_regular_file(status)) {
      children->push_back({std::move(name), fs::is_directory(status)});
    }
  }
  if (failure) {
    *error = "cannot read: " + failure.message();
    return false;
  }
  std::sort(children->begin(), children->end(),
            [](const Child& a, const Child& b) { return a.name < b.name; });
  return true;
}

// A folder being walked, named three ways.
struct Place {
  fs::path folder;         // to open it
  std::string shown;       // as results show it, with a separator after it
  std::string belowNamed;  // below the named folder, "" or with '/' after it
  std::string belowRoot;   // below the work tree's root, likewise
  bool ignored = false;    // git ignores it: only what git tracks is taken
};

class Walker {
 public:
  Walker(const WalkOptions& options, std::vector<WalkEntry>* found)
      : options_(options), found_(*found) {}

  void walk(std::string_view named) {
    named_ = named;
    namedFromCurrent_ = fromCurrentFolder(named);
    Place start{toPath(named), std::string(named), "", ""};
    if (!endsWithSeparator(named)) start.shown += '/';
    std::error_code failure;
    fs::path real = fs::canonical(start.folder, failure);
    std::optional<fs::path> root;
    if (options_.readIgnoreFiles && !failure) root = workTreeRoot(real);
    if (!root) return visit(start, nullptr);
    WorkTree tree;
    readWorkTree(*root, &tree);
    fs::path above = *root;
    for (const fs::path& name : real.lexically_relative(*root)) {
      if (name == ".") break;
      readIgnoreFile(above / ".gitignore", fromPath(above / ".gitignore"),
                     start.belowRoot, &tree.rules);
      above /= name;
      start.belowRoot += fromPath(name) + '/';
    }
    visit(start, &tree);
  }

 private:
  void visit(const Place& place, WorkTree* tree) {
    if (tree) {
      readIgnoreFile(place.folder / ".gitignore", place.shown + ".gitignore",
                     place.belowRoot, &tree->rules);
    }
    std::vector<Child> children;
    std::string error;
    if (!listFolder(place.folder, &children, &error)) {
      std::string shown = place.shown;
      if (!place.belowNamed.empty() || !endsWithSeparator(named_)) {
        shown.pop_back();
      }
      found_.push_back({std::move(shown), nullptr, std::move(error)});
    }
    for (const Child& child : children) take(place, child, tree);
    if (tree) tree->rules.removeLast();
  }

  // What git ignores is skipped, unless git tracks it or a file below it.
  void take(const Place& place, const Child& child, WorkTree* tree) {
    std::string belowNamed = place.belowNamed + child.name;
    if (excluded(belowNamed, child)) return;
    const Language* language = nullptr;
    if (!child.isFolder) {
      language = languageOfExtension(extensionOf(child.name));
      if (!language) return;
    }
    std::string belowRoot = place.belowRoot + child.name;
    bool ignored = tree && (place.ignored ||
                            tree->rules.ignores(belowRoot, child.isFolder));
    if (ignored && !tree->tracks(belowRoot, child.isFolder)) return;
    std::string shown = place.shown + child.name;
    if (!child.isFolder) {
      found_.push_back({std::move(shown), language, ""});
      return;
    }
    Place inside{place.folder / toPath(child.name), shown + '/',
                 belowNamed + '/', belowRoot + '/', ignored};
    if (!tree || !holdsDotGit(inside.folder)) return visit(inside, tree);
    WorkTree own;
    readWorkTree(inside.folder, &own);
    inside.belowRoot.clear();
    inside.ignored = false;
    visit(inside, &own);
  }

  bool excluded(std::string_view belowNamed, const Child& child) const {
    std::string fromCurrent = joined(namedFromCurrent_, belowNamed);
    for (std::string_view glob : options_.excludes) {
      if (excludedBy(glob, child.isFolder, belowNamed, fromCurrent,
                     child.name)) {
        return true;
      }
    }
    return false;
  }

  // Reads what the work tree at `root` tracks and its repository's excludes.
  void readWorkTree(const fs::path& root, WorkTree* tree) {
    readIndex(root, tree);
    fs::path repository = repositoryOf(root);
    if (repository.empty()) return;
    fs::path path = repository / "info" / "exclude";
    readIgnoreFile(path, fromPath(path), "", &tree->rules);
  }

  // Adds the ignore file at `path` to `rules`, as an empty one when there is
  // none; reports one that cannot be read as `shown`.
  void readIgnoreFile(const fs::path& path, std::string shown,
                      const std::string& base, IgnoreRules* rules) {
    std::string error;
    std::optional<std::string> text = readSmallFile(path, &error);
    if (!error.empty()) found_.push_back({std::move(shown), nullptr, error});
    rules->add(text.value_or(""), base);
  }

  const WalkOptions& options_;
  std::string_view named_;
  std::string namedFromCurrent_;
  std::vector<WalkEntry>& found_;
};

}  // namespace

bool excludesNamedPath(std::string_view path, bool isFolder,
                       const std::vector<std::string>& excludes) {
  const std::string fromCurrent = fromCurrentFolder(path);
  for (size_t end = fromCurrent.find('/');;
       end = fromCurrent.find('/', end + 1)) {
    std::string_view head = std::string_view(fromCurrent).substr(0, end);
    std::string_view name = head.substr(head.rfind('/') + 1);
    bool last = end == fromCurrent.npos;
    for (std::string_view glob : excludes) {
      if (!name.empty() && name != ".." &&
          excludedBy(glob, !last || isFolder, head, head, name)) {
        return true;
      }
    }
    if (last) return false;
  }
}

std::vector<WalkEntry> walkFolder(std::string_view folder,
                                  const WalkOptions& options) {
  std::vector<WalkEntry> found;
  Walker(options, &found).walk(folder);
  return found;
}
