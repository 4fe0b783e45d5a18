#!/bin/bash
# contrib/git-pre-commit as a real git's pre-commit hook: it judges what is
# staged, not the work tree; refuses a commit with unsorted or unsortable
# staged sources, naming them and saying how to sort them; lets anything else
# through; and never changes a file.
# Usage: tests/tools/git-hook.sh [QUILLFIX]
source "$(dirname "$0")/lib.sh"

hook="$source_dir/contrib/git-pre-commit"
sources="$scratch/sources"
mkdir "$sources"
printf 'int main(){int x=1;\nif(x){return 0;}\n  return 1;}\n' >"$sources/unsorted.c"
quillfix --lang c - <"$sources/unsorted.c" >"$sources/sorted.c"
printf 'class Main{void run(){}}\n' >"$sources/unsorted.java"
printf 'int a;\000int b;\n' >"$sources/binary.c"
printf 'all:\n\tcc  -o x  x.c;  echo  done\n' >"$sources/Makefile"

# new_repository NAME: an empty repository with the hook, as the current
# folder.
new_repository() {
  repository="$scratch/git/$1"
  mkdir -p "$repository"
  cd "$repository" || exit 2
  git init -q
  cp "$hook" .git/hooks/pre-commit
  chmod +x .git/hooks/pre-commit
}

# try_commit [FOLDER]: commits what is staged, from FOLDER of the work tree
# (the current folder, its top, by default); keeps the status, the standard
# error and the work tree's files as they were before, to compare.
try_commit() {
  rm -rf "$scratch/before" && mkdir "$scratch/before"
  git ls-files -z | xargs -0 -r cp --parents -t "$scratch/before"
  head_before=$(git rev-parse -q --verify HEAD)
  (cd "${1:-.}" && git commit -q -m change) 2>"$scratch/stderr" >/dev/null
  status=$?
  head_after=$(git rev-parse -q --verify HEAD)
}

# The work tree's tracked files are as they were before the commit.
check_work_tree_kept() {
  local name same=yes
  while IFS= read -r -d '' name; do
    cmp -s "$name" "$scratch/before/$name" || same="no: $name"
  done < <(git ls-files -z)
  check_text "$1: no file in the work tree changes" yes "$same"
}

# check_refused DESCRIPTION EXPECTED_STDERR_FILE
check_refused() {
  check_text "$1: the commit is refused" "1 same" \
    "$status $([[ $head_before == "$head_after" ]] && echo same || echo moved)"
  check_same "$1: the hook says which files and how to sort them" "$2" "$scratch/stderr"
  check_work_tree_kept "$1"
}

# check_accepted DESCRIPTION
check_accepted() {
  check_text "$1: the commit is made" "0 moved" \
    "$status $([[ $head_before == "$head_after" ]] && echo same || echo moved)"
  check_same "$1: the hook says nothing" /dev/null "$scratch/stderr"
  check_work_tree_kept "$1"
}

check_differ "the sorted code differs from the text" \
  "$sources/unsorted.c" "$sources/sorted.c"

description="unsorted files staged, names with blanks and quotes"
new_repository unsorted
mkdir src
cp "$sources/unsorted.c" "src/bad one.c"
cp "$sources/unsorted.java" "it's.JAVA"
cp "$sources/sorted.c" good.c
git add .
try_commit
{
  echo "quillfix: these staged files are not sorted:"
  printf '\t%s\n' "it's.JAVA" "src/bad one.c"
  echo "Sort them, stage them again and commit:"
  printf '\t%s\n' "quillfix --write -- 'it'\\''s.JAVA' 'src/bad one.c' && git add -- 'it'\\''s.JAVA' 'src/bad one.c'"
} >"$scratch/expected"
check_refused "$description" "$scratch/expected"

description="a sorted file staged, unsorted changes left in the work tree"
new_repository unstaged-changes
cp "$sources/sorted.c" prog.c
git add prog.c
cp "$sources/unsorted.c" prog.c
try_commit
check_accepted "$description"
git show HEAD:prog.c >"$scratch/committed"
check_same "$description: the sorted text is committed" \
  "$sources/sorted.c" "$scratch/committed"

