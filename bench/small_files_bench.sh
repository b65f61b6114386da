#!/usr/bin/env bash
# Organizing many small MP3 files against copying them, down to the disk: every command writes
# into a freshly made ext4 file system (a loop file made, formatted and mounted here) and its
# time includes the `sync` of that file system, so writes still in the page cache and waits
# for the disk both count. Each round times, each on its own fresh file system:
#   cp -r SRC DST
#   tunvale-cli organize with every rename and rewrite option off
#   tunvale-cli organize with the default options
#   the default run again under eatmydata (fsync and fdatasync made no-ops), when installed
# and prints the median time of RUNS rounds and the median ratio to the same round's cp -r.
# With several counts it also prints how each time grows from the first count to the others.
#
# The library: COUNT files of about 4 KB (a short MP3 and its tag), 2000 artists spelled in
# a few thousand ways, ID3v2.3, ID3v2.4 or ID3v1 only, a small cover on some; two fifths of
# the ID3v2 tags have no padding, so with the default options about half of the files grow
# when retagged (those and the ID3v1-only ones). The library stays warm in the page cache.
#
# Usage: bench/small_files_bench.sh [BUILD_DIR]     (BUILD_DIR holds cli/tunvale-cli;
#        default "build"; needs root, for the loop mount)
# Environment:
#   COUNT      files, or a list of counts: COUNT="20000 100000" (default 20000)
#   RUNS       rounds per count (default 3)
#   STRACE=1   instead of timing, count the system calls of each command once (strace -c -f)
#              and print the fsync, fdatasync, openat, newfstatat, lseek and rename calls per file
#   EATMYDATA=0  leave out the eatmydata run even when eatmydata is installed
#   WORK       folder keeping the generated libraries between calls (a temporary one otherwise)
set -euo pipefail
export LC_ALL=C   # decimal points in the figures, whatever the machine's locale

here=$(cd "$(dirname "$0")" && pwd)
build_dir=${1:-build}
cli=$build_dir/cli/tunvale-cli
counts=${COUNT:-20000}
runs=${RUNS:-3}
strace_mode=${STRACE:-0}
python=/usr/bin/python3   # Debian's mutagen is visible to this one

[ -x "$cli" ] || { echo "missing $cli: build $build_dir first" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || { echo "needs root: each run mounts a fresh loop file system" >&2; exit 1; }
tools=(sox lame mkfs.ext4 mount umount mountpoint truncate)
[ "$strace_mode" = 1 ] && tools+=(strace)
for tool in "${tools[@]}"; do
  command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 1; }
done
"$python" -c 'import mutagen' 2>/dev/null || { echo "missing mutagen for $python" >&2; exit 1; }
use_eatmydata=0
if [ "${EATMYDATA:-1}" != 0 ]; then
  if command -v eatmydata >/dev/null; then
    use_eatmydata=1
  else
    echo "eatmydata not installed: the run with fsync made a no-op is left out (apt-get install eatmydata)"
  fi
fi

temporary_work=0
if [ -n "${WORK:-}" ]; then
  work=$(mkdir -p "$WORK" && cd "$WORK" && pwd)
else
  work=$(mktemp -d "${TMPDIR:-/tmp}/tunvale-small-files.XXXXXX")
  temporary_work=1
fi
mnt=$work/mnt
image=$work/fs.img
mkdir -p "$mnt"

unmount() {
  if mountpoint -q "$mnt"; then
    umount "$mnt" 2>/dev/null || umount -l "$mnt"
  fi
  rm -f "$image"
}
cleanup() {
  unmount
  if [ "$temporary_work" = 1 ]; then
    rm -rf "$work"
  else
    rm -rf "$work"/results-* "$work"/strace-* "$work"/last-error
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A new ext4 file system sized for COUNT files, mounted on $mnt, with nothing of its making
# left to write: inode tables and journal zeroed by mkfs (no lazy initialisation running during
# the timing) and the loop file synced.
fresh_fs() {
  local count=$1
  unmount
  truncate -s $((count * 16 + 256 * 1024))K "$image"
  mkfs.ext4 -q -F -N $((count * 2 + 20000)) -E lazy_itable_init=0,lazy_journal_init=0 "$image"
  mount -o loop "$image" "$mnt"
  sync -f "$mnt"
  sync "$image"
}

make_library() {
  local count=$1
  local lib=$work/library-$count
  if [ ! -d "$lib" ]; then
    echo "generating $count files in $lib ..." >&2
    sox -n -r 44100 -c 2 "$work/base.wav" synth 0.12 sine 440 sine 660
    lame --quiet -b 128 "$work/base.wav" "$work/base.mp3"
    "$python" "$here/make_mp3_library.py" "$work/base.mp3" "$lib.tmp" "$count" 1 \
      --artists 2000 --picture-bytes 2048 --unpadded 0.4 >&2
    mv "$lib.tmp" "$lib"
  fi
  echo "$lib"
}

off_options=(--no-rename --no-tags-from-name --no-artist-in-title --no-composer-in-title --no-renumber --no-remove-pictures --no-convert)
run_names=("cp" "off" "def")
[ "$use_eatmydata" = 1 ] && run_names+=("eat")

# Runs one of the commands from SRC into $mnt/out; the run journals go to the same file system.
run_command() {
  local name=$1 lib=$2
  shift 2
  case $name in
    cp) "$@" cp -r "$lib" "$mnt/out" ;;
    off) XDG_STATE_HOME=$mnt/state "$@" "$cli" organize "$lib" "$mnt/out" "${off_options[@]}" ;;
    def) XDG_STATE_HOME=$mnt/state "$@" "$cli" organize "$lib" "$mnt/out" ;;
    eat) XDG_STATE_HOME=$mnt/state "$@" eatmydata "$cli" organize "$lib" "$mnt/out" ;;
  esac
}

