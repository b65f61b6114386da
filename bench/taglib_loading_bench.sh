#!/usr/bin/env bash
# The loading phase of an organize run on a library of small tagged M4A (AAC, the movie atom
# before and after the media) and Ogg Vorbis files, one file after another and read ahead on a
# second thread as a run does, against reading the first 64 KiB of every file on one thread
# (goal <= 3 x) and on two, through bench/organize_loading, median of warm-cache runs.
#
# Usage: bench/taglib_loading_bench.sh [BUILD_DIR]     (BUILD_DIR holds bench/organize_loading;
#        default "build")
# Environment: COUNT (files, default 20000), RUNS (default 5), WORK (folder to keep the
# library in between calls; a temporary one otherwise).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build_dir=${1:-build}
loading=$build_dir/bench/organize_loading
count=${COUNT:-20000}
runs=${RUNS:-5}
python=/usr/bin/python3   # Debian's mutagen is visible to this one

[ -x "$loading" ] || { echo "missing $loading: configure $build_dir with -DTUNVALE_BUILD_BENCH=ON (make bench does it)" >&2; exit 1; }
command -v ffmpeg >/dev/null || { echo "missing ffmpeg" >&2; exit 1; }
"$python" -c 'import mutagen' 2>/dev/null || { echo "missing mutagen for $python" >&2; exit 1; }

if [ -n "${WORK:-}" ]; then
  work=$WORK
  mkdir -p "$work"
else
  work=$(mktemp -d "${TMPDIR:-/tmp}/tunvale-taglib-bench.XXXXXX")
  trap 'rm -rf "$work"' EXIT
fi
lib=$work/taglib-library-$count
if [ ! -d "$lib" ]; then
  echo "generating $count files in $lib ..."
  tone=(-f lavfi -i "sine=frequency=440:duration=1" -ac 2 -map_metadata -1)
  ffmpeg -loglevel error -y "${tone[@]}" -c:a aac -b:a 96k "$work/base.m4a"
  ffmpeg -loglevel error -y "${tone[@]}" -c:a aac -b:a 96k -movflags +faststart "$work/base-faststart.m4a"
  ffmpeg -loglevel error -y "${tone[@]}" -c:a libvorbis -q:a 2 "$work/base.ogg"
  "$python" "$here/make_taglib_library.py" "$lib.tmp" "$count" 1 \
    "$work/base.m4a" "$work/base.ogg" "$work/base-faststart.m4a"
  mv "$lib.tmp" "$lib"
fi
echo "library: $(find "$lib" -type f | wc -l) files, $(du -sh "$lib" | cut -f1)"
"$loading" "$lib" "$runs"
