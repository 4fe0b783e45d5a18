#include "app/ignore.h"

#include <utility>

namespace {

// How a try to match the rest of a glob ended. The two ways of giving up
// tell the `*` loops further out that trying longer runs is hopeless: no
// text is left, or a single `*` would have to cross a '/'.
enum class Outcome { kMatch, kNoMatch, kAbortAll, kAbortToDoubleStar };

char at(std::string_view text, size_t index) {
  return index < text.size() ? text[index] : '\0';
}

bool isGlobSpecial(char c) {
  return c == '*' || c == '?' || c == '[' || c == '\\';
}

bool inRange(char c, char low, char high) {
  return static_cast<unsigned char>(c) >= static_cast<unsigned char>(low) &&
         static_cast<unsigned char>(c) <= static_cast<unsigned char>(high);
}

// Whether `c` belongs to the class `name` of `[:name:]`; `known` is cleared
// for a name that is no class. Only ASCII characters belong to any.
bool inClass(std::string_view name, char c, bool* known) {
  bool upper = inRange(c, 'A', 'Z');
  bool lower = inRange(c, 'a', 'z');
  bool digit = inRange(c, '0', '9');
  bool space = c == ' ' || inRange(c, '\t', '\r');
  bool print = inRange(c, ' ', '~');
  *known = true;
  if (name == "alnum") return upper || lower || digit;
  if (name == "alpha") return upper || lower;
  if (name == "blank") return c == ' ' || c == '\t';
  if (name == "cntrl") return inRange(c, '\0', '\x1f') || c == '\x7f';
  if (name == "digit") return digit;
  if (name == "graph") return print && c != ' ';
  if (name == "lower") return lower;
  if (name == "print") return print;
  if (name == "punct") return print && c != ' ' && !upper && !lower && !digit;
  if (name == "space") return space;
  if (name == "upper") return upper;
  if (name == "xdigit")
    return digit || inRange(c, 'a', 'f') || inRange(c, 'A', 'F');
  *known = false;
  return false;
}

Outcome matchFrom(std::string_view pattern, size_t p, std::string_view text,
                  size_t t);

// Matches the set that opens at pattern[*p] against `c`; leaves *p on its
// closing ']'.
Outcome matchSet(std::string_view pattern, size_t* p, char c) {
  size_t i = *p + 1;
  bool negated = at(pattern, i) == '!' || at(pattern, i) == '^';
  if (negated) ++i;
  char previous = '\0';
  bool matched = false;
  char current = at(pattern, i);
  do {
    if (i >= pattern.size()) return Outcome::kAbortAll;
    if (current == '\\') {
      if (++i >= pattern.size()) return Outcome::kAbortAll;
      current = pattern[i];
      matched |= c == current;
    } else if (current == '-' && previous != '\0' && i + 1 < pattern.size() &&
               pattern[i + 1] != ']') {
      current = pattern[++i];
      if (current == '\\') {
        if (++i >= pattern.size()) return Outcome::kAbortAll;
        current = pattern[i];
      }
      matched |= inRange(c, previous, current);
      current = '\0';
    } else if (current == '[' && at(pattern, i + 1) == ':') {
      size_t name = i + 2;
      size_t close = pattern.find(']', name);
      if (close == std::string_view::npos) return Outcome::kAbortAll;
      if (close == name || pattern[close - 1] != ':') {
        matched |= c == '[';
        continue;
      }
      bool known;
      matched |= inClass(pattern.substr(name, close - 1 - name), c, &known);
      if (!known) return Outcome::kAbortAll;
      i = close;
      current = '\0';
    } else {
      matched |= c == current;
    }
  } while (previous = current, (current = at(pattern, ++i)) != ']');
  *p = i;
  return matched != negated && c != '/' ? Outcome::kMatch : Outcome::kNoMatch;
}

// Matches a run of stars that begins at pattern[p] and what follows it.
Outcome matchStars(std::string_view pattern, size_t p, std::string_view text,
                   size_t t) {
  size_t first = p;
  while (at(pattern, p + 1) == '*') ++p;
  size_t next = p + 1;
  bool crossesSlashes = false;
  if (p > first) {
    bool opens = first == 0 || pattern[first - 1] == '/';
    char after = at(pattern, next);
    bool closes = next >= pattern.size() || after == '/' ||
                  (after == '\\' && at(pattern, next + 1) == '/');
    if (opens && closes) {
      if (after == '/' &&
          matchFrom(pattern, next + 1, text, t) == Outcome::kMatch) {
        return Outcome::kMatch;
      }
      crossesSlashes = true;
    }
  }
  if (next >= pattern.size()) {
    bool slashLeft = text.find('/', t) != std::string_view::npos;
    return crossesSlashes || !slashLeft ? Outcome::kMatch : Outcome::kNoMatch;
  }
  if (!crossesSlashes && pattern[next] == '/') {
    size_t slash = text.find('/', t);
    if (slash == std::string_view::npos) return Outcome::kNoMatch;
    return matchFrom(pattern, next + 1, text, slash + 1);
  }
  for (; t < text.size(); ++t) {
    if (!isGlobSpecial(pattern[next])) {
      while (t < text.size() && (crossesSlashes || text[t] != '/') &&
             text[t] != pattern[next]) {
        ++t;
      }
      if (at(text, t) != pattern[next]) return Outcome::kNoMatch;
    }
    Outcome rest = matchFrom(pattern, next, text, t);
    if (rest != Outcome::kNoMatch) {
      if (!crossesSlashes || rest != Outcome::kAbortToDoubleStar) return rest;
    } else if (!crossesSlashes && text[t] == '/') {
      return Outcome::kAbortToDoubleStar;
    }
  }
  return Outcome::kAbortAll;
}

Outcome matchFrom(std::string_view pattern, size_t p, std::string_view text,
                  size_t t) {
  for (; p < pattern.size(); ++p, ++t) {
    char wanted = pattern[p];
    if (t >= text.size() && wanted != '*') return Outcome::kAbortAll;
    char c = at(text, t);
    switch (wanted) {
      case '*':
        return matchStars(pattern, p, text, t);
      case '?':
        if (c == '/') return Outcome::kNoMatch;
        break;
      case '[': {
        Outcome set = matchSet(pattern, &p, c);
        if (set != Outcome::kMatch) return set;
        break;
      }
      case '\\':
        if (c != at(pattern, ++p)) return Outcome::kNoMatch;
        break;
      default:
        if (c != wanted) return Outcome::kNoMatch;
    }
  }
  return t < text.size() ? Outcome::kNoMatch : Outcome::kMatch;
}

// Drops the blanks at the end of `line`, but not one that a backslash
// escapes, nor any after a backslash that ends the line.
std::string_view trimTrailingBlanks(std::string_view line) {
  size_t end = line.size();
  size_t blanksFrom = std::string_view::npos;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == ' ') {
      if (blanksFrom == std::string_view::npos) blanksFrom = i;
      continue;
    }
    if (line[i] == '\\' && ++i == line.size()) return line;
    blanksFrom = std::string_view::npos;
  }
  if (blanksFrom != std::string_view::npos) end = blanksFrom;
  return line.substr(0, end);
}

