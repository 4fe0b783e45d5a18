#!/bin/bash
# .pre-commit-hooks.yaml through Debian's pre-commit: `pre-commit try-repo`
# against a repository holding the hooks file, on a project with sorted and
# unsorted files. The quillfix hook fails once and sorts the C, C++ and Java
# files, then passes; quillfix-check fails, names the unsorted files and
# changes nothing; quillfix-changed sorts the lines changed since the last
# commit alone. The README's configuration with trailing-whitespace and
# end-of-file-fixer beside the quillfix hook passes on its second run.
# Usage: tests/tools/pre-commit.sh [QUILLFIX]
source "$(dirname "$0")/lib.sh"

export PRE_COMMIT_HOME="$scratch/pre-commit-home"
export PRE_COMMIT_COLOR=never

# The hooks' repository: the hooks file of this tree, committed.
hooks="$scratch/hooks"
mkdir "$hooks"
cp "$source_dir/.pre-commit-hooks.yaml" "$hooks/"
git -C "$hooks" init -q
git -C "$hooks" add .pre-commit-hooks.yaml
git -C "$hooks" commit -q -m hooks

# The project's files before, and as quillfix sorts them (a file whose
# sorted code is itself stays as it is).
before="$scratch/before"
mkdir -p "$before/src"
printf 'int main(){int x=1;\nif(x){return 0;}\n  return 1;}\n' >"$before/src/main.c"
printf 'struct S{int a;int b;};\n' >"$before/src/shape one.hpp"
printf 'class Main{void run(){}}\n' >"$before/Main.java"
quillfix --lang c - <"$before/src/main.c" >"$before/src/sorted.h"
printf 'int main(){int x=1;}\n' >"$before/notes.txt"
unsorted=("Main.java" "src/main.c" "src/shape one.hpp")

after="$scratch/after"
cp -R "$before" "$after"
for name in "${unsorted[@]}"; do
  quillfix --stdin-filename "$name" - <"$before/$name" >"$after/$name"
  check_differ "the sorted code of $name differs from its text" \
    "$before/$name" "$after/$name"
done

# new_project NAME FILES: a repository holding a copy of FILES, all staged.
new_project() {
  project="$scratch/$1"
  cp -R "$2" "$project"
  git -C "$project" init -q
  git -C "$project" add .
}

# try_hook HOOK: runs the hook over every file of the project; keeps the
# status and the output.
try_hook() {
  (cd "$project" && pre-commit try-repo "$hooks" "$1" --all-files \
    >"$scratch/output" 2>&1)
  status=$?
}

# check_files DESCRIPTION EXPECTED_FOLDER: the project's files (git's own
# folder aside) are those of the folder, byte for byte, and no more.
check_files() {
  local difference
  difference=$(diff -r --exclude=.git "$2" "$project" 2>&1)
  check_text "$1" "" "$difference"
}

# The names the output lists on lines of their own, in the order given.
check_listed() {
  local name listed=()
  for name in "${unsorted[@]}" src/sorted.h notes.txt; do
    grep -qFx -- "$name" "$scratch/output" && listed+=("$name")
  done
  check_text "$1" "${unsorted[*]}" "${listed[*]}"
}

new_project write "$before"
try_hook quillfix
check_text "quillfix hook, first run: fails" 1 "$status"
check_files "quillfix hook, first run: sorts the C, C++ and Java files, nothing else" "$after"
try_hook quillfix
check_text "quillfix hook, second run: passes" 0 "$status"
check_files "quillfix hook, second run: changes nothing" "$after"

new_project check "$before"
try_hook quillfix-check
check_text "quillfix-check hook: fails on unsorted files" 1 "$status"
check_files "quillfix-check hook: changes nothing" "$before"
check_listed "quillfix-check hook: lists the unsorted files, and only them"

new_project check-sorted "$after"
try_hook quillfix-check
check_text "quillfix-check hook: passes on sorted files" 0 "$status"
check_files "quillfix-check hook: changes nothing on sorted files" "$after"

# Both hooks follow the project's .editorconfig, with no args of their own.
four_blanks_project "$scratch/four-blanks" four.c
new_project four-blanks-write "$scratch/four-blanks"
try_hook quillfix
check_same "quillfix hook: sorts by the four blanks .editorconfig asks for" \
  <(printf '%s' "$four_blanks_sorted") "$project/four.c"
try_hook quillfix-check
check_text "quillfix-check hook: passes what .editorconfig's four blanks sorted" 0 "$status"

# The README's configuration with pre-commit's trailing-whitespace and
# end-of-file-fixer. The pre-commit-hooks repository cannot be had offline:
# a repository of our own stands in for it, whose two hooks of those names
# strip the blanks and tabs at the ends of lines and end a file with one line
# end, as the real ones do, on every text file.
standins="$scratch/standins"
mkdir "$standins"
cat >"$standins/.pre-commit-hooks.yaml" <<'END'
- id: trailing-whitespace
  name: trim trailing whitespace
  entry: ./trailing-whitespace
  language: script
  types: [text]
- id: end-of-file-fixer
  name: fix end of files
  entry: ./end-of-file-fixer
  language: script
  types: [text]
END
cat >"$standins/trailing-whitespace" <<'END'
#!/bin/sh
status=0
for name do
  if grep -q '[[:blank:]]$' "$name"; then
    echo "Fixing $name"
    sed -i 's/[[:blank:]]*$//' "$name"
    status=1
  fi
