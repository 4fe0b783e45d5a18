// The layout rules of C and C++ alone; the shared ones are in
// engine_test.cc.

#include <gtest/gtest.h>

#include "tests/sort_cases.h"

// The cases are a table, one line each, kept as written.
// clang-format off
namespace {

const char kHello[] =
    "#include <stdio.h>\n\nint main(void) {\n    int i;\n    for (i = 0; i < 3; i++) {\n        printf(\"%d\", i);\n    }\n    return 0;\n}\n";

TEST(CppSortTest, ProgramWithADirectiveIsIndentedByTheUnit) {
  expectSorted(kCppLanguage, "\t", {
    {__LINE__, kHello,
     "#include <stdio.h>\nint main(void) \n{\n\tint i;\n\tfor (i = 0; i < 3; i++) \n\t{\n\t\tprintf(\"%d\", i) ;\n\t}\n\n\treturn 0;\n}\n\n"},
  });
  expectSorted(kCppLanguage, "  ", {
    {__LINE__, kHello,
     "#include <stdio.h>\nint main(void) \n{\n  int i;\n  for (i = 0; i < 3; i++) \n  {\n    printf(\"%d\", i) ;\n  }\n\n  return 0;\n}\n\n"},
  });
}

TEST(CppSortTest, PreprocessorLineIsCopiedToItsEnd) {
  expectSorted(kCppLanguage, "\t", {
    {__LINE__, "#define F(x) \\\n  do { x; } while (0)\nf(1);\n",
     "#define F(x) \\\n  do { x; } while (0)\nf(1) ;\n"},
    {__LINE__, "#define A 1 /* it's\n   one */\nint b;\n",
     "#define A 1 /* it's\n   one */\nint b;\n"},
    {__LINE__, "#if 1 /* c */ x\ny;\n", "#if 1 /* c */ x\ny;\n"},
    {__LINE__, "#if 1 /*/ x */\ny;\n", "#if 1 /*/ x */\ny;\n"},
    {__LINE__, "#define Q \"a\\\"b // c\"\nx;  y;\n",
     "#define Q \"a\\\"b // c\"\nx;\ny;\n"},
    {__LINE__, "#define S \"/*\"\nx;  y;\n", "#define S \"/*\"\nx;\ny;\n"},
    {__LINE__, "#error don't\nx;  y;\n", "#error don't\nx;\ny;\n"},
    {__LINE__, "#define N 1'000 // it's\nx;  y;\n",
     "#define N 1'000 // it's\nx;\ny;\n"},
    {__LINE__, "#if 0\nit's\n#endif\nc = ';';\nd = \"x  y\";\n",
     "#if 0\nit's\n#endif\nc = ';';\nd = \"x  y\";\n"},
    {__LINE__, "#define X", "#define X"},
  });
  expectSorted(kCppLanguage, "\t", {
    {__LINE__, "#define A 1 // quillfix off\nint   x;\n", "#define A 1 // quillfix off\nint x;\n"},
  }, MarkedRegions::kLeftAlone);
}

TEST(CppSortTest, PreprocessorLineIsIndentedLikeTheLinesAroundIt) {
  expectSorted(kCppLanguage, "\t", {
    {__LINE__, "{\n#if X\nx;\n#endif\n}\n", "{\n\t\t#if X\nx;\n\t#endif\n}\n\n"},
  });
}

TEST(CppSortTest, PreprocessorLineKeepsItsOwnLine) {
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

TEST(CppSortTest, LineCommentGoesOnAfterABackslash) {
  expectSorted(kCppLanguage, "\t", {
    {__LINE__, "// dir \\\nx; y;\nz;\n", "// dir \\\nx; y;\nz;\n"},
    {__LINE__, "#define A 1 // c \\\n  still\nx;  y;\n",
     "#define A 1 // c \\\n  still\nx;\ny;\n"},
  });
}

TEST(CppSortTest, EmptyStringMeetsTheNextLiteralWithoutABlank) {
  expectSorted(kCppLanguage, "\t", {
    {__LINE__, "s = \"\" \"x\";", "s = \"\"\"x\";\n"},
    {__LINE__, "s = \"\"\n  \"x  y\";", "s = \"\"\"x  y\";\n"},
    {__LINE__, "s = \"\"\"\"\"x\";", "s = \"\"\"\"\"x\";\n"},
    {__LINE__, "printf(\"%\" PRIu64 \"x\", x);",
     "printf(\"%\" PRIu64 \"x\", x) ;\n"},
  });
}

TEST(CppSortTest, RawStringIsCopiedWhole) {
  expectSorted(kCppLanguage, "\t", {
    {__LINE__, "s = R\"(a;  \"b)\";  t;", "s = R\"(a;  \"b)\";\nt;\n"},
    {__LINE__, "s = R\"x(a)\" b)x\";", "s = R\"x(a)\" b)x\";\n"},
    {__LINE__, "s = u8R\"(a\n  b)\";", "s = u8R\"(a\n  b)\";\n"},
    {__LINE__, "s = LR\"(\\)\";  t;", "s = LR\"(\\)\";\nt;\n"},
    {__LINE__, "s = R\"1234567890123456(a\n  b)1234567890123456\";",
     "s = R\"1234567890123456(a\n  b)1234567890123456\";\n"},
    {__LINE__, "s = R\"x(open", "s = R\"x(open"},
  });
}

TEST(CppSortTest, QuoteThatOpensNoRawStringOpensAPlainLiteral) {
  expectSorted(kCppLanguage, "\t", {
    {__LINE__, "s = xR\"(a\n  b)\";", "s = xR\"(a\nb)\";"},
    {__LINE__, "s = R\"12345678901234567(a\n  b)12345678901234567\";",
     "s = R\"12345678901234567(a\nb)12345678901234567\";"},
    {__LINE__, "s = R\"a b(x\n  y)a b\";", "s = R\"a b(x\ny)a b\";"},
    {__LINE__, "R\"\" (\")\"\" ", "R\"\" (\")\"\" "},
    {__LINE__, "u8R\"ab\"\"\"\"\"\n()x", "u8R\"ab\"\"\"\"\" () x"},
    {__LINE__, "R\"ab\"'c'\n(x)", "R\"ab\"'c' (x) "},
    {__LINE__, "R\"ab\"x\"\"\n(y)", "R\"ab\"x\"\" (y) "},
    // Of literals in one piece, the last one decides.
    {__LINE__, "R\"a\"\"b\"\n(y)", "R\"a\"\"b\" (y) "},
    {__LINE__, "R\"\"\" \"\"\"\n(y)", "R\"\"\" \"\"\"(y) "},
    {__LINE__, "R\"a\" /**/", "R\"a\" /**/\n"},
    // The layout's own line feed ends the delimiter.
    {__LINE__, "R\"a\"b;\"c\"\n(z)", "R\"a\"b;\n\"c\"(z) "},
  });
}

TEST(CppSortTest, QuoteInsideANumberSeparatesDigits) {
  expectSorted(kCppLanguage, "\t", {
    {__LINE__, "n = 1'000'000;", "n = 1'000'000;\n"},
    {__LINE__, "m = 0xFF'FF;", "m = 0xFF'FF;\n"},
    {__LINE__, "c = u8'a';", "c = u8'a';\n"},
    {__LINE__, "f = .5'0;  g;", "f = .5'0;\ng;\n"},
    {__LINE__, "c = x'a';  g;", "c = x'a';\ng;\n"},
    {__LINE__, "c = 'x 0''\t';  g;", "c = 'x 0''\t';\ng;\n"},
    {__LINE__, "x = 'a'1'2;  y;", "x = 'a'1'2;\ny;\n"},
  });
}

TEST(CppSortTest, LineSpliceKeepsTheLinesItJoinsApart) {
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

}  // namespace
// clang-format on
