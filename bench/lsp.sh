#!/bin/bash
# Times formatting a 1 MB C document through the language server (start,
# initialize, open, format, shut down) against sorting it on the command line
# (standard input with --stdin-filename, output to /dev/null), in one run,
# and prints the medians and their ratio. Needs hyperfine and python3.
#   bench/lsp.sh [INPUT]     (default: make_inputs.sh's c-1M.c)
set -euo pipefail
source "$(dirname "$0")/prepare.sh"

input=${1:-$inputs/c-1M.c}
session=$(mktemp)
json=$(mktemp)
trap 'rm -f "$session" "$json"' EXIT
python3 - "$input" >"$session" <<'PY'
import json, sys
uri = "file:///bench/document.c"
text = open(sys.argv[1], encoding="utf-8", errors="surrogateescape").read()
messages = [
    {"id": 1, "method": "initialize", "params": {"capabilities": {}}},
    {"method": "textDocument/didOpen", "params": {"textDocument": {
        "uri": uri, "languageId": "c", "version": 1, "text": text}}},
    {"id": 2, "method": "textDocument/formatting", "params": {
        "textDocument": {"uri": uri},
        "options": {"tabSize": 4, "insertSpaces": False}}},
    {"id": 3, "method": "shutdown"},
    {"method": "exit"},
]
out = sys.stdout.buffer
for message in messages:
    body = json.dumps(dict(jsonrpc="2.0", **message),
                      ensure_ascii=False).encode("utf-8", "surrogateescape")
    out.write(b"Content-Length: %d\r\n\r\n" % len(body) + body)
PY

# Both run through sh, which redirects their standard input and output.
hyperfine -N --warmup 2 --runs 30 --export-json "$json" \
  -n 'command line' \
  "sh -c 'exec $quillfix --stdin-filename document.c - <$input >/dev/null'" \
  -n server "sh -c 'exec $quillfix --lsp <$session >/dev/null'" >/dev/null
python3 - "$json" "$(stat -c %s "$input")" <<'PY'
import json, sys
results = json.load(open(sys.argv[1]))["results"]
medians = {r["command"]: r["median"] * 1000 for r in results}
print("input: %d bytes" % int(sys.argv[2]))
for name, median in medians.items():
    print("%-14s %8.1f ms" % (name, median))
print("server / command line: %.2f"
      % (medians["server"] / medians["command line"]))
PY