std::string_view lastName(std::string_view path) {
  size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool matchesGlob(std::string_view pattern, std::string_view text) {
  return matchFrom(pattern, 0, text, 0) == Outcome::kMatch;
}

void IgnoreRules::add(std::string_view text, std::string base) {
  File file{std::move(base), {}};
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    line = line.substr(0, line.find('\0'));
    if (line.empty() || line[0] == '#') continue;
    line = trimTrailingBlanks(line);
    Pattern pattern{{}, line.starts_with('!'), false, false};
    if (pattern.negated) line.remove_prefix(1);
    pattern.foldersOnly = line.ends_with('/');
    if (pattern.foldersOnly) line.remove_suffix(1);
    pattern.matchesName = line.find('/') == std::string_view::npos;
    if (line.starts_with('/')) line.remove_prefix(1);
    if (line.empty()) continue;
    pattern.glob = line;
    file.patterns.push_back(std::move(pattern));
  }
  files_.push_back(std::move(file));
}

void IgnoreRules::removeLast() {
  files_.pop_back();
}

const IgnoreRules::Pattern* IgnoreRules::lastMatch(const File& file,
                                                   std::string_view path,
                                                   bool isFolder) {
  if (path.size() <= file.base.size() || !path.starts_with(file.base)) {
    return nullptr;
  }
  std::string_view below = path.substr(file.base.size());
  for (auto pattern = file.patterns.rbegin(); pattern != file.patterns.rend();
       ++pattern) {
    if (pattern->foldersOnly && !isFolder) continue;
    std::string_view subject = pattern->matchesName ? lastName(below) : below;
    if (matchesGlob(pattern->glob, subject)) return &*pattern;
  }
  return nullptr;
}

bool IgnoreRules::ignores(std::string_view path, bool isFolder) const {
  for (auto file = files_.rbegin(); file != files_.rend(); ++file) {
    if (const Pattern* pattern = lastMatch(*file, path, isFolder)) {
      return !pattern->negated;
    }
  }
  return false;
}
