#!/bin/bash
# The Emacs package in emacs --batch: quillfix-buffer sorts a buffer as
# quillfix sorts its file and keeps point and markers with their text, leaves
# a buffer whose sort fails exactly as it was and shows why in *quillfix*, is
# undone in one step; quillfix-region makes only the changes that touch the
# region's lines and keeps every other line, point and markers; failing, it
# too leaves the buffer as it was; quillfix-on-save-mode sorts on save only where it is on;
# the file byte-compiles without a warning and checkdoc finds nothing.
# Usage: tests/tools/emacs.sh [QUILLFIX]
source "$(dirname "$0")/lib.sh"

package="$source_dir/editors/emacs/quillfix.el"

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

# run_emacs CASE_DIR FORM...: evaluates the forms in emacs --batch, in
# CASE_DIR, with the package loaded from the tree.
run_emacs() {
  local dir=$1
  shift
  local forms=()
  local form
  for form in "$@"; do
    forms+=(--eval "$form")
  done
  (cd "$dir" && timeout 60 emacs --batch -Q \
    --eval '(setq make-backup-files nil create-lockfiles nil)' \
    --eval "(load \"$package\" nil t t)" "${forms[@]}" \
    </dev/null >emacs.log 2>&1)
}

new_case() {
  case_dir="$scratch/emacs/$1"
  mkdir -p "$case_dir"
}

# record NAME FORM: an Emacs form that evaluates FORM and writes its value,
# as `format' shows it, to the file NAME.
record() {
  echo "(let ((value $2)) (with-temp-file \"$1\" (insert (format \"%s\" value))))"
}

# sorts_file NAME SOURCE: quillfix-buffer on a buffer visiting NAME, a copy of
# SOURCE, then a save, gives what quillfix prints for that file.
sorts_file() {
  local name=$1
  new_case "sorts-$name"
  cp "$2" "$case_dir/$name"
  quillfix --stdin-filename "$name" - <"$2" >"$case_dir/expected"
  run_emacs "$case_dir" "(find-file \"$name\")" '(quillfix-buffer)' \
    '(set-buffer-modified-p t)' '(save-buffer)'
  check_differ "emacs: the sorted code of $name differs from its text" \
    "$2" "$case_dir/expected"
  check_same "emacs: quillfix-buffer sorts $name as quillfix does" \
    "$case_dir/expected" "$case_dir/$name"
}

