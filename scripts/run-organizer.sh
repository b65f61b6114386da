#!/usr/bin/env bash
# Runs the organizer: the dialog when a display is there (with the folders given, or a small
# demo library generated here, shown in its two folder fields), otherwise the command line on
# the same folders.
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
  echo "Demo library: $src"
fi

# The dialog shows, and stores, whole paths.
src="$(realpath -m "$src")"
[ -z "$dst" ] || dst="$(realpath -m "$dst")"

if [ "$use_dialog" = 1 ]; then
  # The dialog shows the two folders; a missing destination is offered for creation when
  # Organize is clicked.
  echo "Starting the dialog: $dialog"
  exec "$dialog" "$src" ${dst:+"$dst"}
fi

[ -n "$dst" ] || { echo "Give DST=folder too." >&2; exit 2; }
"$cli" organize "$src" "$dst"
echo
echo "Result tree in $dst:"
(cd "$dst" && find . -mindepth 1 | sort | sed 's|^\./|  |')
