#!/usr/bin/env bash
# Conversion to MP3: time and peak memory of ConvertToMp3 (through bench/conversion_driver)
# beside the lame command line at the same settings, on generated sources:
#   - 5 minutes of 44.1 kHz 16-bit stereo WAV      against  lame -b 128 / -V 0 / -b 320
#   - 5 minutes of 96 kHz 24-bit stereo FLAC       against  flac -dcs | lame ...
#   - 60 minutes of both, at 128K, for the peak memory only (it must not grow with length)
# Usage: bench/conversion_bench.sh [BUILD_DIR]   (BUILD_DIR holds bench/conversion_driver)
# Set SKIP_LONG=1 to leave out the 60-minute sources.
set -euo pipefail

build_dir=${1:-build}
driver=$build_dir/bench/conversion_driver
if [ ! -x "$driver" ]; then
  echo "missing $driver: configure $build_dir with -DTUNVALE_BUILD_BENCH=ON (make bench does it)" >&2
  exit 1
fi
for tool in sox flac lame /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tunvale-conv-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Music-like material: pink noise with a tone on each side (different per channel), so the
# encoder has real work and the bit rate of the VBR setting is not trivially low.
make_source() { # seconds rate bits output
  sox -n -r "$2" -b "$3" -c 2 "$4" synth "$1" pinknoise pinknoise synth "$1" sine mix 440 sine mix 1000 vol 0.5
}
echo "generating sources in $work ..."
make_source 300 44100 16 "$work/w5.wav"
make_source 300 96000 24 "$work/f5.wav"
flac -s -5 -o "$work/f5.flac" "$work/f5.wav" && rm "$work/f5.wav"
if [ "${SKIP_LONG:-0}" != 1 ]; then
  make_source 3600 44100 16 "$work/w60.wav"
  make_source 3600 96000 24 "$work/f60.wav"
  flac -s -1 -o "$work/f60.flac" "$work/f60.wav" && rm "$work/f60.wav"
fi

# measure COMMAND...: prints "wall_seconds cpu_seconds maxrss_kib" of the command (for sh -c, of
# the whole pipeline: the shell waits for every stage, so their CPU time is counted; the peak
# memory is that of the largest single process).
measure() {
  /usr/bin/time -f "%e %U %S %M" -o "$work/time.txt" "$@" >/dev/null 2>&1 || echo "command failed: $*" >&2
  awk '{ printf "%s %.2f %s\n", $1, $2 + $3, $4 }' "$work/time.txt" | tail -1
}

# The CBR rows of the conversion use LAME's algorithm quality 2; the lame command line uses 3
# unless told, which does less work. Both are shown: "-q 2" is the same setting as ours.
echo
echo "wall = elapsed seconds, cpu = user+system seconds, MiB = peak resident memory"
printf '%-28s %-31s %7s %7s %7s %7s %6s %6s %7s %7s\n' "source" "lame setting" "ours" "lame" "ours" "lame" "ours" "lame" "wall" "cpu"
printf '%-28s %-31s %7s %7s %7s %7s %6s %6s %7s %7s\n' "" "" "wall" "wall" "cpu" "cpu" "MiB" "MiB" "ratio" "ratio"
row() { # label source quality lame-args pipeline(0/1)
  local label=$1 src=$2 q=$3 args=$4 pipe=$5
  local lamecmd
  if [ "$pipe" = 1 ]; then
    lamecmd="flac -dcs '$src' | lame --quiet $args - '$work/l.mp3'"
  else
    lamecmd="lame --quiet $args '$src' '$work/l.mp3'"
  fi
  read -r ow oc om < <(measure "$driver" "$src" "$work/o.mp3" "$q")
  read -r lw lc lm < <(measure sh -c "$lamecmd")
  awk -v l="$label" -v a="$([ "$pipe" = 1 ] && echo "flac -dcs | lame $args" || echo "lame $args")" \
      -v ow="$ow" -v lw="$lw" -v oc="$oc" -v lc="$lc" -v om="$om" -v lm="$lm" \
    'BEGIN { printf "%-28s %-31s %7.2f %7.2f %7.2f %7.2f %6.1f %6.1f %6.2fx %6.2fx\n", l, a, ow, lw, oc, lc, om/1024, lm/1024, lw/ow, lc/oc }'
}

for src in w5.wav f5.flac; do
  pipe=0; label="WAV 44.1k/16 5min"
  if [ "$src" = f5.flac ]; then pipe=1; label="FLAC 96k/24 5min"; fi
  row "$label q0" "$work/$src" 0 "-b 128" $pipe
  row "$label q0" "$work/$src" 0 "-b 128 -q 2" $pipe
  row "$label q1" "$work/$src" 1 "-V 0" $pipe
  row "$label q2" "$work/$src" 2 "-b 320" $pipe
  row "$label q2" "$work/$src" 2 "-b 320 -q 2" $pipe
done

if [ "${SKIP_LONG:-0}" != 1 ]; then
  echo
  printf '%-28s %7s %7s %6s\n' "peak memory, 5 vs 60 min" "wall" "cpu" "MiB"
  for src in w5.wav w60.wav f5.flac f60.flac; do
    read -r ow oc om < <(measure "$driver" "$work/$src" "$work/o.mp3" 1)
    awk -v l="$src q1" -v ow="$ow" -v oc="$oc" -v om="$om" 'BEGIN { printf "%-28s %7.2f %7.2f %6.1f\n", l, ow, oc, om/1024 }'
  done
fi
