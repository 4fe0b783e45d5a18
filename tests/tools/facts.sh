#!/bin/bash
# What the completion, the git hook, the editor packages, the man page and
# the Debian changelog know of quillfix (its options, languages, extensions
# and version) against what quillfix itself says in --help and --version.
# Usage: tests/tools/facts.sh [QUILLFIX]
source "$(dirname "$0")/lib.sh"

completion="$source_dir/completion/quillfix.bash"
hook="$source_dir/contrib/git-pre-commit"
vim_plugin="$source_dir/editors/vim/plugin/quillfix.vim"
emacs_package="$source_dir/editors/emacs/quillfix.el"
manual="$source_dir/doc/quillfix.1"
debian_changelog="$source_dir/packaging/changelog.Debian"

# The words of standard input, one a line, sorted.
sorted_words() {
  tr ' ' '\n' | sed '/^$/d' | sort
}

# check_words DESCRIPTION EXPECTED ACTUAL: the same words, in any order.
check_words() {
  check_text "$1" "$(sorted_words <<<"$2")" "$(sorted_words <<<"$3")"
}

help=$("$quillfix" --help)
version=$("$quillfix" --version)
version=${version#quillfix }
options=$(grep -oE '^  (-[[:alnum:]], |    )--[a-z-]*' <<<"$help" | tr -d ,)
languages=$(grep -oE -- '--lang [^ ]+' <<<"$help" | cut -d' ' -f2 | tr '|' ' ')
extensions=$(sed -n '/^Sources:/,/in any case\.$/p' <<<"$help" |
  grep -oE '(^| )\.[^ ]+' | sed 's/^ *\.//')

[[ -n $options && -n $languages && -n $extensions && -n $version ]] ||
  fail "quillfix --help and --version say what they know" "$help" "$version"

check_words "the completion offers every option" "$options" \
  "$(sed -n '/local options="/,/"$/p' "$completion" | sed 's/.*="//; s/"$//')"
check_words "the completion offers the languages after --lang" "$languages" \
  "$(sed -n "/--lang)/,/return/s/.*compgen -W '\([^']*\)'.*/\1/p" "$completion")"
check_words "the completion offers the files of every extension" \
  "$extensions" \
  "$(sed -n 's/.*_quillfix_keep_sources any-case //p' "$completion")"
check_words "the completion offers the classic command line's files" \
  "$languages" "$(sed -n 's/.*_quillfix_keep_sources exact //p' "$completion")"

check_words "the git hook checks the files of every extension" "$extensions" \
  "$(sed -n "/case \$lower in/,/) ;;/p" "$hook" | grep -oE '\*\.[^ |)]+' |
    sed 's/^\*\.//')"

check_words "the Vim plugin knows every extension" "$extensions" \
  "$(sed -n '/^let s:extensions = \[/,/\]$/p' "$vim_plugin" |
    grep -oE "'[^']*'" | tr -d "'")"
check_words "the Vim plugin names the languages" "$languages" \
  "$(sed -n 's/^let s:languages = //p' "$vim_plugin" | grep -oE ": '[^']*'" |
    tr -d ": '")"

check_words "the Emacs package knows every extension" "$extensions" \
  "$(sed -n '/(defconst quillfix--extensions/,/)$/p' "$emacs_package" |
    grep -oE '"[^"]*"' | tr -d '"')"
check_words "the Emacs package names the languages" "$languages" \
  "$(sed -n '/(defun quillfix--mode-language/,/^$/p' "$emacs_package" |
    grep -oE ' "[^" ]*"\)' | tr -d ' ")')"
check_text "the Emacs package has quillfix's version" "$version" \
  "$(sed -n 's/^;; Version: //p' "$emacs_package")"

conventional=$(sed -n '/^\.SH CONVENTIONAL COMMAND LINE/,/^\.SH [A-Z]/p' \
  "$manual")
check_words "the man page describes every option" "$options" \
  "$(sed -n '/^\.TP/{n;p}' <<<"$conventional" | sed 's/\\-/-/g' |
    grep -oE '(^|[ "])-[-A-Za-z]*' | tr -d ' "')"
check_words "the man page lists every extension" "$extensions" \
  "$(sed -n '/by its extension in any case:/,/^is Java;/p' <<<"$conventional" |
    grep '^\.B' | sed 's/^\.BR\{0,1\} //; s/"[^"]*"/ /g; s/ ,$//')"
check_text "the man page is of quillfix's version" "$version" \
  "$(sed -n 's/^\.TH .*"quillfix \([^"]*\)".*/\1/p' "$manual")"
check_text "the man page shows what --version prints" "$version" \
  "$(sed -n '/\\-\\-version$/,/^and end\./s/^\.B quillfix //p' "$manual")"
check_text "git quillfix's man page is of quillfix's version" "$version" \
  "$(sed -n 's/^\.TH .*"quillfix \([^"]*\)".*/\1/p' "$source_dir/doc/git-quillfix.1")"

check_text "the Debian changelog's last entry is of quillfix's version" \
  "$version" "$(sed -n '1s/^quillfix (\(.*\)-[0-9]*).*/\1/p' \
    "$debian_changelog")"

finish
