#!/bin/bash
# contrib/git-quillfix run by a real git as `git quillfix`, in repositories
# made here: it sorts the lines changed since a commit and keeps the others;
# --staged sorts what is staged, in the index and in a work tree that holds
# the same; --diff only shows; renamed, new and deleted files; paths and a
# commit named on the command line.
# Usage: tests/tools/git-quillfix.sh [QUILLFIX]
source "$(dirname "$0")/lib.sh"

ln -s "$source_dir/contrib/git-quillfix" "$scratch/bin/git-quillfix"

# Three functions, none sorted; the second one changed; that change sorted
# alone; and all three sorted.
three=$'int a(){return 1;}\n\nint b(){return 2;}\n\nint c(){return 3;}\n'
three_changed=$'int a(){return 1;}\n\nint b(){return 22;}\n\nint c(){return 3;}\n'
three_changed_sorted=$'int a(){return 1;}\n\nint b() \n{\n\treturn 22;\n}\n\nint c(){return 3;}\n'
three_sorted=$'int a() \n{\n\treturn 1;\n}\n\nint b() \n{\n\treturn 2;\n}\n\nint c() \n{\n\treturn 3;\n}\n\n'

# new_repository NAME: a repository whose first commit holds x.c with the
# three functions, as the current folder.
new_repository() {
  repository="$scratch/git/$1"
  mkdir -p "$repository"
  cd "$repository" || exit 2
  git init -q
  printf '%s' "$three" >x.c
  git add x.c && git commit -q -m start
}

# run_git_quillfix ARGUMENT...: keeps the status, the output and the errors.
run_git_quillfix() {
  git quillfix "$@" >"$scratch/stdout" 2>"$scratch/stderr"
  status=$?
}

# check_file DESCRIPTION EXPECTED_TEXT FILE
check_file() {
  printf '%s' "$2" >"$scratch/expected"
  check_same "$1" "$scratch/expected" "$3"
}

# check_staged DESCRIPTION EXPECTED_TEXT PATH: what the index holds.
check_staged() {
  git show ":$3" >"$scratch/staged"
  check_file "$1" "$2" "$scratch/staged"
}

printf '%s' "$three_changed" >"$scratch/changed.c"
printf '%s' "$three_changed_sorted" >"$scratch/changed-sorted.c"
check_differ "the changed line's sorting differs from the text" \
  "$scratch/changed.c" "$scratch/changed-sorted.c"

description="a line changed in the work tree"
new_repository work-tree
printf '%s' "$three_changed" >x.c
run_git_quillfix
check_text "$description: all went well, quietly" "0 " \
  "$status $(cat "$scratch/stdout" "$scratch/stderr")"
check_file "$description: that line is sorted, the others kept" \
  "$three_changed_sorted" x.c
check_staged "$description: the index is not touched" "$three" x.c

description="--diff on a line changed in the work tree"
new_repository diff
printf '%s' "$three_changed" >x.c
run_git_quillfix --diff
check_text "$description: the status says a file would change" 1 "$status"
{
  printf '%s\n' '--- x.c' '+++ x.c' '@@ -1,5 +1,8 @@' ' int a(){return 1;}' ' '
  printf '%s\n' '-int b(){return 22;}' '+int b() ' '+{' '+	return 22;' '+}'
  printf '%s\n' ' ' ' int c(){return 3;}'
} >"$scratch/expected-diff"
check_same "$description: the diff shows the changed line sorted" \
  "$scratch/expected-diff" "$scratch/stdout"
check_file "$description: the file is kept" "$three_changed" x.c
printf '%s' "$three_changed_sorted" >x.c
run_git_quillfix --diff
check_text "$description: once sorted, nothing would change" "0 " \
  "$status $(cat "$scratch/stdout" "$scratch/stderr")"

description="--staged, the work tree holding what is staged"
new_repository staged
printf '%s' "$three_changed" >x.c
git add x.c
run_git_quillfix --staged
check_text "$description: all went well, quietly" "0 " \
  "$status $(cat "$scratch/stdout" "$scratch/stderr")"
check_staged "$description: the staged line is sorted in the index" \
  "$three_changed_sorted" x.c
check_file "$description: and alike in the work tree" \
  "$three_changed_sorted" x.c
check_text "$description: nothing is left unstaged" "" "$(git diff --name-only)"

