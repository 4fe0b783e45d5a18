#!/usr/bin/env python3
"""Checks that quillfix keeps the tokens of real source files.

For every file given, the loaded text and its sorted code are lexed by a real
lexer (clang's raw lexer for C and C++, javac's scanner for Java) and the two
token streams compared: same kinds and spellings, and a "#" that starts a line
in one starts a line in the other. Prints one line per file that differs and a
count at the end; exits 1 if any differ.

  check_tokens.py QUILLFIX c FILE...
  check_tokens.py QUILLFIX java FILE...   (javac from JAVA_HOME, if set)
"""
import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
# Each token of clang's dump ends in its location; the spelling is taken from
# the text itself, since the dump's own quoting is ambiguous.
TOKEN_END = re.compile(r"\tLoc=<[^>]*:(\d+):(\d+)>\n")


def loaded(raw):
    """The text quillfix works on: up to the first 0x1A, CR LF as LF."""
    end = raw.find(b"\x1a")
    if end >= 0:
        raw = raw[:end]
    return raw.replace(b"\r\n", b"\n")


def sort(quillfix, path, suffix, scratch):
    copy = os.path.join(scratch, "source" + suffix)
    with open(path, "rb") as source, open(copy, "wb") as target:
        target.write(source.read())
    run = subprocess.run([quillfix, copy], capture_output=True)
    return run.returncode, run.stdout


def c_tokens(text, scratch):
    path = os.path.join(scratch, "lex.cpp")
    with open(path, "wb") as out:
        out.write(text)
    dump = subprocess.run(
        ["clang", "-cc1", "-x", "c++", "-std=c++17", "-dump-raw-tokens", path],
        capture_output=True).stderr.decode("latin-1")
    line_starts = [0] + [i + 1 for i, c in enumerate(text) if c == 10]
    starts, kinds = [], []
    chunk_start = 0
    for end in TOKEN_END.finditer(dump):
        chunk = dump[chunk_start:end.start()]
        chunk_start = end.end()
        line, column = int(end.group(1)), int(end.group(2))
        starts.append(line_starts[line - 1] + column - 1)
        kinds.append(chunk.split(" ", 1)[0])
    starts.append(len(text))
    tokens = []
    # A "#" starts a directive when only white space and comments stand
    # before it on its line, as the preprocessor sees lines.
    at_line_start = True
    for index, kind in enumerate(kinds):
        spelling = text[starts[index]:starts[index + 1]]
        # A backslash before a line feed joins the lines before lexing.
        spelling = spelling.replace(b"\\\n", b"")
        if kind == "unknown" and not spelling.strip():
            at_line_start = at_line_start or b"\n" in spelling
            continue
        if kind == "unknown":
            spelling = spelling.rstrip()
        tokens.append((kind, spelling, kind == "hash" and at_line_start))
        at_line_start = at_line_start and kind == "comment"
    return tokens


def check_c(quillfix, files):
    differing = 0
    with tempfile.TemporaryDirectory() as scratch:
        for path in files:
            with open(path, "rb") as source:
                text = loaded(source.read())
            status, result = sort(quillfix, path, ".cpp", scratch)
            before, after = c_tokens(text, scratch), c_tokens(result, scratch)
            if status != 0 or before != after:
                differing += 1
                print(f"DIFFERS {path}: {first_difference(before, after)}")
    return differing


def first_difference(before, after):
    for index, (a, b) in enumerate(zip(before, after)):
        if a != b:
            return f"token {index}: {a!r} became {b!r}"
    return f"{len(before)} tokens became {len(after)}"


def java_tool(name):
    home = os.environ.get("JAVA_HOME")
    return os.path.join(home, "bin", name) if home else name


def check_java(quillfix, files):
    with tempfile.TemporaryDirectory() as scratch:
        pairs = os.path.join(scratch, "pairs")
        with open(pairs, "w") as listing:
            for index, path in enumerate(files):
                with open(path, "rb") as source:
                    text = loaded(source.read())
                status, result = sort(quillfix, path, ".java", scratch)
                before = os.path.join(scratch, f"{index}.before")
                after = os.path.join(scratch, f"{index}.after")
                with open(before, "wb") as out:
                    out.write(text)
                with open(after, "wb") as out:
                    out.write(result if status == 0 else b"\0failed")
                listing.write(f"{path}\t{before}\t{after}\n")
        classes = os.path.join(scratch, "classes")
        exports = ["--add-exports",
                   "jdk.compiler/com.sun.tools.javac.parser=ALL-UNNAMED",
                   "--add-exports",
                   "jdk.compiler/com.sun.tools.javac.util=ALL-UNNAMED",
                   "--add-exports",
                   "jdk.compiler/com.sun.tools.javac.file=ALL-UNNAMED"]
        subprocess.run([java_tool("javac"), *exports, "-d", classes,
                        os.path.join(HERE, "JavaTokens.java")], check=True)
        run = subprocess.run([java_tool("java"), *exports, "-cp", classes, "JavaTokens",
                              pairs], capture_output=True, text=True)
        sys.stdout.write(run.stdout)
        return sum(1 for line in run.stdout.splitlines()
                   if line.startswith("DIFFERS"))


def main():
    quillfix, language, files = sys.argv[1], sys.argv[2], sys.argv[3:]
    check = check_c if language == "c" else check_java
    differing = check(os.path.abspath(quillfix), files)
    print(f"{len(files) - differing} passed, {differing} failed")
    return 1 if differing else 0


if __name__ == "__main__":
    sys.exit(main())
