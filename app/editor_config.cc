#include "app/editor_config.h"

#include <optional>
#include <string_view>

#include "app/command_line.h"
#include "app/walk.h"

namespace {

const char kInstead[] = "; indenting by one tab";

// The value of the property `name`; none where it is not given or "unset".
std::optional<std::string_view> valueOf(
    const EditorConfigProperties& properties, std::string_view name) {
  for (const auto& [key, value] : properties)
    if (key == name && value != "unset") return value;
  return std::nullopt;
}

std::string cannotUse(std::string_view name, std::string_view value,
                      std::string_view wanted) {
  return std::string(".editorconfig sets ")
      .append(name)
      .append(" to '")
      .append(value)
      .append("', not ")
      .append(wanted)
      .append(kInstead);
}

// indent_size blanks, else tab_width blanks where indent_size is not given
// or is "tab"; one tab where neither gives a count.
Indent blanksOf(const EditorConfigProperties& properties,
                std::string* warning) {
  std::string_view name = "indent_size";
  std::optional<std::string_view> count = valueOf(properties, name);
  if (!count || *count == "tab") {
    name = "tab_width";
    count = valueOf(properties, name);
    if (!count) return Indent();
  }
  std::string spec = "s";
  spec += *count;
  Indent indent;
  if (parseIndentSpec(spec, &indent)) return indent;
  std::string wanted = "a count from 1 to ";
  wanted += std::to_string(kMaxIndentCount);
  *warning = cannotUse(name, *count, wanted);
  return Indent();
}

}  // namespace

Indent indentOfProperties(const EditorConfigProperties& properties,
                          std::string* warning) {
  std::optional<std::string_view> style = valueOf(properties, "indent_style");
  if (!style || *style == "tab") return Indent();
  if (*style == "space") return blanksOf(properties, warning);
  *warning = cannotUse("indent_style", *style, "tab or space");
  return Indent();
}

Indent indentOfEditorConfig(const std::string& path, std::string* warning) {
  EditorConfigProperties properties;
  if (readEditorConfig(absolutePath(path), &properties, warning))
    return indentOfProperties(properties, warning);
  *warning += kInstead;
  return Indent();
}
