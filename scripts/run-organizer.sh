#!/usr/bin/env bash
# Runs the organizer on the folders given, or on a demo library generated here. First it shows
# the preview of the run (tunvale-cli organize --dry-run, which writes nothing). Then, when a
# display is there, it starts the dialog with the two folders in its fields; otherwise it runs
# tunvale-cli and prints the result tree, the files it skipped with their reasons and the
# command that undoes the run.
# Usage: run-organizer.sh BUILD_FOLDER [SOURCE [DESTINATION]]
set -euo pipefail
build="$1"; src="${2:-}"; dst="${3:-}"
cli="$build/cli/tunvale-cli"
dialog="$build/ui/tunvale"

use_dialog=0
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$dialog" ]; then
  use_dialog=1
fi
if [ "$use_dialog" = 0 ] && [ ! -x "$cli" ]; then
  echo "The organizer is not built yet: $cli is missing." >&2
  exit 1
fi

if [ -z "$src" ]; then
  demo="$build/demo"
  rm -rf "$demo"
  ./scripts/make-demo-library.sh "$demo/source"
  src="$demo/source"; dst="$demo/sorted"
  echo "Demo library: $src ($(find "$src" -type f | wc -l) files in MP3, FLAC, WAV, AIFF, Ogg Vorbis, Opus and M4A)"
fi

# The dialog shows, and stores, whole paths.
src="$(realpath -m "$src")"
[ -z "$dst" ] || dst="$(realpath -m "$dst")"

if [ -n "$dst" ] && [ -x "$cli" ]; then
  echo
  echo "== Preview: $cli organize --dry-run $src $dst"
  echo "   (what the run will do; nothing is written)"
  echo
  "$cli" organize --dry-run "$src" "$dst" || true
fi

if [ "$use_dialog" = 1 ]; then
  # The dialog shows the two folders; a missing destination is offered for creation when
  # Organize is clicked.
  echo
  echo "Starting the dialog: $dialog"
  exec "$dialog" "$src" ${dst:+"$dst"}
fi

[ -n "$dst" ] || { echo "Give DST=folder too." >&2; exit 2; }
report=$(mktemp)
trap 'rm -f "$report"' EXIT
echo
echo "== Run: $cli organize $src $dst"
echo
status=0
"$cli" organize --json "$src" "$dst" >"$report" || status=$?

# The JSON report holds the summary line and the account of what was skipped or failed.
/usr/bin/python3 - "$report" "$src" <<'PY'
import json, os, sys
try:
    report = json.load(open(sys.argv[1]))
except ValueError:
    sys.exit(0)  # refused before the run: the reason is already on stderr
source = sys.argv[2]
def shown(path):
    return os.path.relpath(path, source) if path.startswith(source + os.sep) else path
print(report["summary"])
if report["skipped"]:
    print("\nSkipped (left in the source, not copied):")
    for entry in report["skipped"]:
        print(f"  {shown(entry['path'])}: {entry['reason']}")
if report["failed"]:
    print("\nFailed:")
    for entry in report["failed"]:
        print(f"  {shown(entry.get('path', ''))}: {entry.get('message', '')}")
PY
[ -d "$dst" ] || exit "$status"

echo
echo "== Result tree in $dst:"
(cd "$dst" && find . -mindepth 1 | sort | sed 's|^\./|  |')
echo
echo "The source files were only read. To take this run back (delete the copies and the folders it made):"
echo "  $cli undo"
exit "$status"