description="an unsorted file staged, sorted in the work tree only"
new_repository sorted-unstaged
cp "$sources/unsorted.c" prog.c
git add prog.c
cp "$sources/sorted.c" prog.c
try_commit
{
  echo "quillfix: these staged files are not sorted:"
  printf '\t%s\n' prog.c
  echo "Sort them, stage them again and commit:"
  printf '\t%s\n' "quillfix --write -- 'prog.c' && git add -- 'prog.c'"
} >"$scratch/expected"
check_refused "$description" "$scratch/expected"

description="other files staged, whatever they hold"
new_repository other-files
cp "$sources/Makefile" Makefile
cp "$sources/unsorted.c" notes.txt
cp "$sources/unsorted.c" prog.c.orig
git add .
try_commit
check_accepted "$description"

description="a staged source quillfix cannot sort"
new_repository unsortable
cp "$sources/binary.c" binary.c
git add binary.c
try_commit
{
  quillfix --check --stdin-filename binary.c - <"$sources/binary.c" 2>&1 >/dev/null
  echo "quillfix: these staged files could not be sorted (see above):"
  printf '\t%s\n' binary.c
} >"$scratch/expected"
check_refused "$description" "$scratch/expected"

description="a sorted file deleted and another renamed"
new_repository deleted
cp "$sources/sorted.c" a.c
cp "$sources/sorted.c" b.c
git add . && git commit -q --no-verify -m start
git rm -q a.c
git mv b.c c.c
try_commit
check_accepted "$description"

# check_hint_works DESCRIPTION FOLDER: the command the refusal in
# "$scratch/stderr" prints, run in FOLDER, sorts and stages the files, so that
# the same commit, made again, passes. The work tree is the current folder.
check_hint_works() {
  local hint
  hint=$(sed -n '/^Sort them, stage them again and commit:$/{n;s/^\t//p;}' \
    "$scratch/stderr")
  (cd "$2" && sh -c "$hint") >"$scratch/hint.log" 2>&1
  check_text "$1: the printed command runs in $2" \
    "0 " "$? $(cat "$scratch/hint.log")"
  local name sorted=yes
  for name in "${hint_files[@]}"; do
    cmp -s "$name" "$sources/$(basename "$name")-sorted" || sorted="no: $name"
  done
  check_text "$1: the printed command sorts the files" yes "$sorted"
  try_commit "$2"
  check_text "$1: the next commit passes" "0 " "$status $(cat "$scratch/stderr")"
}

# Sorted copies of the unsorted sources, named as the cases below name them.
quillfix --stdin-filename x.c - <"$sources/unsorted.c" >"$sources/a b.c-sorted"
cp "$sources/a b.c-sorted" "$sources/near.c-sorted"
quillfix --stdin-filename x.java - <"$sources/unsorted.java" \
  >"$sources/Top.java-sorted"

description="a commit made from a folder below the top"
new_repository subfolder
mkdir -p "sub dir/in'er"
cp "$sources/unsorted.c" "sub dir/in'er/a b.c"
cp "$sources/unsorted.c" "sub dir/near.c"
cp "$sources/unsorted.java" Top.java
cp "$sources/sorted.c" "sub dir/good.c"
git add .
try_commit "sub dir/in'er"
{
  echo "quillfix: these staged files are not sorted:"
  printf '\t%s\n' "../../Top.java" "a b.c" "../near.c"
  echo "Sort them, stage them again and commit:"
  printf '\t%s\n' "quillfix --write -- '../../Top.java' 'a b.c' '../near.c' && git add -- '../../Top.java' 'a b.c' '../near.c'"
} >"$scratch/expected"
check_refused "$description" "$scratch/expected"
hint_files=("sub dir/in'er/a b.c" "sub dir/near.c" Top.java)
check_hint_works "$description" "sub dir/in'er"