done
exit $status
END
cat >"$standins/end-of-file-fixer" <<'END'
#!/usr/bin/env python3
import sys

status = 0
for name in sys.argv[1:]:
    with open(name, "rb") as file:
        text = file.read()
    kept = text.rstrip(b"\r\n")
    ending = b"\r\n" if text[len(kept):].startswith(b"\r\n") else b"\n"
    fixed = kept + ending if kept else b""
    if fixed != text:
        print("Fixing " + name)
        with open(name, "wb") as file:
            file.write(fixed)
        status = 1
sys.exit(status)
END
chmod +x "$standins/trailing-whitespace" "$standins/end-of-file-fixer"
git -C "$standins" init -q
git -C "$standins" add .
git -C "$standins" commit -q -m hooks

# The README's configuration with the two hooks, the stand-ins and this
# tree's hooks in place of the repositories it names.
# shellcheck disable=SC2016  # backquotes of Markdown, not a command
sed -n '/^```yaml$/,/^```$/{/^```/d;p;}' "$source_dir/README.md" |
  awk -v RS= '/trailing-whitespace/' |
  sed -e "s|https://github.com/pre-commit/pre-commit-hooks\$|$standins|" \
    -e "s|rev: v[0-9.]*\$|rev: $(git -C "$standins" rev-parse HEAD)|" \
    -e "s|REPOSITORY|$hooks|" \
    -e "s|REVISION|$(git -C "$hooks" rev-parse HEAD)|" >"$scratch/config.yaml"
check_text "the README shows the two hooks beside quillfix's, C, C++ and Java left out" \
  "2 2 1" "$(grep -cE -- '- id: (trailing-whitespace|end-of-file-fixer)$' "$scratch/config.yaml") $(grep -cF 'exclude_types: [c, c++, java]' "$scratch/config.yaml") $(grep -c -- '- id: quillfix$' "$scratch/config.yaml")"

# The project: the sources, and a text file that the two hooks fix.
printf 'sort   \nthe code\t\n\n\n' >"$before/todo.txt"
printf 'sort\nthe code\n' >"$after/todo.txt"

# run_config CONFIG: pre-commit run over every file of the project, with
# CONFIG as its configuration, staged; keeps the status and the output.
run_config() {
  cp "$1" "$project/.pre-commit-config.yaml"
  git -C "$project" add .pre-commit-config.yaml
  (cd "$project" && pre-commit run --all-files >"$scratch/output" 2>&1)
  status=$?
}

new_project together "$before"
cp "$scratch/config.yaml" "$after/.pre-commit-config.yaml"
run_config "$scratch/config.yaml"
check_text "with trailing-whitespace and end-of-file-fixer, first run: fails" 1 "$status"
check_files "with trailing-whitespace and end-of-file-fixer, first run: each fixes its files" "$after"
run_config "$scratch/config.yaml"
check_text "with trailing-whitespace and end-of-file-fixer, second run: passes" 0 "$status"
check_files "with trailing-whitespace and end-of-file-fixer, second run: changes nothing" "$after"

# Without exclude_types, the hooks undo each other's work: no run passes.
grep -v 'exclude_types:' "$scratch/config.yaml" >"$scratch/fighting.yaml"
new_project fighting "$before"
statuses=
for run in 1 2 3; do
  run_config "$scratch/fighting.yaml"
  statuses+=" $run:$status"
done
check_text "without exclude_types, the hooks undo each other: every run fails" \
  " 1:1 2:1 3:1" "$statuses"


# quillfix-changed runs git quillfix over the staged files: it sorts the
# lines changed since the last commit, fails once, and passes when they are
# staged again; the lines that did not change stay as they were, as does a
# committed file that did not change at all.
ln -s "$source_dir/contrib/git-quillfix" "$scratch/bin/git-quillfix"
three=$'int a(){return 1;}\n\nint b(){return 2;}\n\nint c(){return 3;}\n'
changed=$'int a(){return 1;}\n\nint b(){return 22;}\n\nint c(){return 3;}\n'
changed_sorted=$'int a(){return 1;}\n\nint b() \n{\n\treturn 22;\n}\n\nint c(){return 3;}\n'
mkdir "$scratch/changed-after"
printf '%s' "$three" >"$scratch/changed-after/kept.c"
printf '%s' "$changed_sorted" >"$scratch/changed-after/x.c"
project="$scratch/changed"
mkdir "$project"
git -C "$project" init -q
printf '%s' "$three" >"$project/kept.c"
printf '%s' "$three" >"$project/x.c"
git -C "$project" add . && git -C "$project" commit -q -m start
printf '%s' "$changed" >"$project/x.c"
git -C "$project" add x.c

# try_staged HOOK: runs the hook over the staged files, as a commit does.
try_staged() {
  (cd "$project" && pre-commit try-repo "$hooks" "$1" >"$scratch/output" 2>&1)
  status=$?
}
try_staged quillfix-changed
check_text "quillfix-changed hook, first run: fails" 1 "$status"
check_files "quillfix-changed hook, first run: sorts the changed lines alone" \
  "$scratch/changed-after"
git -C "$project" add x.c
try_staged quillfix-changed
check_text "quillfix-changed hook, second run: passes" 0 "$status"
check_files "quillfix-changed hook, second run: changes nothing" \
  "$scratch/changed-after"

finish
