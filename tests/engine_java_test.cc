// The layout rules of Java alone; the shared ones are in
// engine_test.cc.

#include <gtest/gtest.h>

#include "tests/sort_cases.h"

// The cases are a table, one line each, kept as written.
// clang-format off
namespace {

TEST(JavaSortTest, TextBlockIsCopiedWhole) {
  expectSorted(kJavaLanguage, "\t", {
    {__LINE__, "s = \"\"\"\n  x;  \"y\"  z\n  \"\"\";  t;",
     "s = \"\"\"\n  x;  \"y\"  z\n  \"\"\";\nt;\n"},
    {__LINE__, "s = \"\"\"\n/* x; // y\n\"\"\";\nt;",
     "s = \"\"\"\n/* x; // y\n\"\"\";\nt;\n"},
    {__LINE__, "s = \"\"\"\n a\\\"\"\" ;\n\"\"\";", "s = \"\"\"\n a\\\"\"\" ;\n\"\"\";\n"},
    {__LINE__, "s = \"\"\"\n open; {", "s = \"\"\"\n open; {"},
    {__LINE__, "s = \"\"\"\nx\"\"\"\n  .strip();", "s = \"\"\"\nx\"\"\".strip() ;\n"},
  });
}

TEST(JavaSortTest, TextBlockRightAfterAStringIsCopiedWhole) {
  expectSorted(kJavaLanguage, "\t", {
    {__LINE__, "s = \"a\"\"\"\"\n  x  y\n  \"\"\";", "s = \"a\"\"\"\"\n  x  y\n  \"\"\";\n"},
    {__LINE__, "s = \"a\"\"b\"\"\"\"\n  x  y\n  \"\"\";",
     "s = \"a\"\"b\"\"\"\"\n  x  y\n  \"\"\";\n"},
  });
}

TEST(JavaSortTest, EmptyStringKeepsApartFromAQuoteAfterIt) {
  expectSorted(kJavaLanguage, "\t", {
    {__LINE__, "s = \"\" \"x  y\";", "s = \"\" \"x  y\";\n"},
    {__LINE__, "s = \"\"\n  \"x  y\";", "s = \"\" \"x  y\";\n"},
    {__LINE__, "s = \"\" + \"x\";", "s = \"\"+ \"x\";\n"},
  });
}

TEST(JavaSortTest, DirectivesSplicesAndRawStringsOfCAreOrdinaryText) {
  expectSorted(kJavaLanguage, "\t", {
    {__LINE__, "// dir \\\nx; y;\nz;\n", "// dir \\\nx;\ny;\nz;\n"},
    {__LINE__, "a\\\n  b;", "a\\\nb;\n"},
    {__LINE__, "a\\{", "a\\\n{\n\t"},
    {__LINE__, "s = R\"(a\n  b)\";", "s = R\"(a\nb)\";"},
    {__LINE__, "f(x)\n#endif\ng;\n", "f(x) #endif\ng;\n"},
    {__LINE__, "#x = \"{\";  y;", "#x = \"{\";\ny;\n"},
    {__LINE__, "a # b;", "a # b;\n"},
    {__LINE__, "n = 1'0';  g;", "n = 1'0';\ng;\n"},
  });
}

}  // namespace
// clang-format on
