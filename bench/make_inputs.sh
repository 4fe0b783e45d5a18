#!/bin/bash
# Makes the benchmark inputs in DIR from real code on this machine: C from the
# system headers, Java from a JDK's src.zip (generated Java if there is none).
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
java_zip=$(ls /usr/lib/jvm/*/lib/src.zip 2>/dev/null | while read -r z; do
  [[ -e $z ]] && echo "$z"; done | head -1 || true)
if [[ ! -s $dir/java-64M.java ]]; then
  if [[ -n $java_zip ]] && command -v unzip >/dev/null; then
    unzip -p "$java_zip" 'java.base/*.java' | fill $((64 * mb)) "$dir/java-64M.java"
  else
    cat "$(dirname "$0")/../examples/Greeter.java" | fill $((64 * mb)) "$dir/java-64M.java"
  fi
fi
head -c $((16 * mb)) "$dir/c-64M.c" > "$dir/c-16M.c"
head -c $((1 * mb)) "$dir/c-64M.c" > "$dir/c-1M.c"
head -c $((30 * 1024)) "$dir/c-64M.c" > "$dir/c-30K.c"
head -c $((16 * mb)) "$dir/java-64M.java" > "$dir/java-16M.java"
head -c $((1 * mb)) "$dir/java-64M.java" > "$dir/java-1M.java"
head -c $((30 * 1024)) "$dir/java-64M.java" > "$dir/java-30K.java"
ls -l "$dir"
