#!/bin/bash
# .pre-commit-hooks.yaml through Debian's pre-commit: `pre-commit try-repo`
# against a repository holding the hooks file, on a project with sorted and
# unsorted files. The quillfix hook fails once and sorts the C, C++ and Java
# files, then passes; quillfix-check fails, names the unsorted files and
# changes nothing.
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

finish
