#!/bin/bash
# The bash completion, in bash with bash-completion's framework loaded first
# and from a ~/.bashrc that loads nothing else, on made-up files (hidden ones
# are offered too, as readline does by default): each row is a command line
# typed up to the cursor and the completions expected, `|` between them, in
# the C locale's order.
# Usage: tests/tools/completion.sh [QUILLFIX]
source "$(dirname "$0")/lib.sh"

framework=/usr/share/bash-completion/bash_completion
script="$source_dir/completion/quillfix.bash"
folder="$scratch/project"
mkdir -p "$folder/src/deep" "$folder/empty"
(cd "$folder" && touch a.c b.H c.cc d.CPP e.cxx f.c++ g.hh h.hpp i.hxx j.H++ \
  k.ipp l.tpp m.inl N.Java p.cpp Q.java notes.txt Makefile 'my file.c' \
  .hidden.c data.c.bak ./-x.c src/x.c src/y.txt)

all_sources='-x.c|.hidden.c|N.Java|Q.java|a.c|b.H|c.cc|d.CPP|e.cxx|empty|f.c++|g.hh|h.hpp|i.hxx|j.H++|k.ipp|l.tpp|m.inl|my file.c|p.cpp|src'
classic_sources='-x.c|.hidden.c|Q.java|a.c|empty|my file.c|p.cpp|src'
all_files='-x.c|.hidden.c|Makefile|N.Java|Q.java|a.c|b.H|c.cc|d.CPP|data.c.bak|e.cxx|empty|f.c++|g.hh|h.hpp|i.hxx|j.H++|k.ipp|l.tpp|m.inl|my file.c|notes.txt|p.cpp|src'
long_options='--|--check|--diff|--exclude|--help|--indent|--jobs|--lang|--lines|--lsp|--no-ignore|--stdin-filename|--version|--write'
options="$long_options|-V|-c|-d|-h|-j|-w"

rows=(
  "quillfix -|$options"
  "quillfix --|$long_options"
  "quillfix --l|--lang|--lines|--lsp"
  "quillfix --lang |c|cpp|java"
  "quillfix --lang j|java"
  "quillfix --lang c --check |$all_sources"
  "quillfix -c |$all_sources"
  "quillfix -c src/|src/deep|src/x.c"
  "quillfix -c .h|.hidden.c"
  "quillfix -w -- -|-x.c"
  "quillfix -w -|$options"
  "quillfix --indent |"
  "quillfix -j |"
  "quillfix --jobs |"
  "quillfix --exclude |"
  "quillfix --stdin-filename |$all_files"
  "quillfix --check --stdin-filename n|notes.txt"
  "quillfix |$classic_sources"
  "quillfix a|a.c"
  "quillfix /vie|/view"
  "quillfix /?|/?"
  "quillfix /view |no|yes"
  "quillfix /view n|no"
  "quillfix /i |"
  "quillfix /sn |$all_files"
  "quillfix /i s2 |$classic_sources"
  "quillfix /i s2 /?|"
  "quillfix /i s2 /view |no|yes"
)

# The commands that complete $LINE, cursor at its end, and print the
# completions one a line, sorted; the words of LINE are its blank-separated
# parts.
# shellcheck disable=SC2016  # expanded by the bash that runs it
completing='
  read -r -a COMP_WORDS <<<"$LINE"
  [[ $LINE == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_LINE=$LINE
  COMP_POINT=${#LINE}
  _quillfix quillfix "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"
  printf "%s\n" "${COMPREPLY[@]}" | LC_ALL=C sort
'

# complete_line LINE: the completions bash offers for LINE, in a bash that
# has loaded bash-completion's framework and then the script.
complete_line() {
  (cd "$folder" && LINE=$1 bash --norc --noprofile -c '
    source "$1" && source "$2" || exit 1
    '"$completing" completion "$framework" "$script" 2>&1)
}

# A ~/.bashrc that loads nothing but the script, as the README shows; it
# says so should bash-completion be loaded before it all the same.
bare_bashrc="$scratch/bare-bashrc"
{
  echo 'declare -F _init_completion >/dev/null && echo "bash-completion loaded before ~/.bashrc"'
  printf 'source %q\n' "$script"
} >"$bare_bashrc"

# complete_line_bare LINE: the completions bash offers for LINE in an
# interactive bash whose only startup file is the bare ~/.bashrc; with what
# it says on its error stream, but for the lines of a shell without a
# terminal.
complete_line_bare() {
  (cd "$folder" && LINE=$1 bash --rcfile "$bare_bashrc" -i -c "$completing" \
    2>&1 </dev/null | grep -Ev '^bash: (cannot set terminal process group|no job control in this shell)')
}

if [[ ! -r $framework ]]; then
  fail "bash-completion is not installed ($framework)"
fi

for row in "${rows[@]}"; do
  line=${row%%|*}
  expected=${row#*|}
  actual=$(complete_line "$line" | paste -sd '|')
  check_text "completion: '$line'" "$expected" "$actual"
  actual=$(complete_line_bare "$line" | paste -sd '|')
  check_text "completion from a bare ~/.bashrc: '$line'" "$expected" "$actual"
done

# Sourced alone, the script loads bash-completion itself.
loaded=$(bash --norc --noprofile -i -c '
  declare -F _init_completion >/dev/null && echo before
  source "$1"
  declare -F _init_completion >/dev/null && echo after
  complete -p quillfix
' bare "$script" 2>/dev/null </dev/null | paste -sd ' ')
check_text "completion: sourced alone, the script loads bash-completion and registers itself" \
  "after complete -F _quillfix quillfix" "$loaded"

# Where the Debian package puts it, bash-completion finds it by the command's
# name when the command is first completed.
mkdir -p "$scratch/completions/completions"
cp "$script" "$scratch/completions/completions/quillfix"
registered=$(BASH_COMPLETION_USER_DIR="$scratch/completions" bash --norc --noprofile -c '
  source "$1" && __load_completion quillfix && complete -p quillfix
' loading "$framework" 2>&1)
check_text "completion: bash-completion loads it for the command quillfix" \
  "complete -F _quillfix quillfix" "$registered"

finish
