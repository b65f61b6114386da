#!/usr/bin/env bash
# Runs the organizer: the dialog when a display is there, otherwise the command line on the
# folders given, or on a small demo library generated here.
set -euo pipefail
build="$1"; src="${2:-}"; dst="${3:-}"
cli="$build/cli/tunvale-cli"
if [ ! -x "$cli" ]; then
  echo "The organizer is not built yet: $cli is missing." >&2
  exit 1
fi
if [ -z "$src" ]; then
  demo="$build/demo"
  rm -rf "$demo"
  ./scripts/make-demo-library.sh "$demo/source"
  src="$demo/source"; dst="$demo/sorted"
  echo "Demo library: $src"
fi
[ -n "$dst" ] || { echo "Give DST=folder too." >&2; exit 2; }
"$cli" organize "$src" "$dst"
echo
echo "Result tree in $dst:"
(cd "$dst" && find . -mindepth 1 | sort | sed 's|^\./|  |')