# A git that does not say where the commit was made from: the command goes
# to the top itself. The hook is run as git runs it, from the top.
description="the hook run without GIT_PREFIX"
new_repository no-prefix
mkdir "sub dir"
cp "$sources/unsorted.c" "sub dir/a b.c"
cp "$sources/unsorted.java" Top.java
git add .
(unset GIT_PREFIX && .git/hooks/pre-commit) 2>"$scratch/stderr" >/dev/null
status=$?
{
  echo "quillfix: these staged files are not sorted:"
  printf '\t%s\n' "Top.java" "sub dir/a b.c"
  echo "Sort them, stage them again and commit:"
  # shellcheck disable=SC2016  # the hook prints the substitution as it stands
  printf '\t%s\n' '(cd "$(git rev-parse --show-toplevel)" && '"quillfix --write -- 'Top.java' 'sub dir/a b.c' && git add -- 'Top.java' 'sub dir/a b.c')"
} >"$scratch/expected"
check_text "$description: the hook refuses" 1 "$status"
check_same "$description: the command goes to the top of the work tree" \
  "$scratch/expected" "$scratch/stderr"
hint_files=("sub dir/a b.c" Top.java)
check_hint_works "$description" "sub dir"

# The hook follows .editorconfig with no setting of its own, also for a
# commit made from a folder below the top, whose .editorconfig is there.
description="a folder whose .editorconfig asks for four blanks"
new_repository editorconfig
four_blanks_project "sub dir" four.c
printf '%s' "$four_blanks_sorted" >"sub dir/four.c"
printf '%s' "$four_blanks_source" | quillfix --indent t1 --lang c - >"sub dir/tabs.c"
git add .
try_commit "sub dir"
{
  echo "quillfix: these staged files are not sorted:"
  printf '\t%s\n' tabs.c
  echo "Sort them, stage them again and commit:"
  printf '\t%s\n' "quillfix --write -- 'tabs.c' && git add -- 'tabs.c'"
} >"$scratch/expected"
check_refused "$description" "$scratch/expected"
(cd "sub dir" && sh -c "$(sed -n 's/^\t\(quillfix --write.*\)/\1/p' "$scratch/stderr")")
check_same "$description: the printed command sorts by four blanks" \
  <(printf '%s' "$four_blanks_sorted") "sub dir/tabs.c"
try_commit "sub dir"
check_text "$description: the next commit passes" "0 " "$status $(cat "$scratch/stderr")"

description="quillfix.changedLinesOnly: only the staged changes are judged"
ln -s "$source_dir/contrib/git-quillfix" "$scratch/bin/git-quillfix"
new_repository changed-lines
git config quillfix.changedLinesOnly true
printf 'int a;  int b;\nint x;\nint c;\n' >old.c
git add old.c
git commit -q --no-verify -m old
printf 'int a;  int b;\nint x;\nint c;  int d;\n' >old.c
git add old.c
try_commit
{
  echo "quillfix: the staged changes are not sorted."
  echo "Sort them in the index and the work tree, and commit:"
  printf '\t%s\n' "git quillfix --staged"
} >"$scratch/expected"
check_refused "$description" "$scratch/expected"
git quillfix --staged
check_text "$description: the printed command sorts the changed line alone" \
  "$(printf 'int a;  int b;\nint x;\nint c;\nint d;\n')" "$(git show :old.c)"
try_commit
check_text "$description: the next commit passes" "0 " "$status $(cat "$scratch/stderr")"
printf 'int a;  int b;\nint c;\nint d;\n' >new.c
git add new.c
git config quillfix.changedLinesOnly false
try_commit
check_text "$description: without it, the whole file is judged" "1" "$status"

description="quillfix cannot be found"
new_repository missing-program
cp "$sources/sorted.c" prog.c
git add prog.c
QUILLFIX="$scratch/none/quillfix" try_commit
echo "quillfix pre-commit hook: cannot find '$scratch/none/quillfix'; install quillfix or set QUILLFIX" \
  >"$scratch/expected"
check_refused "$description" "$scratch/expected"

cd "$scratch" || exit 2
finish
