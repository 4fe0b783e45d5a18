#include "format/language.h"

namespace {

char lowered(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t k = 0; k < a.size(); ++k)
    if (lowered(a[k]) != lowered(b[k])) return false;
  return true;
}

bool hasExtension(const Language& language, std::string_view extension) {
  std::string_view list = language.extensions;
  while (!list.empty()) {
    size_t blank = list.find(' ');
    if (sameIgnoringCase(list.substr(0, blank), extension)) return true;
    list = blank == list.npos ? "" : list.substr(blank + 1);
  }
  return false;
}

}  // namespace

const Language* languageNamed(std::string_view name) {
  for (const Language* language : kLanguages)
    if (language->name == name) return language;
  return nullptr;
}

const Language* languageOfExtension(std::string_view extension) {
  for (const Language* language : kLanguages)
    if (hasExtension(*language, extension)) return language;
  return nullptr;
}

std::string_view extensionOf(std::string_view path) {
  size_t dot = path.rfind('.');
  return dot == path.npos ? "" : path.substr(dot + 1);
}