description="--staged, other changes in the work tree"
new_repository staged-other
printf '%s' "$three_changed" >x.c
git add x.c
printf '%s' "$three_changed" >x.c
printf 'int d(){return 4;}\n' >>x.c
cp x.c "$scratch/work-tree.c"
run_git_quillfix --staged
check_text "$description: all went well" 0 "$status"
check_staged "$description: the staged line is sorted in the index" \
  "$three_changed_sorted" x.c
check_same "$description: the work tree is left alone" \
  "$scratch/work-tree.c" x.c
check_text "$description: and the user is told" \
  "git quillfix: x.c: sorted in the index; the work tree's copy differs from what was staged and is left alone" \
  "$(cat "$scratch/stderr")"

description="--staged --diff"
new_repository staged-diff
printf '%s' "$three_changed" >x.c
git add x.c
printf '%s' "$three" >x.c
run_git_quillfix --staged --diff
check_text "$description: the status says a file would change" 1 "$status"
check_same "$description: the diff shows the staged line sorted" \
  "$scratch/expected-diff" "$scratch/stdout"
check_staged "$description: the index is kept" "$three_changed" x.c
check_file "$description: the work tree is kept" "$three" x.c

description="a renamed file with a changed line"
new_repository rename
git mv x.c y.c
printf '%s' "$three_changed" >y.c
git add y.c
run_git_quillfix
check_text "$description: all went well" 0 "$status"
check_file "$description: only the changed line is sorted" \
  "$three_changed_sorted" y.c

description="a new file"
new_repository new-file
printf '%s' "$three" >new.c
git add new.c
run_git_quillfix
check_text "$description: all went well" 0 "$status"
check_file "$description: it is sorted all through" "$three_sorted" new.c
check_file "$description: the unchanged file is kept" "$three" x.c

description="a deleted file"
new_repository deleted
printf '%s' "$three" >y.c
git add y.c && git commit -q -m more
git rm -q x.c
printf '%s' "$three_changed" >y.c
run_git_quillfix
check_text "$description: all went well, quietly" "0 " \
  "$status $(cat "$scratch/stdout" "$scratch/stderr")"
check_file "$description: the other file's changed line is sorted" \
  "$three_changed_sorted" y.c

description="a line deleted between two others"
new_repository deletion
head=$'int a(){return 1;}\n\nint b(){return 2;}\n\n'
tail=$'\nint d(){return 4;}\n'
printf '%sint x;\nint c(){return 3;}\n%s' "$head" "$tail" >x.c
git commit -q -a -m more
printf '%sint c(){return 3;}\n%s' "$head" "$tail" >x.c
run_git_quillfix
check_text "$description: all went well" 0 "$status"
check_file "$description: the lines that now meet are sorted, no other" \
  "${head}int c() "$'\n{\n\treturn 3;\n}\n'"$tail" x.c

description="paths after --, from a folder below the top"
new_repository paths
mkdir sub
printf '%s' "$three" >sub/y.c
git add sub/y.c && git commit -q -m more
printf '%s' "$three_changed" >x.c
printf '%s' "$three_changed" >sub/y.c
(cd sub && git quillfix -- y.c) >"$scratch/stdout" 2>&1
check_text "$description: all went well" "0 " \
  "$? $(cat "$scratch/stdout")"
check_file "$description: the named file is sorted" \
  "$three_changed_sorted" sub/y.c
check_file "$description: the other is kept" "$three_changed" x.c

description="a commit named"
new_repository commit
printf '%s' "$three_changed" >x.c
git commit -q -a -m change
run_git_quillfix
check_file "$description: nothing changed since HEAD" "$three_changed" x.c
run_git_quillfix HEAD~1
check_text "$description: all went well" 0 "$status"
check_file "$description: the lines changed since it are sorted" \
  "$three_changed_sorted" x.c

description="files that are not C, C++ or Java"
new_repository others
printf '%s' "$three" >notes.txt
printf '%s' "$three" >x.c.orig
git add notes.txt x.c.orig
run_git_quillfix
check_text "$description: all went well" 0 "$status"
check_file "$description: they are kept" "$three$three" \
  <(cat notes.txt x.c.orig)

description="a name that is not a commit"
new_repository bad-commit
printf '%s' "$three_changed" >x.c
run_git_quillfix no-such-commit
check_text "$description: the status is 2" 2 "$status"
check_file "$description: nothing is changed" "$three_changed" x.c

finish
