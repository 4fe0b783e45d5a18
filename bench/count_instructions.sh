#!/bin/bash
# Counts the instructions quillfix runs per input byte (user space, with
# valgrind's cachegrind) on 4 MiB of real C and of real Java, and on whole
# files of the Linux kernel's own C (almost 4 MiB, when linux-source is
# installed), beside the floor loop on the same files, and on the worst
# input shapes. A count does not
# change with the machine's load or the cost of its page faults.
#   bench/count_instructions.sh
set -euo pipefail
source "$(dirname "$0")/prepare.sh"

size=$((4 << 20))
head -c $size "$inputs/c-64M.c" >"$inputs/c-4M.c"
head -c $size "$inputs/java-64M.java" >"$inputs/java-4M.java"
# One rule step every byte or two: the costliest shapes per byte.
python3 - "$inputs" $size <<'EOF'
import sys
folder, size = sys.argv[1], int(sys.argv[2])
def repeated(piece):
    return (piece * (size // len(piece) + 1))[:size]
shapes = {
    "quotes": '"' * size, "apostrophes": "'" * size,
    "digit-separators": repeated("1'"),
    "parentheses": "(" * (size // 2) + ")" * (size // 2),
    "hash-lines": repeated("#\n"), "semicolons": ";" * size,
}
for name, text in shapes.items():
    with open(f"{folder}/shape-{name}.c", "w") as out:
        out.write(text)
EOF

# Instructions per byte of `file` for the command that follows it.
per_byte() {
  local file=$1
  shift
  valgrind --tool=cachegrind --cache-sim=no --cachegrind-out-file=/dev/null \
    "$@" "$file" 2>&1 >/dev/null | awk -v size="$(stat -c %s "$file")" \
    '/I *refs/ { gsub(",", "", $NF); printf "%.2f", $NF / size }'
}

printf '%-24s %10s %10s\n' input quillfix floor
for name in c-4M.c java-4M.java kernel-files.c; do
  if [[ ! -s $inputs/$name ]]; then
    printf '%-24s %10s\n' "$name" "(missing)"  # no linux-source installed
    continue
  fi
  printf '%-24s %10s %10s\n' "$name" "$(per_byte "$inputs/$name" "$quillfix" /view no)" \
    "$(per_byte "$inputs/$name" "$floor")"
done
for shape in "$inputs"/shape-*.c; do
  printf '%-24s %10s\n' "$(basename "$shape" .c)" \
    "$(per_byte "$shape" "$quillfix" /view no)"
done
