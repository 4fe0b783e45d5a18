#!/bin/bash
# quillfix --lsp in Emacs with Eglot (Debian's elpa-eglot), in batch, with the
# configuration that the README gives: formatting a buffer makes it what
# quillfix sorts its file to, with the .editorconfig's indentation, and keeps
# the mark with its text; formatting a region makes only the changes on its
# lines.
# Usage: tests/tools/eglot.sh [QUILLFIX]
source "$(dirname "$0")/lib.sh"

config="$source_dir/editors/emacs/quillfix-eglot.el"
check_same "the README shows the Eglot configuration" "$config" \
  <(readme_block editors/emacs/quillfix-eglot.el)

# run_emacs CASE_DIR FORM: opens prog.c in CASE_DIR, a git repository, with
# the configuration, waits for the server, evaluates FORM, saves the buffer
# and writes the mark's line to CASE_DIR/mark. Emacs reads Debian's site
# start files, which make the elpa packages loadable, but no init file.
run_emacs() {
  local dir=$1
  git -C "$dir" init -q
  (cd "$dir" && timeout 60 emacs --batch -q \
    --eval '(setq make-backup-files nil create-lockfiles nil)' \
    -l "$config" --eval '(find-file "prog.c")' \
    --eval '(run-hooks (quote post-command-hook))' \
    --eval '(or (with-timeout (20 nil)
                  (while (not (eglot-current-server))
                    (accept-process-output nil 0.1))
                  t)
                (error "No server"))' \
    --eval "$2" --eval '(save-buffer)' \
    --eval '(write-region (format "%d" (line-number-at-pos (mark))) nil
                          "mark")' \
    </dev/null >emacs.log 2>&1)
}

# A buffer: four blanks from the .editorconfig, a character outside the BMP
# on a changed line, and the mark on a line the sort leaves as it is.
case_dir="$scratch/buffer"
lsp_buffer_case "$case_dir"
run_emacs "$case_dir" '(progn (goto-char (point-min)) (forward-line 1)
                              (push-mark (point) t) (eglot-format-buffer))'
check_same "eglot-format-buffer sorts the buffer as quillfix sorts its file" \
  "$case_dir/expected" "$case_dir/prog.c"
expected_mark=$(grep -n '^// keep$' "$case_dir/expected" | cut -d: -f1)
check_text "the mark stays with its line" "$expected_mark" \
  "$(cat "$case_dir/mark" 2>/dev/null)"

# A region: lines 3 and 4 of three functions, as --lines 3:4 takes them.
case_dir="$scratch/region"
lsp_range_case "$case_dir"
run_emacs "$case_dir" '(progn (goto-char (point-min)) (forward-line 5)
                              (push-mark (point) t)
                              (eglot-format (progn (goto-char (point-min))
                                                   (line-beginning-position 3))
                                            (line-end-position 4)))'
check_same "eglot-format on a region makes only the changes on its lines" \
  "$case_dir/expected" "$case_dir/prog.c"
check_text "the mark stays with its line" 10 \
  "$(cat "$case_dir/mark" 2>/dev/null)"

finish
