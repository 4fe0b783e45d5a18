#!/bin/bash
# Times quillfix end to end (load, sort, print to /dev/null) against the floor
# loop (bench/copy_loop.cc) on the same inputs, in one run, and prints the
# ratios of the medians, throughput and peak memory. Needs hyperfine and
# /usr/bin/time.
#   bench/compare.sh [INPUT...]     (default: every input make_inputs.sh makes)
set -euo pipefail
source "$(dirname "$0")/prepare.sh"

files=("$@")
if ((${#files[@]} == 0)); then
  for name in c-30K.c c-1M.c c-16M.c c-64M.c \
              java-30K.java java-1M.java java-16M.java java-64M.java; do
    files+=("$inputs/$name")
  done
fi

json=$(mktemp)
trap 'rm -f "$json"' EXIT
printf '%-16s %10s %10s %7s %10s %10s %9s\n' input quillfix loop ratio \
  'MB/s' 'peak MiB' 'peak/in'
for file in "${files[@]}"; do
  size=$(stat -c %s "$file")
  runs=$((size > 8000000 ? 20 : 100))
  hyperfine -N --warmup 2 --runs "$runs" --export-json "$json" \
    "$quillfix $file" "$floor $file" >/dev/null 2>&1
  read -r ours theirs < <(python3 -c '
import json, sys
r = json.load(open(sys.argv[1]))["results"]
print(r[0]["median"], r[1]["median"])' "$json")
  peak_kb=$(/usr/bin/time -f %M "$quillfix" "$file" 2>&1 >/dev/null | tail -1)
  python3 -c '
import sys
name, size, ours, theirs, peak = sys.argv[1], int(sys.argv[2]), float(sys.argv[3]), float(sys.argv[4]), int(sys.argv[5])
print("%-16s %8.2fms %8.2fms %7.2f %10.0f %10.1f %9.2f" % (
    name, ours * 1e3, theirs * 1e3, ours / theirs, size / ours / 1e6,
    peak / 1024, peak * 1024 / size))' "$(basename "$file")" "$size" "$ours" \
    "$theirs" "$peak_kb"
done
