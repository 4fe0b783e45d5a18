#!/bin/bash
# The Vim plugin in Vim and in Neovim, both headless: :Quillfix sorts a
# buffer as quillfix sorts its file, keeps the cursor's line, leaves a buffer
# whose sort fails exactly as it was and shows why, is undone in one step, and
# sorts on write only when asked to; with a range it makes only the changes
# that touch those lines, and every other line, mark and the cursor stay.
# Usage: tests/tools/vim.sh [QUILLFIX] [EDITOR...] (editors: vim nvim)
source "$(dirname "$0")/lib.sh"
shift $(($# > 0 ? 1 : 0))
editors=("$@")
((${#editors[@]})) || editors=(vim nvim)

plugin_dir="$source_dir/editors/vim"
# The texts the cases start from, one file each.
sources="$scratch/sources"
mkdir "$sources"
printf 'int main(){int x=1;\nif(x){return 0;}\n\n\n  return 1;}\n' >"$sources/c"
printf 'class Greeter{void greet(){System.out.println("hi");}}\n' >"$sources/java"
printf 'namespace n{struct S{int a;int b;};}\n' >"$sources/cpp"
sed 's/$/\r/' "$sources/c" >"$sources/c-crlf"
printf 'int a;int b;\n' >"$sources/text"
printf 'int a;\001\000int b;\n' >"$sources/nul"
# Three functions, none sorted, with comments between them that stay as they
# are; lines 3 and 4 hold the second function.
printf '%s\n' 'int one(){return 1;}' '// two' 'int two(){int y=2;' 'return y;}' \
  '// three' 'int three(){return 3;}' >"$sources/functions"
# The same with only the second function sorted: `)` then a blank at the end
# of its line, `{` on a line of its own, each statement on its own line one
# tab in, `}` on a line of its own and an empty line after it.
printf '%s\n' 'int one(){return 1;}' '// two' 'int two() ' '{' $'\tint y=2;' \
  $'\treturn y;' '}' '' '// three' 'int three(){return 3;}' \
  >"$sources/functions-3-4"

# run_editor EDITOR CASE_DIR [FILE]: runs CASE_DIR/commands.vim in the editor,
# headless, in CASE_DIR, on FILE (or on an unnamed buffer).
run_editor() {
  local editor=$1 dir=$2
  shift 2
  local start=(-Es -u NONE -N)
  [[ $editor == nvim ]] && start=(--headless --clean)
  (cd "$dir" && timeout 60 "$editor" "${start[@]}" -n -i NONE \
    --cmd "set rtp^=$plugin_dir" --cmd 'filetype on' \
    -c 'runtime plugin/quillfix.vim' -S commands.vim "$@" \
    </dev/null >editor.log 2>&1)
}

# new_case NAME: a fresh folder for one case.
new_case() {
  case_dir="$scratch/$editor/$1"
  mkdir -p "$case_dir"
}

# The commands that end every case: keep the messages shown (to read when a
# case fails), quit.
finish_commands() {
  cat <<'EOF'
call writefile(split(execute('messages'), "\n"), 'messages')
qa!
EOF
}

# The commands that end a case that undoes the sort: write the buffer sorted,
# undo, write it again, and finish.
finish_after_undo() {
  echo 'write! sorted'
  echo 'undo'
  echo 'write! undone'
  finish_commands
}

# sorts_named_file NAME SOURCE: :Quillfix on a buffer read from NAME, a copy
# of the file SOURCE, then the buffer written back, gives what quillfix prints
# for that file.
sorts_named_file() {
  local name=$1
  new_case "sorts-$name"
  cp "$2" "$case_dir/$name"
  cp "$case_dir/$name" "$case_dir/before"
  quillfix --stdin-filename "$name" - <"$case_dir/before" >"$case_dir/expected"
  { echo 'Quillfix'; echo 'write'; finish_commands; } >"$case_dir/commands.vim"
  run_editor "$editor" "$case_dir" "$name"
  check_differ "$editor: the sorted code of $name differs from its text" \
    "$case_dir/before" "$case_dir/expected"
  check_same "$editor: :Quillfix sorts $name as quillfix does" \
    "$case_dir/expected" "$case_dir/$name"
}

# follows_editorconfig: :Quillfix on a file whose .editorconfig asks for four
# blanks, with no option of the plugin's own, sorts by four blanks.
follows_editorconfig() {
  new_case editorconfig
  four_blanks_project "$case_dir" four.c
  { echo 'Quillfix'; echo 'write'; finish_commands; } >"$case_dir/commands.vim"
  run_editor "$editor" "$case_dir" four.c
  check_same "$editor: :Quillfix follows .editorconfig's four blanks" \
    <(printf '%s' "$four_blanks_sorted") "$case_dir/four.c"
}

# sorts_unnamed_buffer FILETYPE SOURCE: an unnamed buffer holding the lines
# of the file SOURCE is sorted by the language of its filetype.
sorts_unnamed_buffer() {
  local filetype=$1
  new_case "sorts-unnamed-$filetype"
  cp "$2" "$case_dir/before"
  quillfix --lang "$filetype" - <"$case_dir/before" >"$case_dir/expected"
  {
    echo "set filetype=$filetype"
    echo "call setline(1, readfile('before'))"
    echo 'Quillfix'
    echo 'write sorted'
    finish_commands
  } >"$case_dir/commands.vim"
  run_editor "$editor" "$case_dir"
  check_same "$editor: an unnamed buffer of filetype $filetype is sorted as $filetype" \
    "$case_dir/expected" "$case_dir/sorted"
}

# keeps_failing_buffer DESCRIPTION NAME SOURCE [COMMAND...]: after COMMANDs,
# the sort ($sort_command) of a buffer read from NAME, a copy of the file SOURCE, fails: the
# buffer written to another file holds SOURCE's bytes exactly, nothing is
# left modified, and the messages shown are $expected_message.
keeps_failing_buffer() {
  local description=$1 name=$2
  new_case "keeps-$name-$(echo "$description" | tr -c '[:lower:]' -)"
  cp "$3" "$case_dir/$name"
  shift 3
  cp "$case_dir/$name" "$case_dir/before"
  {
    printf '%s\n' "$@"
    echo 'messages clear'
    echo "$sort_command"
    printf '%s\n' "call writefile(split(execute('messages'), \"\\n\"), 'errors')"
    echo "call writefile([string(&modified)], 'modified')"
    echo 'write! kept'
    finish_commands
  } >"$case_dir/commands.vim"
  run_editor "$editor" "$case_dir" "$name"
  check_same "$editor: $description: the buffer keeps its text" \
    "$case_dir/before" "$case_dir/kept"
  check_same "$editor: $description: the file is not touched" \
    "$case_dir/before" "$case_dir/$name"
  check_text "$editor: $description: the buffer is not modified" \
    0 "$(cat "$case_dir/modified" 2>&1)"
  check_text "$editor: $description: the error is shown" \
    "$expected_message" "$(cat "$case_dir/errors" 2>&1)"
}

# The error quillfix itself gives for standard input named NAME holding the
# file SOURCE.
quillfix_error() {
  quillfix --stdin-filename "$1" - <"$2" 2>&1 >/dev/null
}

for editor in "${editors[@]}"; do
  if ! command -v "$editor" >/dev/null; then
    fail "$editor: not installed"
    continue
  fi

  sorts_named_file prog.c "$sources/c"
  sorts_named_file Greeter.java "$sources/java"
  sorts_named_file shape.HPP "$sources/cpp"
  sorts_named_file dos.c "$sources/c-crlf"
  follows_editorconfig
  sorts_unnamed_buffer c "$sources/c"
  sorts_unnamed_buffer java "$sources/java"

  sort_command=Quillfix
  expected_message=$(quillfix_error notes.txt "$sources/text")
  keeps_failing_buffer "an unknown extension" notes.txt "$sources/text"
  expected_message=$(quillfix_error binary.c "$sources/nul")
  keeps_failing_buffer "a NUL byte" binary.c "$sources/nul"
  expected_message="quillfix: false ended with status 1"
  keeps_failing_buffer "a program that fails" prog.c "$sources/c" \
    "let g:quillfix_program = 'false'"
  expected_message="quillfix: the buffer cannot be changed"
  keeps_failing_buffer "a buffer that cannot be changed" prog.c "$sources/c" \
    'set nomodifiable'
  sort_command=3,4Quillfix
  expected_message=$(quillfix_error notes.txt "$sources/functions")
  keeps_failing_buffer "a range in an unknown extension" notes.txt \
    "$sources/functions"
  expected_message="quillfix: false ended with status 1"
  keeps_failing_buffer "a range and a program that fails" prog.c \
    "$sources/functions" "let g:quillfix_program = 'false'"

  # A range: only the changes that touch lines 3 and 4; a mark and the
  # cursor below them move with their text, on line 6 before and line 10
  # after; one undo brings the old text back.
  for range in 3,4 "'<,'>"; do
    new_case "range-$(echo "$range" | tr -c '0-9' -)"
    cp "$sources/functions" "$case_dir/prog.c"
    {
      [[ $range == 3,4 ]] || printf '%s\n' 'execute "normal! 3GVj\<Esc>"'
      echo '6mark a'
      echo 'call cursor(6, 5)'
      echo "${range}Quillfix"
      echo "call writefile([line(\"'a\"), line('.'), col('.')], 'positions')"
      finish_after_undo
    } >"$case_dir/commands.vim"
    run_editor "$editor" "$case_dir" prog.c
    check_same "$editor: :${range}Quillfix sorts only the changes on lines 3-4" \
      "$sources/functions-3-4" "$case_dir/sorted"
    check_text "$editor: :${range}Quillfix: a mark and the cursor below move with their text" \
      "10 10 5" "$(tr '\n' ' ' <"$case_dir/positions" 2>&1 | sed 's/ $//')"
    check_same "$editor: :${range}Quillfix is undone in one step" \
      "$sources/functions" "$case_dir/undone"
    check_same "$editor: :${range}Quillfix: the file is not written" \
      "$sources/functions" "$case_dir/prog.c"
  done

  new_case already-sorted
  quillfix --stdin-filename prog.c - <"$sources/c" >"$case_dir/prog.c"
  {
    echo 'Quillfix'
    echo "call writefile([string(&modified)], 'modified')"
    finish_commands
  } >"$case_dir/commands.vim"
  run_editor "$editor" "$case_dir" prog.c
  check_text "$editor: a sorted buffer is left unmodified" \
    0 "$(cat "$case_dir/modified" 2>&1)"

  new_case cursor
  cp "$sources/c" "$case_dir/prog.c"
  {
    echo 'call cursor(3, 1)'
    echo 'Quillfix'
    echo "call writefile([line('.')], 'line')"
    finish_commands
  } >"$case_dir/commands.vim"
  run_editor "$editor" "$case_dir" prog.c
  check_text "$editor: the cursor stays on its line" 3 "$(cat "$case_dir/line" 2>&1)"

  new_case undo
  cp "$sources/c" "$case_dir/prog.c"
  cp "$case_dir/prog.c" "$case_dir/before"
  quillfix --stdin-filename prog.c - <"$case_dir/before" >"$case_dir/expected"
  {
    echo 'Quillfix'
    finish_after_undo
  } >"$case_dir/commands.vim"
  run_editor "$editor" "$case_dir" prog.c
  check_same "$editor: before the undo the buffer is sorted" \
    "$case_dir/expected" "$case_dir/sorted"
  check_same "$editor: one undo brings the old text back" \
    "$case_dir/before" "$case_dir/undone"

  for setting in 'let g:quillfix_on_save = 1' ''; do
    new_case "on-save-${setting:+set}"
    cp "$sources/java" "$case_dir/Greeter.java"
    cp "$case_dir/Greeter.java" "$case_dir/before"
    if [[ -n $setting ]]; then
      quillfix --stdin-filename Greeter.java - <"$case_dir/before" >"$case_dir/expected"
    else
      cp "$case_dir/before" "$case_dir/expected"
    fi
    { echo "$setting"; echo 'write'; finish_commands; } >"$case_dir/commands.vim"
    run_editor "$editor" "$case_dir" Greeter.java
    check_same "$editor: on write, with '${setting:-nothing}'" \
      "$case_dir/expected" "$case_dir/Greeter.java"
  done

  # As a user starts the editor, with nothing but the README's lines in the
  # editor's own startup file (~/.vimrc; Neovim's init.vim): Vim then detects
  # no filetype, so the file's name alone must do.
  new_case on-save-minimal-vimrc
  mkdir -p "$case_dir/home/.config/nvim"
  {
    echo "set runtimepath+=$plugin_dir"
    echo 'let g:quillfix_on_save = 1'
  } >"$case_dir/home/.vimrc"
  cp "$case_dir/home/.vimrc" "$case_dir/home/.config/nvim/init.vim"
  cp "$sources/java" "$case_dir/Greeter.java"
  cp "$sources/cpp" "$case_dir/shape.HPP"
  cp "$sources/c" "$case_dir/notes.txt"
  for name in Greeter.java shape.HPP; do
    quillfix --stdin-filename "$name" - <"$case_dir/$name" >"$case_dir/$name-expected"
  done
  cp "$case_dir/notes.txt" "$case_dir/notes.txt-expected"
  start=(-X)
  [[ $editor == nvim ]] && start=(--headless)
  (cd "$case_dir" && HOME="$case_dir/home" XDG_CONFIG_HOME="$case_dir/home/.config" \
    timeout 60 "$editor" "${start[@]}" -n -i NONE \
    -c "call writefile([&filetype], 'filetype')" \
    -c 'bufdo write' -c 'qa!' Greeter.java shape.HPP notes.txt \
    </dev/null >editor.log 2>&1)
  for name in Greeter.java shape.HPP notes.txt; do
    check_same "$editor: on write, with a minimal startup file: $name" \
      "$case_dir/$name-expected" "$case_dir/$name"
  done
  if [[ $editor == vim ]]; then
    check_text "vim: a minimal ~/.vimrc detects no filetype" "" \
      "$(cat "$case_dir/filetype" 2>&1)"
  fi

  new_case on-save-not-source
  cp "$sources/c" "$case_dir/notes.txt"
  cp "$case_dir/notes.txt" "$case_dir/before"
  {
    echo 'let g:quillfix_on_save = 1'
    echo 'set filetype=text'
    echo 'write'
    finish_commands
  } >"$case_dir/commands.vim"
  run_editor "$editor" "$case_dir" notes.txt
  check_same "$editor: on write, a text buffer is left alone" \
    "$case_dir/before" "$case_dir/notes.txt"

  new_case on-save-failing
  cp "$sources/nul" "$case_dir/binary.c"
  cp "$case_dir/binary.c" "$case_dir/before"
  {
    echo 'let g:quillfix_on_save = 1'
    echo 'write'
    finish_commands
  } >"$case_dir/commands.vim"
  run_editor "$editor" "$case_dir" binary.c
  check_same "$editor: on write, a failing sort writes the text as it was" \
    "$case_dir/before" "$case_dir/binary.c"
done

# Debian's vim-addon-manager enables the plugin and its help from the
# registry entry the package installs.
if command -v vim-addon-manager >/dev/null; then
  target="$scratch/vim-addons"
  vim-addon-manager -z -r "$plugin_dir/registry" -s "$plugin_dir" -t "$target" \
    install quillfix >"$scratch/vim-addons.log" 2>&1
  check_text "vim-addon-manager: links the plugin and its help" \
    "$plugin_dir/plugin/quillfix.vim $plugin_dir/doc/quillfix.txt" \
    "$(readlink "$target/plugin/quillfix.vim") $(readlink "$target/doc/quillfix.txt")"
  check_text "vim-addon-manager: makes the help's tags" \
    $':Quillfix\tquillfix.txt\t/*:Quillfix*' \
    "$(grep -F ':Quillfix' "$target/doc/tags" 2>&1)"
else
  fail "vim-addon-manager: not installed"
fi

finish
