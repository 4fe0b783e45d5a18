#!/bin/bash
# Makes the benchmark inputs in DIR from real code on this machine: C from the
# system headers, Java from a JDK's src.zip (generated Java if there is none),
# kernel-style C from Debian's linux-source when it is installed.
#   bench/make_inputs.sh DIR
set -euo pipefail
dir=${1:?usage: make_inputs.sh DIR}
mkdir -p "$dir"

# Repeats the text of standard input until it is SIZE bytes, then cuts it.
fill() {
  local size=$1 out=$2 tmp
  tmp=$(mktemp)
  cat > "$tmp"
  : > "$out"
  while (($(stat -c %s "$out") < size)); do cat "$tmp" >> "$out"; done
  truncate -s "$size" "$out"
  rm -f "$tmp"
}

mb=$((1 << 20))
if [[ ! -s $dir/c-64M.c ]]; then
  find /usr/include -name '*.h' -type f -print0 | sort -z | xargs -0 cat |
    fill $((64 * mb)) "$dir/c-64M.c"
fi
java_zip=$(for zip in /usr/lib/jvm/*/lib/src.zip; do
  [[ -e $zip ]] && echo "$zip"; done | head -1 || true)
if [[ ! -s $dir/java-64M.java ]]; then
  if [[ -n $java_zip ]] && command -v unzip >/dev/null; then
    unzip -p "$java_zip" 'java.base/*.java' | fill $((64 * mb)) "$dir/java-64M.java"
  else
    fill $((64 * mb)) "$dir/java-64M.java" <"$(dirname "$0")/../examples/Greeter.java"
  fi
fi
# Dense, tab-indented C: the Linux kernel's own sources (Debian's
# linux-source), whole .c files of fs/ and then of kernel/ in the order of
# their paths, up to 2 MiB of each. A file cut short would leave the rest of
# the text inside its open parentheses and braces.
kernel_tar=$(for tar in /usr/src/linux-source-*.tar.xz; do
  [[ -e $tar ]] && echo "$tar"; done | sort | tail -1 || true)
if [[ ! -s $dir/kernel-files.c && -n $kernel_tar ]]; then
  tree=$(mktemp -d)
  top=$(basename "$kernel_tar" .tar.xz)
  if tar -xJf "$kernel_tar" -C "$tree" --wildcards "$top/fs/*.c" "$top/kernel/*.c"; then
    for part in fs kernel; do
      (cd "$tree/$top" || exit
        taken=0
        find "$part" -name '*.c' -print0 | LC_ALL=C sort -z | while IFS= read -r -d '' file; do
          size=$(stat -c %s "$file")
          ((taken + size > 2 * mb)) && break
          taken=$((taken + size))
          cat "$file"
        done || true)
    done > "$dir/kernel-files.c"
  fi
  rm -rf "$tree"
fi
head -c $((16 * mb)) "$dir/c-64M.c" > "$dir/c-16M.c"
head -c $((1 * mb)) "$dir/c-64M.c" > "$dir/c-1M.c"
head -c $((30 * 1024)) "$dir/c-64M.c" > "$dir/c-30K.c"
head -c $((16 * mb)) "$dir/java-64M.java" > "$dir/java-16M.java"
head -c $((1 * mb)) "$dir/java-64M.java" > "$dir/java-1M.java"
head -c $((30 * 1024)) "$dir/java-64M.java" > "$dir/java-30K.java"
ls -l "$dir"
