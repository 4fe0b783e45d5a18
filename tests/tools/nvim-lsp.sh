#!/bin/bash
# quillfix --lsp in Neovim's own client, headless, with the configuration
# that the README gives: formatting a buffer makes it what quillfix sorts its
# file to, with the .editorconfig's indentation, and keeps a mark with its
# text; formatting a range makes only the changes on its lines.
# Usage: tests/tools/nvim-lsp.sh [QUILLFIX]
source "$(dirname "$0")/lib.sh"

config="$source_dir/editors/nvim/quillfix-lsp.lua"
check_same "the README shows the Neovim configuration" "$config" \
  <(readme_block editors/nvim/quillfix-lsp.lua)

# run_nvim CASE_DIR FILE LUA: opens FILE in CASE_DIR with the configuration,
# waits for the server, runs LUA and writes the buffer.
run_nvim() {
  local dir=$1 file=$2
  printf '%s\n' \
    "local client_ready = vim.wait(10000, function()" \
    "  local client = vim.lsp.get_active_clients()[1]" \
    "  return client ~= nil and client.server_capabilities ~= nil" \
    "end)" \
    "assert(client_ready, 'no server')" \
    "$3" \
    "vim.cmd('write')" \
    "vim.fn.writefile({vim.fn.line(\"'a\")}, 'mark')" \
    "vim.cmd('qall!')" >"$dir/test.lua"
  (cd "$dir" && timeout 60 nvim --headless --clean -u "$config" \
    -c 'luafile test.lua' "$file" >"$dir/log" 2>&1)
}

# A buffer: four blanks from the .editorconfig, a character outside the BMP
# on a changed line, and mark a on a line the sort leaves as it is.
case_dir="$scratch/buffer"
lsp_buffer_case "$case_dir"
run_nvim "$case_dir" prog.c "vim.fn.setpos(\"'a\", {0, 2, 1, 0})
vim.lsp.buf.formatting_sync(nil, 10000)"
check_same "formatting sorts the buffer as quillfix sorts its file" \
  "$case_dir/expected" "$case_dir/prog.c"
expected_mark=$(grep -n '^// keep$' "$case_dir/expected" | cut -d: -f1)
check_text "mark a stays with its line" "$expected_mark" \
  "$(cat "$case_dir/mark" 2>/dev/null)"

# A range: lines 3 and 4 of three functions, as --lines 3:4 takes them.
case_dir="$scratch/range"
lsp_range_case "$case_dir"
run_nvim "$case_dir" prog.c "vim.fn.setpos(\"'a\", {0, 6, 1, 0})
local tick = vim.b.changedtick
vim.lsp.buf.range_formatting({}, {3, 0}, {4, 0})
vim.wait(10000, function() return vim.b.changedtick ~= tick end)"
check_same "range formatting makes only the changes on lines 3 and 4" \
  "$case_dir/expected" "$case_dir/prog.c"
check_text "mark a stays with its line" 10 "$(cat "$case_dir/mark" 2>/dev/null)"

finish
