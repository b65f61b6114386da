#!/usr/bin/env bash
# Checks the dialog with the AT-SPI accessibility tree a screen reader reads: starts a private
# session bus, a virtual screen and the AT-SPI bus, runs the dialog on a small demo library and
# lets tests/ui/atspi_tree.py print and check the tree (Organize is pressed through AT-SPI).
# Needs xvfb, dbus, at-spi2-core and python3-pyatspi (scripts/install-deps.sh installs them).
# Usage: tests/ui/atspi_check.sh [BUILD_FOLDER]   (default: build)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
dialog="$build/ui/tunvale"
[ -x "$dialog" ] || { echo "not built: $dialog" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$root/scripts/make-demo-library.sh" "$work/source" >/dev/null
mkdir -p "$work/sorted" "$work/config" "$work/runtime"
chmod 700 "$work/runtime"

export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
export DIALOG="$dialog" WORK="$work" TREE="$here/atspi_tree.py"
dbus-run-session -- xvfb-run -a -s "-screen 0 1366x768x24" bash -c '
  set -e
  /usr/libexec/at-spi-bus-launcher --launch-immediately &
  launcher=$!
  sleep 1
  # Qt exposes its tree when the bus says assistive technology is on.
  QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb "$DIALOG" "$WORK/source" "$WORK/sorted" &
  app=$!
  status=0
  /usr/bin/python3 "$TREE" tunvale || status=$?
  kill "$app" 2>/dev/null || true
  wait "$app" 2>/dev/null || true
  kill "$launcher" 2>/dev/null || true
  exit $status
'
