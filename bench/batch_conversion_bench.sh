#!/usr/bin/env bash
# Conversion of a batch on every core, and of one large file on two threads, against the
# shell pipes a user would write with the same LAME settings (-q 2 -b 320, our "max"):
#   batch:  8 FLAC files of 60 s (44.1 kHz/16-bit), `tunvale-cli organize --convert --quality max`
#           against  ls *.flac | xargs -P$(nproc) sh -c 'flac -dcs "$0" | lame -q 2 -b 320 - "$0.mp3"'
#   single: one 5-minute 96 kHz/24-bit FLAC, the same organize against `flac -dcs | lame -q 2 -b 320`
# Each pair runs back to back (ours first in odd rounds, the pipe first in even ones); the
# figures are the medians of RUNS rounds (default 3). Also checks that the batch's files are
# byte-identical to those of `--jobs 1`, and prints the peak memory of the single conversion.
# Usage: bench/batch_conversion_bench.sh [BUILD_DIR]   (BUILD_DIR holds cli/tunvale-cli)
set -euo pipefail

build_dir=${1:-build}
cli=$(realpath "$build_dir/cli/tunvale-cli")
runs=${RUNS:-3}
for tool in sox flac lame xargs /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 1; }
done
[ -x "$cli" ] || { echo "missing $cli" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/tunvale-batch-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
export XDG_STATE_HOME="$work/state"

# Music-like material: pink noise with a tone on each side, different for each file.
make_flac() { # seconds rate bits frequency output
  sox -n -r "$2" -b "$3" -c 2 "$work/tmp.wav" synth "$1" pinknoise pinknoise synth "$1" sine mix "$4" sine mix $(($4 * 2)) vol 0.5
  flac -s -5 -f -o "$5" "$work/tmp.wav"
  rm "$work/tmp.wav"
}
echo "generating sources in $work ..."
mkdir -p "$work/batch" "$work/single"
for n in 1 2 3 4 5 6 7 8; do
  make_flac 60 44100 16 $((200 + 50 * n)) "$work/batch/track$n.flac"
  metaflac --set-tag="ARTIST=Bench" --set-tag="TITLE=Track $n" --set-tag="TRACKNUMBER=$n" "$work/batch/track$n.flac"
done
make_flac 300 96000 24 440 "$work/single/long.flac"
metaflac --set-tag="ARTIST=Bench" --set-tag="TITLE=Long" "$work/single/long.flac"

# seconds COMMAND...: prints "wall_seconds maxrss_kib" (the peak of the largest single process)
measure() {
  /usr/bin/time -f "%e %M" -o "$work/time.txt" "$@" >/dev/null 2>&1 || echo "command failed: $*" >&2
  tail -1 "$work/time.txt"
}
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

ours() { # source destination [options...]
  local src=$1 dst=$2
  shift 2
  rm -rf "$dst"
  measure "$cli" organize --convert --quality max "$@" "$src" "$dst"
}
batch_pipe() {
  rm -f "$work"/pipe-batch/*.mp3
  mkdir -p "$work/pipe-batch"
  measure sh -c "cd '$work/batch' && ls *.flac | xargs -P$(nproc) -I{} sh -c 'flac -dcs \"\$0\" | lame --quiet -q 2 -b 320 - \"$work/pipe-batch/\$0.mp3\"' {}"
}
single_pipe() {
  measure sh -c "flac -dcs '$work/single/long.flac' | lame --quiet -q 2 -b 320 - '$work/pipe-long.mp3'"
}

: >"$work/b-ours"; : >"$work/b-pipe"; : >"$work/s-ours"; : >"$work/s-pipe"; : >"$work/s-rss"
for round in $(seq 1 "$runs"); do
  if [ $((round % 2)) = 1 ]; then
    ours "$work/batch" "$work/out-batch" | awk '{ print $1 }' >>"$work/b-ours"
    batch_pipe | awk '{ print $1 }' >>"$work/b-pipe"
    ours "$work/single" "$work/out-single" >"$work/s.txt"
    single_pipe | awk '{ print $1 }' >>"$work/s-pipe"
  else
    batch_pipe | awk '{ print $1 }' >>"$work/b-pipe"
    ours "$work/batch" "$work/out-batch" | awk '{ print $1 }' >>"$work/b-ours"
    single_pipe | awk '{ print $1 }' >>"$work/s-pipe"
    ours "$work/single" "$work/out-single" >"$work/s.txt"
  fi
  awk '{ print $1 }' "$work/s.txt" >>"$work/s-ours"
  awk '{ print $2 }' "$work/s.txt" >>"$work/s-rss"
done

# The batch's files, one conversion at a time, must be the same bytes.
ours "$work/batch" "$work/out-batch-1" --jobs 1 >/dev/null
if diff -r "$work/out-batch" "$work/out-batch-1" >/dev/null; then identical=yes; else identical=NO; fi

bo=$(median <"$work/b-ours"); bp=$(median <"$work/b-pipe")
so=$(median <"$work/s-ours"); sp=$(median <"$work/s-pipe")
rss=$(sort -g "$work/s-rss" | tail -1)
echo
echo "$(nproc) hardware threads, medians of $runs paired runs (wall seconds)"
awk -v o="$bo" -v p="$bp" -v same="$identical" 'BEGIN {
  printf "batch  8 x 60 s FLAC 44.1k/16   tunvale %6.2f   xargs -P pipe %6.2f   ours/pipe %.2fx   identical to --jobs 1: %s\n", o, p, o / p, same }'
awk -v o="$so" -v p="$sp" -v m="$rss" 'BEGIN {
  printf "single 5 min FLAC 96k/24        tunvale %6.2f   flac|lame     %6.2f   pipe/ours %.2fx faster   peak RSS %.1f MiB\n", o, p, p / o, m / 1024 }'
