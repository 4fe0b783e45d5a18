#!/bin/bash
# Times `quillfix --check -j2` over whole trees of real code against `cat` of
# the same files, in one hyperfine run: the C files of the Linux kernel's fs/
# folder (Debian's linux-source) and the java.base module of the JDK (its
# src.zip). Then the peers (clang-format --dry-run, astyle --dry-run,
# uncrustify --check, those that are installed) over the first few hundred of
# the same C files, beside quillfix and cat, and the peak memory of each
# quillfix run. Prints the medians and their ratios to cat.
# Needs hyperfine, /usr/bin/time, xz, unzip and python3.
#   bench/tree.sh [PEER_FILES]      (default: 300)
set -euo pipefail
cd "$(dirname "$0")/.."
peer_files=${1:-300}

cmake --preset bench >/dev/null
cmake --build build/bench -j2 >/dev/null
quillfix=$PWD/build/bench/quillfix

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
kernel=$(printf '%s\n' /usr/src/linux-source-*.tar.xz | sort -V | tail -1)
kernel_name=$(basename "$kernel" .tar.xz)
tar -xJf "$kernel" -C "$work" "$kernel_name/fs"
jdk_zip=$(for zip in /usr/lib/jvm/*/lib/src.zip; do
  [[ -e $zip ]] && echo "$zip"; done | head -1)
unzip -q "$jdk_zip" 'java.base/*' -d "$work/jdk"

cd "$work"
find "$kernel_name/fs" -name '*.c' -type f | LC_ALL=C sort >c.list
find jdk/java.base -name '*.java' -type f | LC_ALL=C sort >java.list
head -n "$peer_files" c.list >peer.list
# Paths given as arguments, as a shell glob or a build tool would give them.
bytes() { xargs -a "$1" stat -c %s | awk '{ sum += $1 } END { print sum }'; }
largest() { xargs -a "$1" stat -c %s | sort -n | tail -1; }
for list in c java peer; do
  echo "$list: $(wc -l <$list.list) files, $(bytes $list.list) bytes"
done

# Median, and the ratio to the median of the cat run named in the same row.
report() {
  python3 -c '
import json, sys
results = json.load(open(sys.argv[1]))["results"]
medians = {r["command"]: r["median"] for r in results}
for name, median in medians.items():
    cat = medians[name.split(":")[0] + ": cat"]
    print("%-34s %8.3f s %6.2f x cat" % (name, median, median / cat))
' "$1"
}

echo "== trees: quillfix --check -j2 against cat"
hyperfine -i --warmup 1 --runs 10 --export-json trees.json --style none \
  -n "fs: quillfix --check -j2" "xargs -a c.list $quillfix --check -j2" \
  -n "fs: cat" "xargs -a c.list cat" \
  -n "java.base: quillfix --check -j2" \
  "xargs -a java.list $quillfix --check -j2" \
  -n "java.base: cat" "xargs -a java.list cat" >/dev/null 2>&1
report trees.json

echo "== peers over the first $peer_files C files"
peers=(-n "peer: cat" "xargs -a peer.list cat"
       -n "peer: quillfix --check -j2" "xargs -a peer.list $quillfix --check -j2")
if command -v clang-format >/dev/null; then
  peers+=(-n "peer: clang-format --dry-run"
          "xargs -a peer.list clang-format --dry-run")
fi
if command -v astyle >/dev/null; then
  peers+=(-n "peer: astyle --dry-run" "xargs -a peer.list astyle --dry-run")
fi
if command -v uncrustify >/dev/null; then
  peers+=(-n "peer: uncrustify --check"
          "xargs -a peer.list uncrustify -q -c /dev/null --check")  # defaults
fi
hyperfine -i --warmup 1 --runs 3 --export-json peers.json "${peers[@]}" \
  >/dev/null 2>&1
report peers.json

echo "== peak memory (maximum resident set)"
for list in c java; do
  mapfile -t files <$list.list
  peak=$( (/usr/bin/time -f %M "$quillfix" --check -j2 "${files[@]}" \
    >/dev/null || true) 2>&1 | tail -1)
  cat_peak=$( (/usr/bin/time -f %M cat "${files[@]}" >/dev/null) 2>&1 |
    tail -1)
  echo "$list: quillfix $peak KiB, cat $cat_peak KiB," \
    "largest file $(($(largest $list.list) / 1024)) KiB"
done
