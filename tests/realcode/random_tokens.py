#!/usr/bin/env python3
"""Checks that quillfix keeps the tokens of random C/C++ and Java texts.

Each case joins random tokens (identifiers, numbers with digit separators,
every kind of literal, also glued together as "a""b", 'a''b' or a string
and a text block, comments, among them the markers of regions left alone,
directives with continuation lines, line splices) with random white space; quillfix sorts it, and the tokens of source
and result are compared through the real lexers of check_tokens.py (clang's
raw lexer, javac's scanner). Prints the seed; a failing case is shrunk to a
small one before it is printed. Exits 1 if any case differs.

  random_tokens.py QUILLFIX [CASES [SEED]]

Left out, since no compiler accepts them: a "#" in the middle of a C line
(it may land first on a line), and Java's Unicode escapes outside literals.
"""
import os
import random
import subprocess
import sys
import tempfile

import check_tokens

BOUNDARY = "quillfix_case_boundary"
WHITE_SPACE = ["", "", " ", " ", "  ", "\t", "\n", "\n\n", " \t ", "\t\n  ",
               "\n    ", " \n"]
WORD_CHARS = set("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                 "0123456789_$")


def pick(rand, *choices):
    return rand.choice(choices)


def word(rand):
    return pick(rand, "x", "if", "int", "return", "R", "u8", "L", "u", "U",
                "LR", "a1", "_b", "count", "$d") + pick(rand, "", "", "z")


def literal_text(rand, quote, pieces, shortest=0):
    return quote + "".join(rand.choice(pieces) for _ in range(
        rand.randint(shortest, 6))) + quote


def glued(rand, *makers):
    """Two or three literals written with nothing between them."""
    return "".join(rand.choice(makers)(rand)
                   for _ in range(rand.randint(2, 3)))


def c_string(rand):
    return pick(rand, "", "u8", "L", "u", "U") + literal_text(
        rand, '"', ["a", " ", "  ", "\t", ";", "{", "}", "//", "/*", "'",
                    "\\\"", "\\\\", "\\n", "\\\n", "*/", "(", ")"])


def c_char(rand):
    return pick(rand, "", "", "u8", "L") + pick(
        rand, "'a'", "' '", "'\\''", "'\\\\'", "'\"'", "';'", "'{'",
        "'\\n'", "'\\t'", "'ab'", "'0'", "'x 0'", "'/'")


def c_token(rand):
    kind = rand.randrange(13)
    if kind == 0:
        return word(rand)
    if kind == 1:
        return pick(rand, "0", "42", "1'000'000", "0x1F'FF", "0b1010'0101",
                    "1.5", ".5", "1e10", "1.5e-3f", "100ULL", "1'0.0'1",
                    "0'7", "9'9u")
    if kind == 2:
        return c_string(rand)
    if kind == 3:
        return c_char(rand)
    if kind == 4:
        delimiter = pick(rand, "", "x", "ab_1", "--")
        body = "".join(rand.choice(["a", " ", ";", "{", "\"", ")", "\n",
                                    "\\", "  x", "\t", "//", "/*"])
                       for _ in range(rand.randint(0, 6)))
        body = body.replace(")" + delimiter + '"', ") " + delimiter + '"')
        return pick(rand, "R", "u8R", "LR", "uR", "UR") + '"' + delimiter + \
            "(" + body + ")" + delimiter + '"'
    if kind == 5:
        return "//" + pick(rand, "", " c", " it's", " a { ; \"", " x \\\n y",
                           "/* z", " quillfix off", " quillfix on",
                           " clang-format off: table") + "\n"
    if kind == 6:
        return "/*" + pick(rand, "", " c ", "\n  * it's\n ", "/", "*",
                           " ; { \" ", " // x ", " quillfix off ",
                           " quillfix on ", " *INDENT-ON* ") + "*/"
    if kind == 7:
        return "\n" + pick(rand, "", "  ", "\t") + "#" + pick(
            rand, "define A 1", "define F(x) \\\n  do { x; } while (0)",
            "if defined(X) && Y", "endif", "include <stdio.h>",
            "error it's \"bad\"", "define S \"a;  b\" // c \\\n  d",
            "define B /* one\n  two */ 2", "  pragma once",
            "define N 1'000") + "\n"
    if kind == 8:
        return "\\\n"  # a line splice; white space follows it
    if kind == 9:
        return glued(rand, c_string, c_char)
    return pick(rand, ";", ";", "{", "}", "(", ")", "[", "]", ",", "+", "++",
                "-", "->", "*", "/", "%", "<", "<<", "<=", ">", ">>", "=",
                "==", "!=", "&&", "||", "&", "|", "^", "~", "!", "?", ":",
                "::", ".", "...", "};")


def java_string(rand, shortest=0):
    return literal_text(rand, '"', ["a", " ", "  ", "\t", ";", "{", "}",
                                    "//", "/*", "'", "\\\"", "\\\\",
                                    "\\n", "\\u0041", "*/"], shortest)


def java_char(rand):
    return pick(rand, "'a'", "' '", "'\\''", "'\\\\'", "'\"'", "';'",
                "'{'", "'\\n'", "'\\u0041'")


def text_block(rand):
    body = "".join(rand.choice(["a", " ", ";", "{", "\"x", "\"\"x",
                                "\\\"\"\"x", "\n", "\\\\", "  x", "\t",
                                "//", "/*"])
                   for _ in range(rand.randint(0, 6)))
    return '"""\n' + body + '"""'


def java_glued(rand):
    """Literals written together; an empty string comes last, since a quote
    after it would open a text block."""
    return glued(rand, lambda r: java_string(r, 1), java_char,
                 text_block) + pick(rand, "", '""')


def java_token(rand):
    kind = rand.randrange(11)
    if kind == 0:
        return word(rand)
    if kind == 1:
        return pick(rand, "0", "42", "1_000_000", "0x1F_FF", "0b1010",
                    "1.5", ".5", "1e10", "1.5e-3f", "10L", "07")
    if kind == 2:
        return java_string(rand)
    if kind == 3:
        return java_char(rand)
    if kind == 4:
        return text_block(rand)
    if kind == 5:
        return "//" + pick(rand, "", " c", " it's", " a { ; \"", " x \\",
                           "/* z", " quillfix off", " quillfix on") + "\n"
    if kind == 6:
        return pick(rand, "/*", "/**") + pick(
            rand, "", " c ", "\n  * it's\n ", "/", "*", " ; { \" ",
            " quillfix off ", " clang-format on ") + "*/"
    if kind == 7:
        return pick(rand, "@Override", "@A(1)", "@interface")
    if kind == 8:
        return java_glued(rand)
    return pick(rand, ";", ";", "{", "}", "(", ")", "[", "]", ",", ".", "...",
                "::", "->", "+", "++", "-", "--", "=", "==", "!=", "<", "<<",
                ">", ">>", ">>>", "&&", "||", "?", ":", "~", "!", "%", "^",
                "|", "&", "*", "/", "};")


def may_touch(before, after, language):
    """False where two tokens written together would read as other ones."""
    if not before or not after:
        return True
    last, first = before[-1], after[0]
    if last in WORD_CHARS and (first in WORD_CHARS or first in "'\""):
        return False
    if language == "java" and before.endswith('""') and first == '"':
        return False  # """ would open a text block
    if last == "/" and first in "/*":
        return False
    if (last == "." and (first.isdigit() or first == ".")) or \
            (last.isalnum() and first == "."):
        return False
    if last in "%<" and first in ":%>":
        return False
    return not before.endswith("\\\n")


def make_case(rand, language):
    token = c_token if language == "c" else java_token
    pieces = []
    for _ in range(rand.randint(1, 24)):
        text = token(rand)
        white = rand.choice(WHITE_SPACE)
        if text == "\\\n":
            white = rand.choice([" ", "  ", "\t", "\n", "\n\n", " \t\n "])
        pieces.append((text, white))
    return joined(pieces, language)


def joined(pieces, language):
    """`pieces` with white space added where two tokens may not touch."""
    kept = []
    for text, white in pieces:
        if kept and not kept[-1][1] and not may_touch(kept[-1][0], text,
                                                      language):
            kept[-1] = (kept[-1][0], " ")
        kept.append((text, white))
    return kept


def case_text(pieces):
    return "".join(text + white for text, white in pieces)


def sort_texts(quillfix, texts, suffix, scratch):
    results = []
    for index, text in enumerate(texts):
        path = os.path.join(scratch, f"case{index}{suffix}")
        with open(path, "wb") as source:
            source.write(text)
        # The conventional command line, which leaves marked regions alone.
        run = subprocess.run([quillfix, "--", path], capture_output=True)
        results.append(run.stdout if run.returncode == 0 else b"\0failed")
    return results


def c_token_lists(texts, scratch):
    """The tokens of each text, lexed together, split at the boundaries."""
    joined = b"".join(text + b"\n\n" + BOUNDARY.encode() + b"\n"
                      for text in texts)
    lists, current = [], []
    for token in check_tokens.c_tokens(joined, scratch):
        if token[1] == BOUNDARY.encode():
            lists.append(current)
            current = []
        else:
            current.append(token)
    return lists if len(lists) == len(texts) else None


def differing_c(quillfix, texts, scratch):
    """The indexes of the texts whose sorted code lexes differently."""
    results = sort_texts(quillfix, texts, ".cpp", scratch)
    before, after = c_token_lists(texts, scratch), c_token_lists(
        results, scratch)
    suspects = range(len(texts)) if before is None or after is None else [
        k for k in range(len(texts)) if before[k] != after[k]]
    return [k for k in suspects
            if check_tokens.c_tokens(texts[k], scratch) !=
            check_tokens.c_tokens(results[k], scratch)]


def differing_java(quillfix, texts, scratch):
    results = sort_texts(quillfix, texts, ".java", scratch)
    pairs = os.path.join(scratch, "pairs")
    with open(pairs, "w") as listing:
        for index, (text, result) in enumerate(zip(texts, results)):
            before = os.path.join(scratch, f"{index}.before")
            after = os.path.join(scratch, f"{index}.after")
            with open(before, "wb") as out:
                out.write(text)
            with open(after, "wb") as out:
                out.write(result)
            listing.write(f"{index}\t{before}\t{after}\n")
    run = subprocess.run(java_command(scratch) + [pairs], capture_output=True,
                         text=True, check=True)
    lines = run.stdout.splitlines()
    unlexable = [line for line in lines if line.startswith("UNLEXABLE")]
    if unlexable:
        sys.exit(f"made a case javac cannot read: {texts[int(unlexable[0].split()[1])]!r}")
    return [int(line.split()[1].rstrip(":"))
            for line in lines if line.startswith("DIFFERS")]


def java_command(scratch):
    classes = os.path.join(scratch, "classes")
    exports = []
    for package in ("parser", "util", "file"):
        exports += ["--add-exports",
                    f"jdk.compiler/com.sun.tools.javac.{package}=ALL-UNNAMED"]
    if not os.path.isdir(classes):
        subprocess.run([check_tokens.java_tool("javac"), *exports, "-d",
                        classes, os.path.join(check_tokens.HERE,
                                              "JavaTokens.java")], check=True)
    return [check_tokens.java_tool("java"), *exports, "-cp", classes,
            "JavaTokens"]


def has_javac():
    try:
        subprocess.run([check_tokens.java_tool("javac"), "-version"],
                       capture_output=True, check=True)
        return True
    except (OSError, subprocess.CalledProcessError):
        return False


def shrink(pieces, still_fails, language):
    """Drops pieces and white space while the case still fails."""
    while True:
        candidates = [joined(pieces[:k] + pieces[k + 1:], language)
                      for k in range(len(pieces))]
        candidates += [pieces[:k] + [(text, " " if white else "")] +
                       pieces[k + 1:]
                       for k, (text, white) in enumerate(pieces)
                       if white not in ("", " ")]
        failing = still_fails(candidates)
        if not failing:
            return pieces
        pieces = candidates[failing[0]]


def main():
    quillfix = os.path.abspath(sys.argv[1])
    cases = int(sys.argv[2]) if len(sys.argv) > 2 else 2000
    seed = int(sys.argv[3]) if len(sys.argv) > 3 else random.randrange(1 << 32)
    print(f"random_tokens.py: {cases} cases per language, seed {seed}")
    rand = random.Random(seed)
    failed = 0
    with tempfile.TemporaryDirectory() as scratch:
        for language, suffix, differing in (
                ("c", ".cpp", differing_c), ("java", ".java", differing_java)):
            made = [make_case(rand, language) for _ in range(cases)]
            if language == "java" and not has_javac():
                print("java: left out, no javac here")
                continue

            def still_fails(candidates):
                texts = [case_text(p).encode() for p in candidates]
                return differing(quillfix, texts, scratch)

            bad = still_fails(made)
            failed += len(bad)
            if bad:
                small = shrink(made[bad[0]], still_fails, language)
                text = case_text(small).encode()
                sorted_text = sort_texts(quillfix, [text], suffix, scratch)[0]
                print(f"{language}: {len(bad)} of {cases} cases differ; "
                      f"the first, shrunk:\n  source {text!r}\n"
                      f"  sorted {sorted_text!r}")
            else:
                print(f"{language}: {cases} cases, all the same tokens")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
