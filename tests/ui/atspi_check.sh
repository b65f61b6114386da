#!/usr/bin/env bash
# Checks the dialog with the AT-SPI accessibility tree a screen reader reads: starts a private
# session bus, a virtual screen and the AT-SPI bus, runs the dialog at its first start for a
# user whose music (the demo library) is in ~/Music, and lets tests/ui/atspi_tree.py print and
# check the tree (Return and Organize are pressed through AT-SPI, Organize twice). Then checks
# the disk: the music is untouched, and the proposed destination beside it holds each file
# twice (two runs), never a copy of a copy.
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
music="$work/home/Music"
"$root/scripts/make-demo-library.sh" "$music" >/dev/null
mkdir -p "$work/config" "$work/runtime"
chmod 700 "$work/runtime"
listing() { (cd "$1" && find . -type f -print0 | sort -z | xargs -0 md5sum); }
before="$(listing "$music")"

export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
export DIALOG="$dialog" WORK="$work" TREE="$here/atspi_tree.py" DESTINATION="$work/home/Music (organized)"
dbus-run-session -- xvfb-run -a -s "-screen 0 1366x768x24" bash -c '
  set -e
  /usr/libexec/at-spi-bus-launcher --launch-immediately &
  launcher=$!
  sleep 1
  # Qt exposes its tree when the bus says assistive technology is on.
  QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb "$DIALOG" &
  app=$!
  status=0
  /usr/bin/python3 "$TREE" tunvale || status=$?
  kill "$app" 2>/dev/null || true
  wait "$app" 2>/dev/null || true
  kill "$launcher" 2>/dev/null || true
  exit $status
' || exit $?

status=0
if [ "$(listing "$music")" != "$before" ]; then
  echo "FAIL the music folder changed"; status=1
else
  echo "ok   the music folder is untouched"
fi
copies=$(find "$DESTINATION" -type f | wc -l)
# Every file of the demo library is copied but the FLAC cut short, which each run skips.
sources=$(find "$music" -type f ! -name 'half downloaded.flac' | wc -l)
if [ "$copies" -ne $((2 * sources)) ]; then
  echo "FAIL the destination holds $copies files, not twice the $sources sources it copies"; status=1
else
  echo "ok   the destination holds each of the $sources files twice, no copy of a copy"
fi
exit $status
