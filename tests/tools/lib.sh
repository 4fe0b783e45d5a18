# shellcheck shell=bash
# Shared by the tool tests: the program under test, a scratch folder with a
# home of its own, and checks that count what passed and what failed.
# Sourced by each test script with the quillfix binary as its first argument
# (default build/default/quillfix); each script ends with `finish`, which
# prints "N passed, M failed".

set -u

tools_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck disable=SC2034  # for the scripts that source this file
source_dir=$(cd "$tools_dir/../.." && pwd)

quillfix=${1:-build/default/quillfix}
case $quillfix in
  /*) ;;
  *) quillfix=$PWD/$quillfix ;;
esac
if [[ ! -x $quillfix ]]; then
  echo "not a program: $quillfix" >&2
  exit 2
fi

scratch=$(mktemp -d)
trap '[[ -n ${KEEP_SCRATCH-} ]] || rm -rf "$scratch"' EXIT
chmod 755 "$scratch"

# The program under test is the first quillfix on PATH, so that the
# integrations find it by name as they would find an installed one.
mkdir "$scratch/bin"
ln -s "$quillfix" "$scratch/bin/quillfix"
export PATH="$scratch/bin:$PATH"

# A home of our own: no user's configuration is read, caches land here, and
# a user whose home cannot be written (nobody) can run the tests too.
export HOME="$scratch/home"
mkdir "$HOME"
export XDG_CONFIG_HOME="$HOME/.config" XDG_CACHE_HOME="$HOME/.cache"
export XDG_DATA_HOME="$HOME/.local/share" XDG_STATE_HOME="$HOME/.local/state"
export GIT_CONFIG_NOSYSTEM=1 GIT_AUTHOR_NAME=tester GIT_COMMITTER_NAME=tester
export GIT_AUTHOR_EMAIL=tester@example.org GIT_COMMITTER_EMAIL=tester@example.org
export LC_ALL=C.UTF-8
unset QUILLFIX

passed=0
failed=0

pass() {
  passed=$((passed + 1))
  echo "ok: $1"
}

# fail DESCRIPTION [DETAIL...]
fail() {
  failed=$((failed + 1))
  echo "FAIL: $1"
  shift
  local line
  for line in "$@"; do
    echo "    $line"
  done
}

# A file's bytes on one line, escaped as `sed -n l` shows them ($ for a
# line feed), cut short.
visible() {
  sed -n 'l 0' "$1" 2>&1 | tr '\n' ' ' | cut -c1-300
}

# Shows how two files differ, for a failure's details.
show_difference() {
  echo "expected: $(visible "$1")"
  echo "actual:   $(visible "$2")"
}

# check_same DESCRIPTION EXPECTED_FILE ACTUAL_FILE: byte for byte.
check_same() {
  if cmp -s "$2" "$3"; then
    pass "$1"
  else
    local details
    mapfile -t details < <(show_difference "$2" "$3")
    fail "$1" "${details[@]}"
  fi
}

# check_text DESCRIPTION EXPECTED_TEXT ACTUAL_TEXT: strings, exactly.
check_text() {
  if [[ $2 == "$3" ]]; then
    pass "$1"
  else
    fail "$1" "expected: $(printf '%q' "$2")" "actual:   $(printf '%q' "$3")"
  fi
}

# check_differ DESCRIPTION FILE FILE: the two files are not the same, so a
# test that compares a result with one of them means something.
check_differ() {
  if cmp -s "$2" "$3"; then
    fail "$1" "both hold: $(visible "$2")"
  else
    pass "$1"
  fi
}

# A project's .editorconfig that asks for four blanks per level, a C source,
# and what that source sorts to there.
four_blanks_editorconfig=$'root = true\n\n[*.{c,h,java}]\nindent_style = space\nindent_size = 4\n'
four_blanks_source=$'int main(void) {\n  return 0;\n}\n'
# shellcheck disable=SC2034  # for the scripts that source this file
four_blanks_sorted=$'int main(void) \n{\n    return 0;\n}\n\n'

# four_blanks_project FOLDER [FILE]: FOLDER holds that .editorconfig, and
# FILE (when given) that source.
four_blanks_project() {
  mkdir -p "$1"
  printf '%s' "$four_blanks_editorconfig" >"$1/.editorconfig"
  if (($# > 1)); then printf '%s' "$four_blanks_source" >"$1/$2"; fi
}

# readme_block NAME: the code block that follows the line `<!-- NAME -->` in
# the README.
readme_block() {
  awk -v start="<!-- $1 -->" '
    $0 == start { found = 1; next }
    found && /^```/ { if (inside) exit; inside = 1; next }
    inside { print }' "$source_dir/README.md"
}

finish() {
  echo "$passed passed, $failed failed"
  ((failed == 0))
}

# lsp_buffer_case DIR: prog.c in DIR, in a project whose .editorconfig asks
# for four blanks, with a character outside the BMP on a line the sort
# changes and a line `// keep` that it leaves as it is; DIR/expected is what
# quillfix sorts it to.
lsp_buffer_case() {
  four_blanks_project "$1"
  printf '%s\n' 'int one(){return 1;} // 😀 x' '// keep' 'int two(){return 2;}' \
    >"$1/source"
  cp "$1/source" "$1/prog.c"
  (cd "$1" && quillfix --stdin-filename prog.c - <source >expected)
  check_differ "the buffer's sort changes it" "$1/expected" "$1/prog.c"
}

# lsp_range_case DIR: prog.c in DIR, three functions; DIR/expected is what
# --lines 3:4 makes of it.
lsp_range_case() {
  mkdir "$1"
  printf '%s\n' 'int one(){return 1;}' '// two' 'int two(){int y=2;' \
    'return y;}' '// three' 'int three(){return 3;}' >"$1/source"
  cp "$1/source" "$1/prog.c"
  (cd "$1" && quillfix --lines 3:4 --stdin-filename prog.c - \
    <source >expected)
  check_differ "the changes on lines 3 and 4 change the buffer" \
    "$1/expected" "$1/prog.c"
}
