#!/usr/bin/env bash
# Runs `tunvale-cli inspect` under valgrind over every MP3 and FLAC file the tests build.
#
# The tests that make MP3 and FLAC files (the format readers and writers, the conversions,
# the end-to-end runs and the hostile-input files) are run with TUNVALE_KEEP_AUDIO_FIXTURES
# set, so each temporary folder hands its audio files over before it is removed; identical
# files are kept once. Any invalid read or write, or use of uninitialised memory, in our code
# or in the libraries it hands the files to, fails the check.
#
#   scripts/valgrind-inspect-fixtures.sh BUILD_DIR
set -uo pipefail

build=${1:?usage: $0 BUILD_DIR}
cli="$build/cli/tunvale-cli"
tests="$build/tests"
for program in "$cli" "$tests/formats_tests" "$tests/output_tests" "$tests/cli_tests"; do
  [ -x "$program" ] || { echo "missing $program: build first" >&2; exit 1; }
done
command -v valgrind >/dev/null || { echo "valgrind is not installed" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TUNVALE_KEEP_AUDIO_FIXTURES="$work/kept"
export XDG_STATE_HOME="$work/state"
mkdir -p "$TUNVALE_KEEP_AUDIO_FIXTURES"

# A failing test is reported by its own ctest entry; its files are checked all the same.
"$tests/formats_tests" --gtest_filter='*Mp3*:*Flac*:*Id3*:*Mpeg*' >"$work/tests.log" 2>&1
"$tests/output_tests" >>"$work/tests.log" 2>&1
"$tests/cli_tests" --gtest_filter='HostileInput.*:Cli.Organizes*:Cli.Inspect*:AllFormats*' >>"$work/tests.log" 2>&1
unset TUNVALE_KEEP_AUDIO_FIXTURES

declare -A seen
files=()
mp3=0
flac=0
for file in "$work"/kept/*; do
  [ -f "$file" ] || continue
  sum=$(cksum <"$file")
  [ -n "${seen[$sum]:-}" ] && continue
  seen[$sum]=1
  files+=("$file")
  case "$file" in
    *.mp3) mp3=$((mp3 + 1)) ;;
    *.flac) flac=$((flac + 1)) ;;
  esac
done
if [ "$mp3" -eq 0 ] || [ "$flac" -eq 0 ]; then
  echo "the tests left $mp3 MP3 and $flac FLAC files: nothing to check" >&2
  tail -50 "$work/tests.log" >&2
  exit 1
fi

valgrind --quiet --error-exitcode=9 "$cli" inspect "${files[@]}" >"$work/inspect.json" 2>"$work/valgrind.log"
status=$?
# inspect itself ends with 0 (every file loaded) or 1 (some did not).
if [ "$status" -ne 0 ] && [ "$status" -ne 1 ]; then
  echo "valgrind found errors (status $status) in inspect over $mp3 MP3 and $flac FLAC files:" >&2
  cat "$work/valgrind.log" >&2
  exit 1
fi
echo "valgrind clean: inspect over $mp3 MP3 and $flac FLAC files"