# keeps_failing_buffer DESCRIPTION NAME SOURCE [FORM...]: after FORMs, the
# sort ($sort_form) of a buffer visiting NAME, a copy of SOURCE, fails: the buffer keeps
# SOURCE's bytes, stays unmodified, the sort returns nil, and
# *quillfix* holds $expected_message, or when that is empty, what quillfix
# itself says of standard input named as the buffer's file.
keeps_failing_buffer() {
  local description=$1 name=$2 source=$3
  new_case "keeps-$name-$(echo "$description" | tr -c '[:lower:]' -)"
  cp "$source" "$case_dir/$name"
  shift 3
  local message=$expected_message
  if [[ -z $message ]]; then
    # shellcheck disable=SC2094  # the path only names standard input, read here
    message=$(quillfix --stdin-filename "$case_dir/$name" - <"$case_dir/$name" 2>&1 >/dev/null)
  fi
  run_emacs "$case_dir" "$@" "(find-file \"$name\")" \
    "$(record result "$sort_form")" \
    "$(record modified '(buffer-modified-p)')" \
    '(write-region nil nil "kept")' \
    "$(record messages '(with-current-buffer "*quillfix*" (buffer-string))')"
  check_same "emacs: $description: the buffer keeps its text" \
    "$source" "$case_dir/kept"
  check_same "emacs: $description: the file is not touched" \
    "$source" "$case_dir/$name"
  local command=${sort_form#(}
  check_text "emacs: $description: ${command%%[ )]*} says it failed" \
    nil "$(cat "$case_dir/result" 2>&1)"
  check_text "emacs: $description: the buffer is not modified" \
    nil "$(cat "$case_dir/modified" 2>&1)"
  check_text "emacs: $description: *quillfix* shows the error" \
    "$message" "$(cat "$case_dir/messages" 2>&1)"
}

sorts_file prog.c "$sources/c"
sorts_file Greeter.java "$sources/java"
sorts_file shape.HPP "$sources/cpp"
sorts_file dos.c "$sources/c-crlf"

for mode in c java; do
  new_case "sorts-unnamed-$mode"
  quillfix --lang "$mode" - <"$sources/$mode" >"$case_dir/expected"
  run_emacs "$case_dir" \
    "(let ((coding-system-for-read 'utf-8-unix)
           (coding-system-for-write 'utf-8-unix))
       (with-current-buffer (get-buffer-create \"unnamed\")
         ($mode-mode)
         (insert-file-contents \"$sources/$mode\")
         (quillfix-buffer)
         (write-region nil nil \"sorted\")))"
  check_same "emacs: a buffer in $mode-mode that visits no file is sorted as $mode" \
    "$case_dir/expected" "$case_dir/sorted"
done

new_case point-and-markers
cp "$sources/c" "$case_dir/prog.c"
# One form: between two forms, batch Emacs puts point back where the
# window's point is.
run_emacs "$case_dir" '(find-file "prog.c")' \
  "$(record point '(let ((marker (save-excursion
                                   (search-forward "x=1")
                                   (copy-marker (match-beginning 0)))))
                     (search-forward "return 1")
                     (goto-char (match-beginning 0))
                     (quillfix-buffer)
                     (list (looking-at "[ \t]*return 1;")
                           (save-excursion (goto-char marker)
                                           (looking-at "x=1"))))')"
check_text "emacs: point and a marker stay with their text (point before the new indentation)" "(t t)" \
  "$(cat "$case_dir/point" 2>&1)"

sort_form='(quillfix-buffer)'
expected_message=
keeps_failing_buffer "an unknown extension" notes.txt "$sources/text"
keeps_failing_buffer "a NUL byte" binary.c "$sources/nul"
expected_message="quillfix: false ended with status 1"
keeps_failing_buffer "a program that fails" prog.c "$sources/c" \
  '(setq quillfix-program "false")'
expected_message="quillfix: cannot run $scratch/none/quillfix: Searching for program: No such file or directory, $scratch/none/quillfix"
keeps_failing_buffer "a program that is missing" prog.c "$sources/c" \
  "(setq quillfix-program \"$scratch/none/quillfix\")"
# The region from the start of line 3 to the start of line 5: lines 3-4.
sort_form='(quillfix-region (progn (goto-char (point-min)) (forward-line 2) (point))
                            (progn (forward-line 2) (point)))'
expected_message=
keeps_failing_buffer "a region in an unknown extension" notes.txt \
  "$sources/functions"
expected_message="quillfix: false ended with status 1"
keeps_failing_buffer "a region and a program that fails" prog.c \
  "$sources/functions" '(setq quillfix-program "false")'

# quillfix-region on lines 3-4, given as a region of whole lines and as the
# mark at the start of line 3 with point inside line 4: only the changes on
# them are made; a marker on line 6 stays with its text, on line 10 after;
# one undo brings the old text back.
for region in lines mark; do
  new_case "region-$region"
  cp "$sources/functions" "$case_dir/prog.c"
  if [[ $region == lines ]]; then
    call="$sort_form"
  else
    call='(progn (goto-char (point-min)) (forward-line 2) (push-mark nil t t)
                 (forward-line 1) (search-forward "return")
                 (call-interactively (function quillfix-region)))'
  fi
  run_emacs "$case_dir" '(find-file "prog.c")' '(buffer-enable-undo)' \
    "$(record positions "(let ((marker (progn (goto-char (point-min))
                                              (search-forward \"int three\")
                                              (copy-marker (match-beginning 0)))))
                           (undo-boundary)
                           $call
                           (undo-boundary)
                           (list (line-number-at-pos marker)
                                 (save-excursion (goto-char marker)
                                                 (looking-at \"int three\"))))")" \
    '(write-region nil nil "sorted")' '(undo)' '(write-region nil nil "undone")'
  check_same "emacs: quillfix-region ($region) sorts only the changes on lines 3-4" \
    "$sources/functions-3-4" "$case_dir/sorted"
  check_text "emacs: quillfix-region ($region): a marker below moves with its text" \
    "(10 t)" "$(cat "$case_dir/positions" 2>&1)"
  check_same "emacs: quillfix-region ($region) is undone in one step" \
    "$sources/functions" "$case_dir/undone"
  check_same "emacs: quillfix-region ($region): the file is not saved" \
    "$sources/functions" "$case_dir/prog.c"
done

new_case editorconfig
four_blanks_project "$case_dir" four.c
run_emacs "$case_dir" '(find-file "four.c")' '(quillfix-buffer)' '(save-buffer)'
check_same "emacs: quillfix-buffer follows .editorconfig's four blanks" \
  <(printf '%s' "$four_blanks_sorted") "$case_dir/four.c"

new_case already-sorted
quillfix --stdin-filename prog.c - <"$sources/c" >"$case_dir/prog.c"
run_emacs "$case_dir" '(find-file "prog.c")' '(quillfix-buffer)' \
  "$(record modified '(buffer-modified-p)')"
check_text "emacs: a sorted buffer is left unmodified" nil \
  "$(cat "$case_dir/modified" 2>&1)"

new_case undo
cp "$sources/c" "$case_dir/prog.c"
quillfix --stdin-filename prog.c - <"$sources/c" >"$case_dir/expected"
run_emacs "$case_dir" '(find-file "prog.c")' '(buffer-enable-undo)' \
  '(undo-boundary)' '(quillfix-buffer)' '(undo-boundary)' \
  '(write-region nil nil "sorted")' '(undo)' '(write-region nil nil "undone")'
check_same "emacs: before the undo the buffer is sorted" \
  "$case_dir/expected" "$case_dir/sorted"
check_same "emacs: one undo brings the old text back" \
  "$sources/c" "$case_dir/undone"

for hook in java-mode-hook ''; do
  where=${hook:-nowhere}
  new_case "on-save-$where"
  cp "$sources/java" "$case_dir/Greeter.java"
  if [[ -n $hook ]]; then
    quillfix --stdin-filename Greeter.java - <"$sources/java" >"$case_dir/expected"
  else
    cp "$sources/java" "$case_dir/expected"
  fi
  setup=()
  [[ -n $hook ]] && setup=("(add-hook '$hook #'quillfix-on-save-mode)")
  run_emacs "$case_dir" "${setup[@]}" \
    '(find-file "Greeter.java")' '(set-buffer-modified-p t)' '(save-buffer)'
  check_same "emacs: on save, with the mode in $where" \
    "$case_dir/expected" "$case_dir/Greeter.java"
done

new_case on-save-other-buffer
cp "$sources/java" "$case_dir/Greeter.java"
cp "$sources/c" "$case_dir/prog.c"
quillfix --stdin-filename Greeter.java - <"$sources/java" >"$case_dir/expected"
run_emacs "$case_dir" "(add-hook 'java-mode-hook #'quillfix-on-save-mode)" \
  '(find-file "Greeter.java")' '(set-buffer-modified-p t)' '(save-buffer)' \
  '(find-file "prog.c")' '(set-buffer-modified-p t)' '(save-buffer)'
check_same "emacs: on save, the buffer where the mode is on is sorted" \
  "$case_dir/expected" "$case_dir/Greeter.java"
check_same "emacs: on save, a buffer where the mode is off is not" \
  "$sources/c" "$case_dir/prog.c"

new_case on-save-failing
cp "$sources/nul" "$case_dir/binary.c"
run_emacs "$case_dir" "(add-hook 'c-mode-hook #'quillfix-on-save-mode)" \
  '(find-file "binary.c")' '(set-buffer-modified-p t)' '(save-buffer)'
check_same "emacs: on save, a failing sort saves the text as it was" \
  "$sources/nul" "$case_dir/binary.c"

# The README's block in an init file, after a real `cmake --install` of the
# build that made the quillfix under test into a prefix of its own: Emacs
# loads the installed package and sorts on save.
new_case installed
build=$(dirname "$quillfix")
prefix="$case_dir/prefix"
if [[ -f $build/cmake_install.cmake ]]; then
  cmake --install "$build" --prefix "$prefix" >"$case_dir/install.log" 2>&1
  check_text "emacs: cmake --install --prefix installs the package" \
    "0 yes" "$? $([[ -f $prefix/share/emacs/site-lisp/quillfix/quillfix.el ]] && echo yes)"
  mkdir -p "$case_dir/home/.emacs.d"
  # The first elisp block, the package's.
  awk '/^```elisp$/ { inside = 1; next } inside && /^```$/ { exit } inside' \
    "$source_dir/README.md" |
    sed "s|\"DIR/|\"$prefix/|" >"$case_dir/home/.emacs.d/init.el"
  cp "$sources/java" "$case_dir/Greeter.java"
  quillfix --stdin-filename Greeter.java - <"$sources/java" >"$case_dir/expected"
  (cd "$case_dir" && HOME="$case_dir/home" timeout 60 emacs --batch -Q \
    --eval '(setq make-backup-files nil create-lockfiles nil)' \
    -l "$case_dir/home/.emacs.d/init.el" \
    --eval "$(record library '(locate-library "quillfix")')" \
    --eval '(find-file "Greeter.java")' --eval '(set-buffer-modified-p t)' \
    --eval '(save-buffer)' </dev/null >emacs.log 2>&1)
  check_text "emacs: the README's block loads the package from the prefix" \
    "$prefix/share/emacs/site-lisp/quillfix/quillfix.el" \
    "$(cat "$case_dir/library" 2>&1)"
  check_same "emacs: the README's block sorts on save" \
    "$case_dir/expected" "$case_dir/Greeter.java"
else
  fail "emacs: no CMake build folder holds $quillfix, to install from"
fi

new_case compile
cp "$package" "$case_dir/"
(cd "$case_dir" && emacs --batch -Q \
  --eval '(setq byte-compile-error-on-warn t)' \
  --eval '(kill-emacs (if (byte-compile-file "quillfix.el") 0 1))' \
  >compile.log 2>&1)
status=$?
check_text "emacs: byte-compiles without a warning" "0 " \
  "$status $(grep -v '^Loading' "$case_dir/compile.log")"
(cd "$case_dir" && emacs --batch -Q --eval '(checkdoc-file "quillfix.el")' \
  >checkdoc.log 2>&1)
check_text "emacs: checkdoc finds nothing" "" \
  "$(grep -v '^Loading' "$case_dir/checkdoc.log")"

finish
