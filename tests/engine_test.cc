// The layout that C, C++ and Java share: every case holds for each.

#include <gtest/gtest.h>

#include "tests/sort_cases.h"

// The cases are a table, one line each, kept as written.
// clang-format off
namespace {

const char kCounter[] =
    "class Counter {\n    int total;\n    void add(int n) {\n        for (int i = 0; i < n; i++) { total += i; }\n        if (total > 100) { total = 0; } else { total++; }\n    }\n}\n";
const char kNote[] =
    "class Note {\n    // running sum\n    int sum;   /* kept */ int max;\n    @Override public String toString() { return \"N{\" + sum + \"}\"; }\n}\n";
const char kTable[] =
    "class Table {\n    int[] cells = {1, 2};\n    int size;\n    {\n        size = 2;\n    }\n}\n";
const char kPoint[] =
    "struct point {\n  int x; /* across */\n  int y;\n};\nvoid f(void) {\n  g(); // call\n  h();\n}\n";
const char kNested[] = "x = 1;\n{\n  y = \"{;}\";\n  {\n    z;\n  }\n}\n";

TEST(SharedLayoutTest, WholeProgramIsIndentedOneTabPerLevel) {
  expectSortedInBoth("\t", {
    {__LINE__, kCounter,
     "class Counter \n{\n\tint total;\n\tvoid add(int n) \n\t{\n\t\tfor (int i = 0; i < n; i++) \n\t\t{\n\t\t\ttotal += i;\n\t\t}\n\n\t\tif (total > 100) \n\t\t{\n\t\t\ttotal = 0;\n\t\t}\n\n\t\telse \n\t\t{\n\t\t\ttotal++;\n\t\t}\n\n\t}\n\n}\n\n"},
    {__LINE__, kNote,
     "class Note \n{\n\t// running sum\nint sum;\n\t/* kept */\n\tint max;\n\t@Override public String toString() \n\t{\n\t\treturn \"N{\"+ sum + \"}\";\n\t}\n\n}\n\n"},
    {__LINE__, kTable,
     "class Table \n{\n\tint[] cells = \n\t{\n\t\t1, 2};\n\tint size;\n\t{\n\t\t\t\tsize = 2;\n\t}\n\n}\n\n"},
    {__LINE__, kPoint,
     "struct point \n{\n\tint x;\n\t/* across */\n\tint y;\n};\nvoid f(void) \n{\n\tg() ;\n\t// call\nh() ;\n}\n\n"},
    {__LINE__, kNested, "x = 1;\n{\n\t\ty = \"{;}\";\n\t{\n\t\t\t\tz;\n\t}\n\n}\n\n"},
  });
}

TEST(SharedLayoutTest, WholeProgramIsIndentedTwoBlanksPerLevel) {
  expectSortedInBoth("  ", {
    {__LINE__, kCounter,
     "class Counter \n{\n  int total;\n  void add(int n) \n  {\n    for (int i = 0; i < n; i++) \n    {\n      total += i;\n    }\n\n    if (total > 100) \n    {\n      total = 0;\n    }\n\n    else \n    {\n      total++;\n    }\n\n  }\n\n}\n\n"},
    {__LINE__, kNote,
     "class Note \n{\n  // running sum\nint sum;\n  /* kept */\n  int max;\n  @Override public String toString() \n  {\n    return \"N{\"+ sum + \"}\";\n  }\n\n}\n\n"},
    {__LINE__, kTable,
     "class Table \n{\n  int[] cells = \n  {\n    1, 2};\n  int size;\n  {\n        size = 2;\n  }\n\n}\n\n"},
    {__LINE__, kPoint,
     "struct point \n{\n  int x;\n  /* across */\n  int y;\n};\nvoid f(void) \n{\n  g() ;\n  // call\nh() ;\n}\n\n"},
    {__LINE__, kNested, "x = 1;\n{\n    y = \"{;}\";\n  {\n        z;\n  }\n\n}\n\n"},
  });
}

TEST(SharedLayoutTest, WhiteSpaceRunKeepsItsFirstBlankOrLineFeed) {
  expectSortedInBoth("\t", {
    {__LINE__, "", ""},
    {__LINE__, " \t\n \n", ""},
    {__LINE__, "abc", "abc"},
    {__LINE__, "x = 1", "x = 1"},
    {__LINE__, "a  \t \n\n b;", "a b;\n"},
    {__LINE__, "a\n  b;", "a\nb;\n"},
    {__LINE__, "a \n", "a "},
    {__LINE__, "a\n", "a\n"},
    {__LINE__, "a;  \n\n  b;", "a;\nb;\n"},
  });
}

TEST(SharedLayoutTest, TabIsWrittenAsABlankOrDropped) {
  expectSortedInBoth("\t", {
    {__LINE__, "int\tx;", "int x;\n"},
    {__LINE__, "a\t\nb;", "a b;\n"},
    {__LINE__, "a\t\t\t\tb;", "a b;\n"},
    {__LINE__, "\tint x;", "int x;\n"},
    {__LINE__, "s = \"a\"\tb;", "s = \"a\" b;\n"},
    {__LINE__, "f(a)\tb;", "f(a) b;\n"},
  });
}

TEST(SharedLayoutTest, SemicolonOutsideParenthesesEndsTheLine) {
  expectSortedInBoth("\t", {
    {__LINE__, "if (a) b;", "if (a) b;\n"},
    {__LINE__, "for (int i = 0; i < n; i++) sum += i;",
     "for (int i = 0; i < n; i++) sum += i;\n"},
    {__LINE__, "a);\nb;\n", "a);\nb;\n"},
    {__LINE__, "f(a;\nb;\n", "f(a;\nb;\n"},
  });
}

TEST(SharedLayoutTest, OutermostClosingParenthesisIsFollowedByABlank) {
  expectSortedInBoth("\t", {
    {__LINE__, "f(x);", "f(x) ;\n"},
    {__LINE__, "f(g(x), y);", "f(g(x), y) ;\n"},
    {__LINE__, "f(\"a\")", "f(\"a\") "},
    {__LINE__, "f(g(\"a\"))", "f(g(\"a\")) "},
    {__LINE__, "List<String> a = new ArrayList<String>();",
     "List<String> a = new ArrayList<String>() ;\n"},
  });
}

TEST(SharedLayoutTest, BraceGoesOnALineOfItsOwn) {
  expectSortedInBoth("\t", {
    {__LINE__, "x;\n}\ny;\n{\nz;\n}\nw;\n", "x;\n}\n\ny;\n{\nz;\n}\n\nw;\n"},
    {__LINE__, "if (a) {\n  b();\n} else {\n  c();\n}\n",
     "if (a) \n{\n\tb() ;\n}\n\nelse \n{\n\tc() ;\n}\n\n"},
    {__LINE__, "try {\n  f();\n} catch (E e) {\n  g();\n}\n",
     "try \n{\n\tf() ;\n}\n\ncatch (E e) \n{\n\tg() ;\n}\n\n"},
    {__LINE__, "do {\n  i++;\n} while (i < 3);\n",
     "do \n{\n\ti++;\n}\n\nwhile (i < 3) ;\n"},
    {__LINE__, "void f() {}", "void f() \n{\n\t\n}\n\n"},
    {__LINE__, "class A {\n  void f() {\n  }\n  int x;\n}\n",
     "class A \n{\n\tvoid f() \n\t{\n\t\t\n\t}\n\nint x;\n}\n\n"},
    {__LINE__, "class A {\n@Override\nvoid f() {}\n}\n",
     "class A \n{\n\t@Override\nvoid f() \n\t{\n\t\t\n\t}\n\n}\n\n"},
    {__LINE__, "package p;\nimport java.util.List;\nclass A {}\n",
     "package p;\nimport java.util.List;\nclass A \n{\n\t\n}\n\n"},
    {__LINE__, "enum E { A, B; }", "enum E \n{\n\tA, B;\n}\n\n"},
    {__LINE__, "s = \"{\";\nt;\n", "s = \"{\";\nt;\n"},
    {__LINE__, "c = '{';\nd;\n", "c = '{';\nd;\n"},
  });
}

TEST(SharedLayoutTest, BraceAtTheStartOfTheTextBeginsALine) {
  expectSortedInBoth("\t", {
    {__LINE__, "{x;}", "{\n\t\tx;\n}\n\n"},
    {__LINE__, "  \n}", "}\n\n"},
    {__LINE__, "}x;", "}\n\nx;\n"},
    {__LINE__, "x{", "x\n{\n\t"},
  });
}

TEST(SharedLayoutTest, ClosingBraceBeforeASemicolonStaysOnItsLine) {
  expectSortedInBoth("\t", {
    {__LINE__, "enum e { A, B };", "enum e \n{\n\tA, B };\n"},
    {__LINE__, "int[] a = {1, 2};\nint b;\n", "int[] a = \n{\n\t1, 2};\nint b;\n"},
    {__LINE__, "r = () -> { go(); };\nn = 1;\n",
     "r = () -> \n{\n\tgo() ;\n};\nn = 1;\n"},
    {__LINE__,
     "class A {\n  Runnable r = new Runnable() {\n    public void run() {\n      go();\n    }\n  };\n  int b;\n}\n",
     "class A \n{\n\tRunnable r = new Runnable() \n\t{\n\t\tpublic void run() \n\t\t{\n\t\t\tgo() ;\n\t\t}\n\n\t};\n\tint b;\n}\n\n"},
  });
}

TEST(SharedLayoutTest, BlockAfterASemicolonOrABlockCommentIsIndentedTwice) {
  expectSortedInBoth("\t", {
    {__LINE__, "/* c */\n{\nx;\n}\n", "/* c */\n{\n\t\tx;\n}\n\n"},
    {__LINE__, "a;\n{\nb;\n}\n", "a;\n{\n\t\tb;\n}\n\n"},
  });
}

TEST(SharedLayoutTest, LiteralIsCopiedWhole) {
  expectSortedInBoth("\t", {
    {__LINE__, "s = \"a;  {b}  c\";  t;", "s = \"a;  {b}  c\";\nt;\n"},
    {__LINE__, "s = \"a\\\"b\";", "s = \"a\\\"b\";\n"},
    {__LINE__, "c = '\\'';", "c = '\\'';\n"},
    {__LINE__, "c = '\\\\';", "c = '\\\\';\n"},
    {__LINE__, "s = \"\\\\\"; t;", "s = \"\\\\\";\nt;\n"},
    {__LINE__, "s = \"a\\\nb;  c\";", "s = \"a\\\nb;  c\";\n"},
    {__LINE__, "a = \"x\n  b;", "a = \"x\nb;\n"},
    {__LINE__, "s = \"0123456789\\\"  x  \\\"\";", "s = \"0123456789\\\"  x  \\\"\";\n"},
    {__LINE__, "s = \"0123456789\\\n  x  \";", "s = \"0123456789\\\n  x  \";\n"},
    {__LINE__, "c = '01234567\\'  x  \\'';", "c = '01234567\\'  x  \\'';\n"},
  });
}

TEST(SharedLayoutTest, LiteralOpenAtTheEndOfTheTextIsCutShort) {
  expectSortedInBoth("\t", {
    {__LINE__, "a = \"open", "a = \"open"},
    {__LINE__, "a = 'x", "a = 'x"},
    {__LINE__, "s = \"a\\", "s = \"a\\"},
  });
}

TEST(SharedLayoutTest, LiteralKeepsApartFromAWordAfterIt) {
  expectSortedInBoth("\t", {
    {__LINE__, "c = 'a' + 1;", "c = 'a'+ 1;\n"},
    {__LINE__, "s = \"a\"sv;", "s = \"a\"sv;\n"},
    {__LINE__, "x = \"a\"\n  b;", "x = \"a\" b;\n"},
    {__LINE__, "x = \"a\" _b;", "x = \"a\" _b;\n"},
    {__LINE__, "x = \"a\" \xC3\xA9;", "x = \"a\" \xC3\xA9;\n"},
    {__LINE__, "c = 'a'\n  instanceof X;", "c = 'a' instanceof X;\n"},
    {__LINE__, "s = \"a\" + \"b\";", "s = \"a\"+ \"b\";\n"},
    {__LINE__, "s = \"a\"\n  .length();", "s = \"a\".length() ;\n"},
  });
}

TEST(SharedLayoutTest, LiteralsMeetWithoutABlank) {
  expectSortedInBoth("\t", {
    {__LINE__, "s = \"a\" \"b\";", "s = \"a\"\"b\";\n"},
    {__LINE__, "s = \"a\"\"b\" \"c\";", "s = \"a\"\"b\"\"c\";\n"},
    {__LINE__, "c = 'a' 'b';", "c = 'a''b';\n"},
    {__LINE__, "c = 'a''b';", "c = 'a''b';\n"},
  });
}

TEST(SharedLayoutTest, CommentIsCopiedAndABlockCommentEndsItsLine) {
  expectSortedInBoth("\t", {
    {__LINE__, "a /* c */ b;", "a /* c */\nb;\n"},
    {__LINE__, "a /* { ; } */ b;", "a /* { ; } */\nb;\n"},
    {__LINE__, "/** Doc. */\nclass A {}\n", "/** Doc. */\nclass A \n{\n\t\n}\n\n"},
    {__LINE__, "/*/ x */", "/*/ x */\n"},
    {__LINE__, "/**/x;", "/**/\nx;\n"},
    {__LINE__, "class A {\n  // c\n  int x;\n}\n", "class A \n{\n\t// c\nint x;\n}\n\n"},
    {__LINE__, "a;\n/* open", "a;\n/* open"},
    {__LINE__, "a; // tail", "a;\n// tail"},
  });
}

TEST(SharedLayoutTest, RegionBetweenMarkersIsWrittenAsItWasRead) {
  expectSortedInBoth("\t", {
    {__LINE__, "a  =  1;  // quillfix off\nint   t[2] = {1,   2};\n// quillfix on\nb  =  2;\n",
     "a = 1;\n// quillfix off\nint   t[2] = {1,   2};\n// quillfix on\nb = 2;\n"},
    {__LINE__, "void f() {\n  // quillfix off\n  int   x;\n  // quillfix on\n  int   y;\n}\n",
     "void f() \n{\n\t// quillfix off\n  int   x;\n  // quillfix on\nint y;\n}\n\n"},
    {__LINE__, "void f() {\n  /* quillfix off */\n  int   x;\n  /* quillfix on */\n  int   y;\n}\n",
     "void f() \n{\n\t/* quillfix off */\n  int   x;\n  /* quillfix on */\n\tint y;\n}\n\n"},
    {__LINE__, "/* quillfix off */\nvoid g() {\n/* quillfix on */\nx  =  1;\n}\n",
     "/* quillfix off */\nvoid g() {\n/* quillfix on */\n\tx = 1;\n}\n\n"},
    {__LINE__, "f(a,  /* quillfix off */  b,   c  /* quillfix on */  ,  d);\n",
     "f(a, /* quillfix off */  b,   c  /* quillfix on */\n, d) ;\n"},
    {__LINE__, "x;  // quillfix off", "x;\n// quillfix off"},
    {__LINE__, "x  =  1;  /* quillfix off */", "x = 1;\n/* quillfix off */"},
    {__LINE__, "/* quillfix off */\nint   x ;\n  y;", "/* quillfix off */\nint   x ;\n  y;"},
    {__LINE__, "/* quillfix off */" + std::string(60, '{') + " x;", "/* quillfix off */" + std::string(60, '{') + " x;"},
    {__LINE__, "// quillfix off\r\nint   y;\r\n// quillfix on\r\nz;", "// quillfix off\r\nint   y;\r\n// quillfix on\r\nz;\n"},
    {__LINE__, "// quillfix off\na  ;\n// quillfix off\nb  ;\n// quillfix on\nc  ;", "// quillfix off\na  ;\n// quillfix off\nb  ;\n// quillfix on\nc ;\n"},
    {__LINE__, "// quillfix off: aligned\na  ;\n// quillfix on\n", "// quillfix off: aligned\na  ;\n// quillfix on\n"},
    {__LINE__, "/* clang-format off */ a  ; /* clang-format on */ b  ;", "/* clang-format off */ a  ; /* clang-format on */\nb ;\n"},
    {__LINE__, "/* *INDENT-OFF* */a  ;/* *INDENT-ON* */b  ;", "/* *INDENT-OFF* */a  ;/* *INDENT-ON* */\nb ;\n"},
  }, MarkedRegions::kLeftAlone);
}

TEST(SharedLayoutTest, OnlyACommentOfAMarkersWordsIsAMarker) {
  expectSortedInBoth("\t", {
    {__LINE__, "x;  // quillfix offset\ny  ;", "x;\n// quillfix offset\ny ;\n"},
    {__LINE__, "x  ;  // quillfix on\ny  ;", "x ;\n// quillfix on\ny ;\n"},
    {__LINE__, "s = \"// quillfix off\";   t  ;", "s = \"// quillfix off\";\nt ;\n"},
    {__LINE__, "x;  // quillfix off now\ny  ;", "x;\n// quillfix off now\ny ;\n"},
  }, MarkedRegions::kLeftAlone);
}

TEST(SharedLayoutTest, MarkerIsAnOrdinaryCommentWhereRegionsAreSorted) {
  expectSortedInBoth("\t", {
    {__LINE__, "// quillfix off\nint   x;\n/* quillfix on */ y  ;", "// quillfix off\nint x;\n/* quillfix on */\ny ;\n"},
  });
}

TEST(SharedLayoutTest, CarriageReturnAndNulAreOrdinary) {
  expectSortedInBoth("\t", {
    {__LINE__, "a;\rb;", "a;\n\rb;\n"},
    {__LINE__, std::string("a\0b;", 4), std::string("a\0b;\n", 5)},
  });
}

}  // namespace
// clang-format on
