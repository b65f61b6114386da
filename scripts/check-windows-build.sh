#!/usr/bin/env bash
# Compiles every Qt-free source for Windows with mingw-w64 (x86_64-w64-mingw32-g++-posix), with
# the project's warnings as errors: catalog/, formats/, output/, engine/ and cli/, each with
# its Windows platform files (*_win.cpp) instead of the POSIX ones.
#
# What this checks, and what it does not:
# - Every translation unit is compiled to an object and every library folder is archived, so
#   the Windows code paths are parsed, type-checked and code-generated.
# - The headers of libid3tag, libFLAC, LAME and utf8proc are the Debian ones (plain C
#   declarations, the same API as on Windows); CLI11 and nlohmann/json are header-only.
#   Debian has no Windows builds of those libraries, so tunvale-cli.exe is not linked and
#   nothing is run on Windows here.
# - The Qt dialog (ui/) is not compiled: Debian has no Qt for mingw.
# Usage: check-windows-build.sh [WORK_DIR]   (objects go to WORK_DIR, a temporary folder by default)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cxx=${TUNVALE_MINGW_CXX:-x86_64-w64-mingw32-g++-posix}
ar=${TUNVALE_MINGW_AR:-x86_64-w64-mingw32-ar}
jobs=${JOBS:-2}
command -v "$cxx" >/dev/null || { echo "missing $cxx: run scripts/install-deps.sh windows" >&2; exit 1; }

if [ $# -ge 1 ]; then
  work=$1
  mkdir -p "$work"
else
  work=$(mktemp -d "${TMPDIR:-/tmp}/tunvale-windows.XXXXXX")
  trap 'rm -rf "$work"' EXIT
fi

# Only the dependencies' own headers are visible, never the rest of /usr/include (the
# Linux C library must not stand in for the Windows one).
stage=$work/include
rm -rf "$stage"
mkdir -p "$stage"
for header in id3tag.h utf8proc.h FLAC lame CLI nlohmann taglib; do
  [ -e "/usr/include/$header" ] || { echo "missing /usr/include/$header: run scripts/install-deps.sh" >&2; exit 1; }
  ln -s "/usr/include/$header" "$stage/$header"
done

version=$(sed -n 's/^project(Tunvale VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
flags=(-std=c++20 -O0 -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion -Werror
       -I "$root" -isystem "$stage" -DTUNVALE_VERSION="\"$version\"" -DUTF8PROC_STATIC -DFLAC__NO_DLL -DTAGLIB_STATIC)

# The sources: every .cpp of the folders, the Windows platform files in place of the POSIX ones.
sources=()
for folder in catalog formats output engine cli; do
  while IFS= read -r file; do
    sources+=("${file#"$root"/}")
  done < <(find "$root/$folder" -name '*.cpp' ! -name '*_posix.cpp' | sort)
done

export cxx root work
printf '%s\n' "${sources[@]}" | xargs -P "$jobs" -I{} bash -c '
  object=$work/objects/${0%.cpp}.o
  mkdir -p "$(dirname "$object")"
  "$cxx" "$@" -c "$root/$0" -o "$object" 2>"$object.log" || { echo "FAIL: $0" >&2; cat "$object.log" >&2; exit 1; }
' {} "${flags[@]}" || { echo "Windows compile check failed" >&2; exit 1; }

# One archive per library folder, as the Windows build would make them.
for folder in catalog formats output engine; do
  rm -f "$work/tunvale_$folder.a"
  find "$work/objects/$folder" -name '*.o' -print0 | sort -z | xargs -0 "$ar" rcs "$work/tunvale_$folder.a"
done
echo "Windows compile check: ${#sources[@]} sources compiled with $cxx -Werror; 4 libraries archived; tunvale-cli.exe not linked (no Windows builds of libid3tag, libFLAC, LAME, utf8proc, TagLib here)"
