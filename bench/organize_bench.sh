#!/usr/bin/env bash
# Whole-run speed of `tunvale-cli organize` beside `cp -r` on a generated library of small
# tagged MP3 files (ID3v1, ID3v2.3, ID3v2.4, covers on some, a few thousand artist
# spellings, nested folders), warm cache, median of paired runs:
#   cp -r SRC DST
#   tunvale-cli organize with every rename and rewrite option off     goal <= 2   x cp -r
#   tunvale-cli organize with the default options                      goal <= 2.5 x cp -r
# and the loading phase against reading the first 64 KiB of every file (goal <= 3 x), through
# bench/organize_loading. Extra lines show both runs with the worker's sleeps taken out (an
# LD_PRELOAD shim), which tells the time spent working from the time spent pausing.
#
# Usage: bench/organize_bench.sh [BUILD_DIR]     (BUILD_DIR holds cli/tunvale-cli and
#        bench/organize_loading; default "build")
# Environment: COUNT (files, default 20000), RUNS (paired runs, default 5), WORK (folder to
# keep the library in between calls; a temporary one otherwise).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build_dir=${1:-build}
cli=$build_dir/cli/tunvale-cli
loading=$build_dir/bench/organize_loading
count=${COUNT:-20000}
runs=${RUNS:-5}
python=/usr/bin/python3   # Debian's mutagen is visible to this one

for program in "$cli" "$loading"; do
  [ -x "$program" ] || { echo "missing $program: configure $build_dir with -DTUNVALE_BUILD_BENCH=ON (make bench does it)" >&2; exit 1; }
done
for tool in sox lame cc; do
  command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 1; }
done
"$python" -c 'import mutagen' 2>/dev/null || { echo "missing mutagen for $python" >&2; exit 1; }

if [ -n "${WORK:-}" ]; then
  work=$WORK
  mkdir -p "$work"
else
  work=$(mktemp -d "${TMPDIR:-/tmp}/tunvale-organize-bench.XXXXXX")
  trap 'rm -rf "$work"' EXIT
fi
# The runs' undo journals stay with the benchmark, not in the user's state folder.
export XDG_STATE_HOME=$work/state
lib=$work/library-$count
if [ ! -d "$lib" ]; then
  echo "generating $count files in $lib ..."
  sox -n -r 44100 -c 2 "$work/base.wav" synth 1 sine 440 sine 660
  lame --quiet -b 128 "$work/base.wav" "$work/base.mp3"
  "$python" "$here/make_mp3_library.py" "$work/base.mp3" "$lib.tmp" "$count" 1
  mv "$lib.tmp" "$lib"
fi
echo "library: $(find "$lib" -type f | wc -l) files, $(du -sh "$lib" | cut -f1)"

# The worker's pauses (1 ms after each "Loading" notice, 100 ms before the summary) taken out.
cat > "$work/nosleep.c" <<'C'
#include <time.h>
int nanosleep(const struct timespec *a, struct timespec *b) { (void)a; (void)b; return 0; }
int clock_nanosleep(clockid_t c, int f, const struct timespec *a, struct timespec *b) { (void)c; (void)f; (void)a; (void)b; return 0; }
C
cc -shared -fPIC -O2 -o "$work/nosleep.so" "$work/nosleep.c"

off_options=(--no-rename --no-tags-from-name --no-artist-in-title --no-composer-in-title --no-renumber --no-remove-pictures --no-convert)

# Prints the seconds a command took; the command's own output is dropped.
timed() {
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null 2>"$work/last-error" || { echo "failed: $*" >&2; cat "$work/last-error" >&2; exit 1; }
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}

find "$lib" -type f -exec cat {} + >/dev/null   # warm the cache
results=$work/results.txt
: > "$results"
for run in $(seq 1 "$runs"); do
  rm -rf "$work"/out-*
  t_cp=$(timed cp -r "$lib" "$work/out-cp")
  t_off=$(timed "$cli" organize "$lib" "$work/out-off" "${off_options[@]}")
  t_def=$(timed "$cli" organize "$lib" "$work/out-def")
  t_off_np=$(LD_PRELOAD=$work/nosleep.so timed "$cli" organize "$lib" "$work/out-off-np" "${off_options[@]}")
  t_def_np=$(LD_PRELOAD=$work/nosleep.so timed "$cli" organize "$lib" "$work/out-def-np")
  echo "$t_cp $t_off $t_def $t_off_np $t_def_np" >> "$results"
  printf 'run %d: cp -r %.2f s, rewrites off %.2f s, defaults %.2f s, without pauses %.2f s / %.2f s\n' \
    "$run" "$t_cp" "$t_off" "$t_def" "$t_off_np" "$t_def_np"
done
placed=$(find "$work/out-def" -type f | wc -l)
rm -rf "$work"/out-*

"$python" - "$results" "$placed" "$count" <<'PY'
import statistics, sys
rows = [list(map(float, line.split())) for line in open(sys.argv[1]) if line.strip()]
med = lambda i: statistics.median(r[i] for r in rows)
ratio = lambda i: statistics.median(r[i] / r[0] for r in rows)
print("median of %d paired runs (%s of %s files placed with the defaults):" % (len(rows), sys.argv[2], sys.argv[3]))
print("  cp -r                              %7.2f s" % med(0))
print("  organize, rewrites off             %7.2f s   %.2f x cp -r   (goal <= 2)" % (med(1), ratio(1)))
print("  organize, defaults                 %7.2f s   %.2f x cp -r   (goal <= 2.5)" % (med(2), ratio(2)))
print("  rewrites off, without pauses       %7.2f s   %.2f x cp -r" % (med(3), ratio(3)))
print("  defaults, without pauses           %7.2f s   %.2f x cp -r" % (med(4), ratio(4)))
PY
echo "loading phase:"
"$loading" "$lib" "$runs" | sed 's/^/  /'
