#ifndef QUILLFIX_FORMAT_LANGUAGE_H_
#define QUILLFIX_FORMAT_LANGUAGE_H_

#include <string_view>

// A language as the engine lays it out: its names, and the few rules in
// which the languages differ.
struct Language {
  std::string_view name;        // as --lang and the classic extension name it
  std::string_view title;       // as people write it
  std::string_view extensions;  // separated by blanks, of any case in a path
  bool hasDirectives;           // "#" opens a preprocessor line
  bool splicesLines;            // a backslash before a line feed joins lines
  bool hasRawStrings;           // R"delimiter( ... )delimiter"
  bool hasDigitSeparators;      // 1'000'000
  bool hasTextBlocks;           // """ ... """
};

// C and C++ are laid out by the same rules.
inline constexpr Language kCLanguage = {
    .name = "c",
    .title = "C",
    .extensions = "c h",
    .hasDirectives = true,
    .splicesLines = true,
    .hasRawStrings = true,
    .hasDigitSeparators = true,
    .hasTextBlocks = false,
};

inline constexpr Language kCppLanguage = {
    .name = "cpp",
    .title = "C++",
    .extensions = "cc cpp cxx c++ hh hpp hxx h++ ipp tpp inl",
    .hasDirectives = true,
    .splicesLines = true,
    .hasRawStrings = true,
    .hasDigitSeparators = true,
    .hasTextBlocks = false,
};

inline constexpr Language kJavaLanguage = {
    .name = "java",
    .title = "Java",
    .extensions = "java",
    .hasDirectives = false,
    .splicesLines = false,
    .hasRawStrings = false,
    .hasDigitSeparators = false,
    .hasTextBlocks = true,
};

inline constexpr const Language* kLanguages[] = {&kCLanguage, &kCppLanguage,
                                                 &kJavaLanguage};

/// The language whose name is exactly `name`, or null.
const Language* languageNamed(std::string_view name);

/// The language one of whose extensions is `extension`, whatever the case of
/// its letters, or null.
const Language* languageOfExtension(std::string_view extension);

/// What follows the last "." of `path`, or an empty string when it has none.
/// A dot in a folder's name gives an extension with a separator in it, which
/// no language has.
std::string_view extensionOf(std::string_view path);

#endif  // QUILLFIX_FORMAT_LANGUAGE_H_
