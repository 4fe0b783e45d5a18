#include "app/editor_config.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// An indentation as --indent writes it.
std::string specOf(const Indent& indent) {
  std::string spec = indent.character == ' ' ? "s" : "t";
  return spec += std::to_string(indent.count);
}

const std::string kCount = "not a count from 1 to 256; indenting by one tab";

// clang-format off
TEST(EditorConfigTest, PropertiesGiveTheIndentation) {
  struct {
    int line;
    EditorConfigProperties properties;
    std::string indent;
    std::string warning;
  } cases[] = {
    {__LINE__, {}, "t1", ""},
    {__LINE__, {{"indent_style", "tab"}}, "t1", ""},
    {__LINE__, {{"indent_style", "tab"}, {"indent_size", "4"}}, "t1", ""},
    {__LINE__, {{"indent_style", "tab"}, {"indent_size", "x"}}, "t1", ""},
    {__LINE__, {{"indent_style", "space"}, {"indent_size", "4"}}, "s4", ""},
    {__LINE__, {{"indent_size", "2"}, {"indent_style", "space"}}, "s2", ""},
    {__LINE__, {{"indent_style", "space"}, {"indent_size", "1"}}, "s1", ""},
    {__LINE__, {{"indent_style", "space"}, {"indent_size", "256"}}, "s256", ""},
    {__LINE__, {{"indent_style", "space"}, {"indent_size", "tab"}, {"tab_width", "3"}}, "s3", ""},
    {__LINE__, {{"indent_style", "space"}, {"tab_width", "8"}}, "s8", ""},
    {__LINE__, {{"indent_style", "space"}, {"indent_size", "unset"}, {"tab_width", "5"}}, "s5", ""},
    {__LINE__, {{"indent_style", "space"}}, "t1", ""},
    {__LINE__, {{"indent_style", "space"}, {"indent_size", "tab"}}, "t1", ""},
    {__LINE__, {{"indent_style", "space"}, {"indent_size", "unset"}, {"tab_width", "unset"}}, "t1", ""},
    {__LINE__, {{"indent_size", "4"}}, "t1", ""},
    {__LINE__, {{"indent_style", "unset"}, {"indent_size", "4"}}, "t1", ""},
    {__LINE__, {{"end_of_line", "lf"}, {"charset", "utf-8"}}, "t1", ""},
    {__LINE__, {{"indent_style", "space"}, {"indent_size", "0"}}, "t1", ".editorconfig sets indent_size to '0', " + kCount},
    {__LINE__, {{"indent_style", "space"}, {"indent_size", "257"}}, "t1", ".editorconfig sets indent_size to '257', " + kCount},
    {__LINE__, {{"indent_style", "space"}, {"indent_size", "-4"}}, "t1", ".editorconfig sets indent_size to '-4', " + kCount},
    {__LINE__, {{"indent_style", "space"}, {"indent_size", "4.5"}}, "t1", ".editorconfig sets indent_size to '4.5', " + kCount},
    {__LINE__, {{"indent_style", "space"}, {"indent_size", ""}}, "t1", ".editorconfig sets indent_size to '', " + kCount},
    {__LINE__, {{"indent_style", "space"}, {"tab_width", "x"}}, "t1", ".editorconfig sets tab_width to 'x', " + kCount},
    {__LINE__, {{"indent_style", "blank"}, {"indent_size", "4"}}, "t1", ".editorconfig sets indent_style to 'blank', not tab or space; indenting by one tab"},
  };
  for (const auto& c : cases) {
    testing::ScopedTrace trace(__FILE__, c.line, "the case stated here");
    std::string warning;
    EXPECT_EQ(c.indent, specOf(indentOfProperties(c.properties, &warning)));
    EXPECT_EQ(c.warning, warning);
  }
}
// clang-format on

}  // namespace
