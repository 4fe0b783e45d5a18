#include <gtest/gtest.h>

#include "tests/sort_cases.h"

// The cases are a table, one line each, kept as written.
// clang-format off
namespace {

class CppSortTest : public testing::Test {};

TEST_F(CppSortTest, WorkedExamplesWithOneTab) {
  expectSorted(kCppLanguage, "\t", {
    {__LINE__,
     "#include <stdio.h>\n\nint main(void) {\n    int i;\n    for (i = 0; i < 3; i++) {\n        printf(\"%d\", i);\n    }\n    return 0;\n}\n",
     "#include <stdio.h>\nint main(void) \n{\n\tint i;\n\tfor (i = 0; i < 3; i++) \n\t{\n\t\tprintf(\"%d\", i) ;\n\t}\n\n\treturn 0;\n}\n\n"},
    {__LINE__,
     "struct point {\n  int x; /* across */\n  int y;\n};\nvoid f(void) {\n  g(); // call\n  h();\n}\n",
     "struct point \n{\n\tint x;\n\t/* across */\n\tint y;\n};\nvoid f(void) \n{\n\tg() ;\n\t// call\nh() ;\n}\n\n"},
    {__LINE__,
     "x = 1;\n{\n  y = \"{;}\";\n  {\n    z;\n  }\n}\n",
     "x = 1;\n{\n\t\ty = \"{;}\";\n\t{\n\t\t\t\tz;\n\t}\n\n}\n\n"},
  });
}

TEST_F(CppSortTest, WorkedExamplesWithTwoBlanks) {
  expectSorted(kCppLanguage, "  ", {
    {__LINE__,
     "#include <stdio.h>\n\nint main(void) {\n    int i;\n    for (i = 0; i < 3; i++) {\n        printf(\"%d\", i);\n    }\n    return 0;\n}\n",
     "#include <stdio.h>\nint main(void) \n{\n  int i;\n  for (i = 0; i < 3; i++) \n  {\n    printf(\"%d\", i) ;\n  }\n\n  return 0;\n}\n\n"},
    {__LINE__,
     "struct point {\n  int x; /* across */\n  int y;\n};\nvoid f(void) {\n  g(); // call\n  h();\n}\n",
     "struct point \n{\n  int x;\n  /* across */\n  int y;\n};\nvoid f(void) \n{\n  g() ;\n  // call\nh() ;\n}\n\n"},
    {__LINE__,
     "x = 1;\n{\n  y = \"{;}\";\n  {\n    z;\n  }\n}\n",
     "x = 1;\n{\n    y = \"{;}\";\n  {\n        z;\n  }\n\n}\n\n"},
  });
}

TEST_F(CppSortTest, EdgeCasesOfTheLayout) {
  expectSorted(kCppLanguage, "\t", {
    {__LINE__, "", ""},
    {__LINE__, "abc", "abc"},
    {__LINE__, "x = 1", "x = 1"},
    {__LINE__, "a  \t \n\n b;", "a b;\n"},
    {__LINE__, "a\n  b;", "a\nb;\n"},
    {__LINE__, "a \n", "a "},
    {__LINE__, "a\n", "a\n"},
    {__LINE__, "a;  \n\n  b;", "a;\nb;\n"},
    {__LINE__, "f(x);", "f(x) ;\n"},
    {__LINE__, "if (a) b;", "if (a) b;\n"},
    {__LINE__, "f(g(x), y);", "f(g(x), y) ;\n"},
    {__LINE__, "for (i = 0; i < n; i++) x;", "for (i = 0; i < n; i++) x;\n"},
    {__LINE__, "a);\nb;\n", "a);\nb;\n"},
    {__LINE__, "f(a;\nb;\n", "f(a;\nb;\n"},
    {__LINE__, "x;\n}\ny;\n{\nz;\n}\nw;\n", "x;\n}\n\ny;\n{\nz;\n}\n\nw;\n"},
    {__LINE__, "int a[] = {1, 2};\nint b;\n", "int a[] = \n{\n\t1, 2};\nint b;\n"},
    {__LINE__, "s = \"{\";\nt;\n", "s = \"{\";\nt;\n"},
    {__LINE__, "if (a) {\n  b;\n} else {\n  c;\n}\n",
     "if (a) \n{\n\tb;\n}\n\nelse \n{\n\tc;\n}\n\n"},
    {__LINE__, "f() {}", "f() \n{\n\t\n}\n\n"},
    {__LINE__, "/* c */\n{\nx;\n}\n", "/* c */\n{\n\t\tx;\n}\n\n"},
    {__LINE__, "a /* c */ b;", "a /* c */\nb;\n"},
    {__LINE__, "a;\n/* open", "a;\n/* open"},
    {__LINE__, "c = 'a' + 1;", "c = 'a'+ 1;\n"},
    {__LINE__, "a;\rb;", "a;\n\rb;\n"},
    {__LINE__, std::string("a\0b;", 4), std::string("a\0b;\n", 5)},
  });
}

TEST_F(CppSortTest, BracesAtTheStartOfTheTextBeginALine) {
  expectSorted(kCppLanguage, "\t", {
    {__LINE__, "{x;}", "{\n\t\tx;\n}\n\n"},
    {__LINE__, "  \n}", "}\n\n"},
    {__LINE__, "}x;", "}\n\nx;\n"},
    {__LINE__, "x{", "x\n{\n\t"},
  });
}

TEST_F(CppSortTest, ModesOpenAtTheEndOfTheTextAreCutShort) {
  expectSorted(kCppLanguage, "\t", {
    {__LINE__, "a = \"open", "a = \"open"},
    {__LINE__, "a = 'x", "a = 'x"},
    {__LINE__, "#define X", "#define X"},
    {__LINE__, "a; // tail", "a;\n// tail"},
    {__LINE__, "s = R\"x(open", "s = R\"x(open"},
    {__LINE__, "s = \"a\\", "s = \"a\\"},
  });
}

TEST_F(CppSortTest, TabBetweenWordsIsOneBlank) {
  expectSorted(kCppLanguage, "\t", {
    {__LINE__, "int\tx;", "int x;\n"},
    {__LINE__, "a\t\nb;", "a b;\n"},
    {__LINE__, "a  \t \n\n b;", "a b;\n"},
    {__LINE__, "\tint x;", "int x;\n"},
    {__LINE__, "s = \"a\"\tb;", "s = \"a\" b;\n"},
    {__LINE__, "f(a)\tb;", "f(a) b;\n"},
  });
}

TEST_F(CppSortTest, BackslashEscapesTheNextCharacterOfALiteral) {
  expectSorted(kCppLanguage, "\t", {
    {__LINE__, "s = \"a\\\"b\";", "s = \"a\\\"b\";\n"},
    {__LINE__, "c = '\\'';", "c = '\\'';\n"},
    {__LINE__, "c = '\\\\';", "c = '\\\\';\n"},
    {__LINE__, "s = \"\\\\\"; t;", "s = \"\\\\\";\nt;\n"},
    {__LINE__, "s = \"a\\\nb;  c\";", "s = \"a\\\nb;  c\";\n"},
  });
}

TEST_F(CppSortTest, LiteralEndsAtItsLine) {
  expectSorted(kCppLanguage, "\t", {
    {__LINE__, "#if 0\nit's\n#endif\nc = ';';\nd = \"x  y\";\n",
     "#if 0\nit's\n#endif\nc = ';';\nd = \"x  y\";\n"},
    {__LINE__, "a = \"x\n  b;", "a = \"x\nb;\n"},
  });
}

TEST_F(CppSortTest, PreprocessorLineIsCopiedToItsEnd) {
  expectSorted(kCppLanguage, "\t", {
    {__LINE__, "#define F(x) \\\n  do { x; } while (0)\nf(1);\n",
     "#define F(x) \\\n  do { x; } while (0)\nf(1) ;\n"},
    {__LINE__, "#define A 1 /* it's\n   one */\nint b;\n",
     "#define A 1 /* it's\n   one */\nint b;\n"},
    {__LINE__, "#if 1 /* c */ x\ny;\n", "#if 1 /* c */ x\ny;\n"},
    {__LINE__, "#define Q \"a\\\"b // c\"\nx;  y;\n",
     "#define Q \"a\\\"b // c\"\nx;\ny;\n"},
    {__LINE__, "#define S \"/*\"\nx;  y;\n", "#define S \"/*\"\nx;\ny;\n"},
    {__LINE__, "#error don't\nx;  y;\n", "#error don't\nx;\ny;\n"},
    {__LINE__, "#define N 1'000 // it's\nx;  y;\n",
     "#define N 1'000 // it's\nx;\ny;\n"},
    {__LINE__, "{\n#if X\nx;\n#endif\n}\n", "{\n\t\t#if X\nx;\n\t#endif\n}\n\n"},
  });
}

TEST_F(CppSortTest, BlockCommentClosesAfterItsOpener) {
  expectSorted(kCppLanguage, "\t", {
    {__LINE__, "/*/ x */", "/*/ x */\n"},
    {__LINE__, "/**/x;", "/**/\nx;\n"},
    {__LINE__, "#if 1 /*/ x */\ny;\n", "#if 1 /*/ x */\ny;\n"},
    {__LINE__, "a /* { ; } */ b;", "a /* { ; } */\nb;\n"},
  });
}

TEST_F(CppSortTest, LiteralKeepsApartFromAWordAfterIt) {
  expectSorted(kCppLanguage, "\t", {
    {__LINE__, "printf(\"%\" PRIu64 \"x\", x);",
     "printf(\"%\" PRIu64 \"x\", x) ;\n"},
    {__LINE__, "c = 'a' + 1;", "c = 'a'+ 1;\n"},
    {__LINE__, "s = \"a\"sv;", "s = \"a\"sv;\n"},
    {__LINE__, "x = \"a\"\n  b;", "x = \"a\" b;\n"},
    {__LINE__, "x = \"a\" _b;", "x = \"a\" _b;\n"},
    {__LINE__, "x = \"a\" \xC3\xA9;", "x = \"a\" \xC3\xA9;\n"},
    {__LINE__, "x = \"a\" \"b\";", "x = \"a\"\"b\";\n"},
  });
}

TEST_F(CppSortTest, RawStringIsCopiedWhole) {
  expectSorted(kCppLanguage, "\t", {
    {__LINE__, "s = R\"(a;  \"b)\";  t;", "s = R\"(a;  \"b)\";\nt;\n"},
    {__LINE__, "s = R\"x(a)\" b)x\";", "s = R\"x(a)\" b)x\";\n"},
    {__LINE__, "s = u8R\"(a\n  b)\";", "s = u8R\"(a\n  b)\";\n"},
    {__LINE__, "s = LR\"(\\)\";  t;", "s = LR\"(\\)\";\nt;\n"},
    {__LINE__, "s = xR\"(a\n  b)\";", "s = xR\"(a\nb)\";"},
    {__LINE__, "s = R\"12345678901234567(a\n  b)12345678901234567\";",
     "s = R\"12345678901234567(a\nb)12345678901234567\";"},
    {__LINE__, "s = R\"a b(x\n  y)a b\";", "s = R\"a b(x\ny)a b\";"},
    {__LINE__, "R\"\" (\")\"\" ", "R\"\" (\")\"\" "},
  });
}

TEST_F(CppSortTest, LineCommentGoesOnAfterABackslash) {
  expectSorted(kCppLanguage, "\t", {
    {__LINE__, "// dir \\\nx; y;\nz;\n", "// dir \\\nx; y;\nz;\n"},
    {__LINE__, "#define A 1 // c \\\n  still\nx;  y;\n",
     "#define A 1 // c \\\n  still\nx;\ny;\n"},
  });
}

TEST_F(CppSortTest, QuoteInsideANumberSeparatesDigits) {
  expectSorted(kCppLanguage, "\t", {
    {__LINE__, "n = 1'000'000;", "n = 1'000'000;\n"},
    {__LINE__, "m = 0xFF'FF;", "m = 0xFF'FF;\n"},
    {__LINE__, "c = u8'a';", "c = u8'a';\n"},
    {__LINE__, "f = .5'0;  g;", "f = .5'0;\ng;\n"},
    {__LINE__, "c = x'a';  g;", "c = x'a';\ng;\n"},
    {__LINE__, "c = 'a''b';", "c = 'a''b';\n"},
    {__LINE__, "c = 'x 0''\t';  g;", "c = 'x 0''\t';\ng;\n"},
  });
}

TEST_F(CppSortTest, LineSpliceKeepsTheLinesItJoinsApart) {
  expectSorted(kCppLanguage, "\t", {
    {__LINE__, "a\\\n  b;", "a\\\n b;\n"},
    {__LINE__, "a\\\n\nb;", "a\\\n\nb;\n"},
    {__LINE__, "a\\\n\t\tb;", "a\\\n b;\n"},
    {__LINE__, "x = 1 + \\\n    2;", "x = 1 + \\\n 2;\n"},
    {__LINE__, "a\\\nb;", "a\\\nb;\n"},
    {__LINE__, "f()\\\n{x;}", "f() \\\n\n{\n\tx;\n}\n\n"},
    {__LINE__, "a\\{", "a\\\n\n{\n\t"},
  });
}

TEST_F(CppSortTest, PreprocessorLineKeepsItsOwnLine) {
  expectSorted(kCppLanguage, "\t", {
    {__LINE__, "f(x)\n#endif\ng;\n", "f(x) \n#endif\ng;\n"},
    {__LINE__, "s = \"a\"\n#ifdef B\n\"b\"\n#endif\n;\n",
     "s = \"a\"\n#ifdef B\n\"b\"\n#endif\n;\n"},
    {__LINE__, "movel #1, d0\n  x;\n", "movel #1, d0\nx;\n"},
    {__LINE__, "a = b\n  \t#if X\n", "a = b\n#if X\n"},
    {__LINE__, "42 \\\n \n\t#if X\n", "42 \\\n \n#if X\n"},
    {__LINE__, "42 \\\n  #if X\n", "42 \\\n #if X\n"},
  });
}

}  // namespace
// clang-format on