# Every source file must have arrived; a run that placed fewer says nothing about speed.
check_placed() {
  local name=$1 count=$2 placed
  placed=$(find "$mnt/out" -type f -name '*.mp3' | wc -l)
  [ "$placed" -eq "$count" ] || { echo "$name: $placed of $count files placed" >&2; exit 1; }
}

# Prints the seconds the command and the sync of its file system took.
timed_run() {
  local name=$1 lib=$2 start end
  start=$EPOCHREALTIME
  run_command "$name" "$lib" >/dev/null 2>"$work/last-error" \
    || { echo "failed: $name" >&2; cat "$work/last-error" >&2; exit 1; }
  sync -f "$mnt"
  end=$EPOCHREALTIME
  echo "$end - $start" | bc -l
}

describe_library() {
  local lib=$1
  find "$lib" -type f -printf '%s\n' | awk -v lib="$lib" \
    '{ bytes += $1 } END { printf "%s: %d files, %.0f MB, %.1f KB on average\n", lib, NR, bytes / 1e6, bytes / NR / 1e3 }'
}

summaries=()
for count in $counts; do
  lib=$(make_library "$count")
  describe_library "$lib"
  find "$lib" -type f -exec cat {} + >/dev/null   # warm the cache
  if [ "$strace_mode" = 1 ]; then
    for name in "${run_names[@]}"; do
      [ "$name" = eat ] && continue
      fresh_fs "$count"
      run_command "$name" "$lib" strace -c -f -o "$work/strace-$count-$name" >/dev/null 2>"$work/last-error" \
        || { echo "failed: $name" >&2; cat "$work/last-error" >&2; exit 1; }
      check_placed "$name" "$count"
      summaries+=("$count:$name:$work/strace-$count-$name")
    done
    continue
  fi
  results=$work/results-$count
  : > "$results"
  for round in $(seq 1 "$runs"); do
    row=()
    for name in "${run_names[@]}"; do
      fresh_fs "$count"
      row+=("$(timed_run "$name" "$lib")")
      check_placed "$name" "$count"
    done
    echo "${row[*]}" >> "$results"
    line="$count files, round $round:"
    for i in "${!run_names[@]}"; do
      line+=$(printf ' %s %.2f s' "${run_names[$i]}" "${row[$i]}")
    done
    echo "$line"
  done
  summaries+=("$count:$results")
done
unmount

if [ "$strace_mode" = 1 ]; then
  "$python" - "${summaries[@]}" <<'PY'
import sys

LABELS = {"cp": "`cp -r`", "off": "organize, every rewrite off", "def": "organize, default options"}
CALLS = ["fsync", "fdatasync", "openat", "newfstatat", "lseek", "rename"]

def calls(path):
    counts = {}
    for line in open(path):
        fields = line.split()
        if len(fields) in (5, 6) and fields[0][0].isdigit() and fields[-1] != "total":
            counts[fields[-1]] = int(fields[3])
    # rename, renameat and renameat2 all move a file into place.
    counts["rename"] = sum(counts.get(n, 0) for n in ("rename", "renameat", "renameat2"))
    counts["all"] = sum(v for k, v in counts.items() if k not in ("rename", "all")) + counts["rename"]
    return counts

def group(n):
    return "{:,}".format(n).replace(",", " ")

print("\nsystem calls (strace -c -f), total and per file:\n")
print("| files | run | " + " | ".join("`%s`" % c for c in CALLS) + " | all calls |")
print("|---|---|" + "---|" * (len(CALLS) + 1))
for entry in sys.argv[1:]:
    count, name, path = entry.split(":", 2)
    count = int(count)
    found = calls(path)
    cells = ["%s (%.2f)" % (group(found.get(c, 0)), found.get(c, 0) / count) for c in CALLS + ["all"]]
    print("| %s | %s | %s |" % (group(count), LABELS[name], " | ".join(cells)))
PY
  exit 0
fi

"$python" - "${run_names[*]}" "${summaries[@]}" <<'PY'
import statistics, sys

LABELS = {"cp": "`cp -r`", "off": "organize, every rewrite off", "def": "organize, default options",
          "eat": "organize, default options, fsync made a no-op (`eatmydata`)"}
names = sys.argv[1].split()

def group(n):
    return "{:,}".format(n).replace(",", " ")

tables = []
for entry in sys.argv[2:]:
    count, path = entry.split(":", 1)
    rows = [list(map(float, line.split())) for line in open(path) if line.strip()]
    times = {n: statistics.median(r[i] for r in rows) for i, n in enumerate(names)}
    ratios = {n: statistics.median(r[i] / r[0] for r in rows) for i, n in enumerate(names)}
    tables.append((int(count), len(rows), times, ratios))

header = "| run |"
rule = "|---|"
for count, rounds, _, _ in tables:
    header += " %s files | vs `cp -r` |" % group(count)
    rule += "---|---|"
first = tables[0][0]
for count, _, _, _ in tables[1:]:
    header += " %s / %s |" % (group(count), group(first))
    rule += "---|"
print("\nfresh ext4 file system per run, sync included, median of %s:\n" %
      ", ".join("%d rounds (%s files)" % (rounds, group(count)) for count, rounds, _, _ in tables))
print(header)
print(rule)
for n in names:
    line = "| %s |" % LABELS[n]
    for _, _, times, ratios in tables:
        line += " %.2f s | %.1f× |" % (times[n], ratios[n])
    for _, _, times, _ in tables[1:]:
        line += " %.2f× |" % (times[n] / tables[0][2][n])
    print(line)
PY
