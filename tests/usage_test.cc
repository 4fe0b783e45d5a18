#include <gtest/gtest.h>

#include "tests/run_program.h"

namespace {

TEST(UsageTest, HelpListsEveryOptionAndExtensionInItsColumns) {
  RunResult result = runQuillfix({"--help"}, {});
  EXPECT_EQ(0, result.status);
  EXPECT_EQ(
      "Usage: quillfix [OPTION]... [--] PATH...\n"
      "  or:  quillfix [OPTION]... -\n"
      "  or:  quillfix --lsp\n"
      "Sort C, C++ and Java sources into quillfix's layout. A folder is walked "
      "for\n"
      "sources, skipping what git ignores; '-' is standard input. With no "
      "mode,\n"
      "the sorted code is printed.\n"
      "\n"
      "  -w, --write              replace each file whose sorted code differs\n"
      "  -c, --check              print the path of each file that would "
      "change\n"
      "  -d, --diff               print a unified diff of each file that "
      "would\n"
      "                           change\n"
      "      --indent SPEC        one level of indentation: t and a count of\n"
      "                           tabs, or s and a count of blanks, the count\n"
      "                           from 1 to 256 (default: as .editorconfig\n"
      "                           says, else t1)\n"
      "      --lang c|cpp|java    the language of standard input and of named\n"
      "                           files (else their extension's)\n"
      "      --stdin-filename NAME  the name standard input stands for, in\n"
      "                           messages and for its language\n"
      "      --lines START:END    make only the changes that touch lines "
      "START\n"
      "                           to END (from 1) of one file or standard\n"
      "                           input; repeatable\n"
      "  -j, --jobs N             sort up to N files at once (default: one "
      "per\n"
      "                           processor)\n"
      "      --exclude GLOB       skip the files and folders, named or "
      "walked,\n"
      "                           whose name or path below the named folder\n"
      "                           matches (./GLOB: path from the current\n"
      "                           folder); repeatable\n"
      "      --no-ignore          do not read .gitignore files\n"
      "  -h, --help               print this help and end\n"
      "  -V, --version            print the version and end\n"
      "      --lsp                serve the language server protocol on\n"
      "                           standard input and output (formatting and\n"
      "                           range formatting)\n"
      "      --                   take every later argument as a path\n"
      "\n"
      "Sources: .c .h (C), .cc .cpp .cxx .c++ .hh .hpp .hxx .h++ .ipp .tpp "
      ".inl\n"
      "(C++), .java (Java), in any case.\n"
      "Exit status: 0 when all went well, 1 when --check or --diff found a "
      "file\n"
      "that would change, 2 when anything failed.\n"
      "A first argument that does not begin with '-' selects the classic "
      "command\n"
      "line instead (see 'quillfix /?').\n",
      result.out);
}

}  // namespace
