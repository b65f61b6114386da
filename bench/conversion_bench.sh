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
  echo "missing $driver: cmake --build $build_dir --target conversion_driver" >&2
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

# measure NAME COMMAND...: prints "seconds maxrss_kib" of the command (whole pipeline for sh -c).
measure() {
  local out
  out=$( { /usr/bin/time -f "%e %M" "$@" >/dev/null 2>/dev/null; } 2>&1 | tail -1)
  echo "$out"
}

printf '\n%-34s %9s %9s %11s %11s %8s\n' "source / setting" "ours s" "lame s" "ours MiB" "lame MiB" "speedup"
row() { # label ours-command... -- lame-command...
  local label=$1; shift
  local ours=() lame=()
  while [ "$1" != "--" ]; do ours+=("$1"); shift; done; shift
  lame=("$@")
  read -r os om < <(measure "${ours[@]}")
  read -r ls lm < <(measure "${lame[@]}")
  awk -v l="$label" -v os="$os" -v ls="$ls" -v om="$om" -v lm="$lm" \
    'BEGIN { printf "%-34s %9.2f %9.2f %11.1f %11.1f %7.2fx\n", l, os, ls, om/1024, lm/1024, ls/os }'
}

settings=("0:-b 128" "1:-V 0" "2:-b 320")
for s in "${settings[@]}"; do
  q=${s%%:*}; args=${s#*:}
  row "WAV 44.1k/16 5min q$q ($args)" "$driver" "$work/w5.wav" "$work/o.mp3" "$q" -- \
      sh -c "lame --quiet $args '$work/w5.wav' '$work/l.mp3'"
done
for s in "${settings[@]}"; do
  q=${s%%:*}; args=${s#*:}
  row "FLAC 96k/24 5min q$q ($args)" "$driver" "$work/f5.flac" "$work/o.mp3" "$q" -- \
      sh -c "flac -dcs '$work/f5.flac' | lame --quiet $args - '$work/l.mp3'"
done

if [ "${SKIP_LONG:-0}" != 1 ]; then
  echo
  printf '%-34s %9s %11s\n' "peak memory, 5 vs 60 minutes" "ours s" "ours MiB"
  for src in w5.wav w60.wav f5.flac f60.flac; do
    read -r os om < <(measure "$driver" "$work/$src" "$work/o.mp3" 0)
    awk -v l="$src q0" -v os="$os" -v om="$om" 'BEGIN { printf "%-34s %9.2f %11.1f\n", l, os, om/1024 }'
  done
fi
