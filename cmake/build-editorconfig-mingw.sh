#!/bin/bash
# Builds the EditorConfig C library and the PCRE2 it needs as static libraries
# for the MinGW-w64 cross build, from Debian's own source packages (those that
# libeditorconfig-dev and libpcre2-dev are built from), into PREFIX:
#
#   PREFIX/include/editorconfig/editorconfig.h, editorconfig_handle.h
#   PREFIX/include/pcre2.h
#   PREFIX/lib/libeditorconfig.a, libpcre2-8.a
#
# A program links libeditorconfig.a, then libpcre2-8.a and the system's
# shlwapi. Run as root on Debian 12: when apt knows no source packages, it adds
# deb-src entries for the Debian archives it already uses and updates apt's
# lists. Does nothing when PREFIX already holds the libraries; prints nothing
# unless something fails.
#
# Usage: cmake/build-editorconfig-mingw.sh PREFIX
set -euo pipefail

if (($# != 1)); then
  echo "usage: $0 PREFIX" >&2
  exit 2
fi
prefix=$(realpath -m "$1")
if [[ -e $prefix/lib/libeditorconfig.a && -e $prefix/lib/libpcre2-8.a &&
      -e $prefix/include/editorconfig/editorconfig.h ]]; then
  exit 0
fi

host=x86_64-w64-mingw32
cc=$host-gcc-posix
toolchain=$(cd "$(dirname "$0")" && pwd)/mingw-w64.cmake

need() {
  if ! command -v "$1" >/dev/null; then
    echo "$0: $1 was not found. On Debian, install it with:" >&2
    echo "  apt-get install $2" >&2
    exit 1
  fi
}
need "$cc" gcc-mingw-w64-x86-64-posix
need "$host-ar" binutils-mingw-w64-x86-64
need cmake cmake
need make make
need patch patch
need xz xz-utils
need apt-get apt

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
log=$work/log

# Runs a command with its output kept aside, shown only when it fails.
quietly() {
  if ! "$@" >"$log" 2>&1; then
    cat "$log" >&2
    echo "$0: failed: $*" >&2
    exit 1
  fi
}

# apt's source lists: when none are configured, the same archives, suites and
# components as the binary lists of this release, or the main archive.
ensure_deb_src() {
  local sources=/etc/apt/sources.list.d/debian-src.sources
  local release site suite component keyring=
  # shellcheck disable=SC2016 # apt's own placeholders
  if ! apt-get indextargets --format '$(CREATED_BY)' | grep -qx Sources; then
    release=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
    [[ -e /usr/share/keyrings/debian-archive-keyring.gpg ]] &&
      keyring=/usr/share/keyrings/debian-archive-keyring.gpg
    {
      echo "# Debian's source packages, for $0"
      # shellcheck disable=SC2016 # apt's own placeholders
      apt-get indextargets --format '$(SITE) $(RELEASE) $(COMPONENT)' \
          'Created-By: Packages' | sort -u |
        while read -r site suite component; do
          [[ $suite =~ ^$release(-updates|-security)?$ ]] || continue
          echo
          echo "Types: deb-src"
          echo "URIs: $site"
          echo "Suites: $suite"
          echo "Components: $component"
          [[ -z $keyring ]] || echo "Signed-By: $keyring"
        done
    } >"$sources"
    if ! grep -q '^Types:' "$sources"; then
      printf '\nTypes: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s\nComponents: main\n%s\n' \
        "$release" "${keyring:+Signed-By: $keyring}" >>"$sources"
    fi
  fi
  if ! apt-cache showsrc editorconfig-core 2>/dev/null | grep -q '^Package:'; then
    quietly apt-get update
  fi
}

# Fetches Debian's source of a package into the current folder: the newest
# version whose upstream tarball and Debian part can both be fetched (an
# archive may lack the newest one's files while holding an older one's).
fetch_source() {
  local package=$1 version upstream
  for version in $(apt-cache showsrc "$package" | sed -n 's/^Version: //p' |
                   sort -u -r -V); do
    version=${version#*:}
    upstream=${version%-*}
    apt-get source -qq --download-only "$package=$version" >"$log" 2>&1 || true
    if compgen -G "${package}_$upstream.orig.tar.*" >/dev/null &&
       { compgen -G "${package}_$version.debian.tar.*" ||
         compgen -G "${package}_$version.diff.gz"; } >/dev/null; then
      echo "$version"
      return
    fi
  done
  cat "$log" >&2
  echo "$0: no version of the source package $package could be fetched" >&2
  exit 1
}

# Unpacks a fetched source package into DIR, as dpkg-source would: the
# upstream tarball, then the Debian tarball or diff, then Debian's patches.
# Patches to the upstream tests alone are left out: the tests are not built
# here, and their tarball is not always to be had.
unpack_source() {
  local package=$1 version=$2 dir=$3 upstream=${2%-*} patch_name
  mkdir -p "$dir"
  tar -xf "$(compgen -G "${package}_$upstream.orig.tar.*")" -C "$dir" \
    --strip-components=1
  if compgen -G "${package}_$version.debian.tar.*" >/dev/null; then
    tar -xf "$(compgen -G "${package}_$version.debian.tar.*")" -C "$dir"
  else
    zcat "${package}_$version.diff.gz" | quietly patch -s -p1 -d "$dir"
  fi
  [[ -e $dir/debian/patches/series ]] || return 0
  while read -r patch_name _; do
    [[ -n $patch_name && $patch_name != \#* ]] || continue
    if ! grep '^+++ ' "$dir/debian/patches/$patch_name" |
         grep -qv '^+++ [^/]*/tests/'; then
      continue
    fi
    quietly patch -s -p1 -d "$dir" -i "debian/patches/$patch_name"
  done <"$dir/debian/patches/series"
}

ensure_deb_src

mkdir "$work/download"
# apt fetches as its own user where that user may write.
chmod 755 "$work"
chown _apt "$work/download" 2>/dev/null || true
cd "$work/download"
pcre2_version=$(fetch_source pcre2)
editorconfig_version=$(fetch_source editorconfig-core)
unpack_source pcre2 "$pcre2_version" "$work/pcre2"
unpack_source editorconfig-core "$editorconfig_version" "$work/editorconfig"

stage=$prefix.partial
rm -rf "$stage"
mkdir -p "$stage/include" "$stage/lib"

# PCRE2 as Debian builds it (autotools), 8-bit code units only, static.
mkdir "$work/pcre2-build"
cd "$work/pcre2-build"
quietly "$work/pcre2/configure" --host="$host" CC="$cc" --prefix=/ \
  --enable-static --disable-shared --disable-pcre2grep-callout
quietly make -j2 libpcre2-8.la
cp .libs/libpcre2-8.a "$stage/lib/"
cp src/pcre2.h "$stage/include/"

# The library alone: no documentation, no shared library, no program.
quietly cmake -S "$work/editorconfig" -B "$work/editorconfig-build" \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
  -DBUILD_DOCUMENTATION=OFF -DBUILD_STATICALLY_LINKED_EXE=ON \
  -DPCRE2_STATIC=ON -DPCRE2_INCLUDE_DIR="$stage/include" \
  -DPCRE2_LIBRARY_RELEASE="$stage/lib/libpcre2-8.a"
quietly cmake --build "$work/editorconfig-build" --target editorconfig_static -j2
cp "$work/editorconfig-build/lib/libeditorconfig.a" "$stage/lib/"
mkdir "$stage/include/editorconfig"
cp "$work/editorconfig/include/editorconfig/"*.h "$stage/include/editorconfig/"
cat >"$stage/VERSIONS" <<EOF
editorconfig-core $editorconfig_version
pcre2 $pcre2_version
EOF

rm -rf "$prefix"
mv "$stage" "$prefix"
