#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a Linux installation gets: exactly
# the expected files (no test, benchmark or fuzzer), a valid menu entry and AppStream file,
# icons of the right sizes, manual pages that man formats without warnings and that name every
# option of tunvale-cli, and a bash completion that registers itself and completes the
# commands, the options and their values.
# Usage: check_install.sh BUILD_DIR VERSION APP_ID WITH_DIALOG(0|1)
set -euo pipefail

build=$1 version=$2 app_id=$3 with_dialog=$4
export LC_ALL=C.UTF-8

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

for tool in desktop-file-validate appstreamcli man; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/install-deps.sh" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tunvale-install-check.XXXXXX")
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || { cat "$work/install.log" >&2; exit 1; }

# Exactly these files, nothing more.
icon_sizes="16 22 24 32 48 64 128 256 512"
expected=(
  bin/tunvale-cli
  share/bash-completion/completions/tunvale-cli
  share/man/man1/tunvale-cli.1.gz
)
if [ "$with_dialog" = 1 ]; then
  expected+=(
    bin/tunvale
    "share/applications/$app_id.desktop"
    "share/metainfo/$app_id.metainfo.xml"
    share/icons/hicolor/scalable/apps/tunvale.svg
    share/man/man1/tunvale.1.gz
  )
  for size in $icon_sizes; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/tunvale.png")
  done
fi
(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | sort) >"$work/installed"
printf '%s\n' "${expected[@]}" | sort >"$work/expected"
if ! diff -u "$work/expected" "$work/installed" >"$work/files.diff"; then
  fail "installed files differ from the expected list (- missing, + unexpected):"
  sed -n '3,$p' "$work/files.diff" | grep '^[-+]' >&2 || true
fi

# The programs run, and the version is the project's.
for program in tunvale-cli $([ "$with_dialog" = 1 ] && echo tunvale); do
  [ -x "$prefix/bin/$program" ] || fail "bin/$program is not executable"
done
cli=$prefix/bin/tunvale-cli
got=$("$cli" --version 2>&1) || fail "tunvale-cli --version exits with $?"
[ "$got" = "tunvale-cli $version" ] || fail "tunvale-cli --version prints '$got', not 'tunvale-cli $version'"

# Every option of every command, as the program itself lists them.
options_of() { # command...
  "$cli" "$@" --help | grep -oE '(^|[ ,])--?[a-z][a-z0-9-]*' | sed 's/^[ ,]//' | sort -u
}
{
  options_of
  for command in organize inspect undo; do options_of "$command"; done
} | sort -u >"$work/options"
[ "$(wc -l <"$work/options")" -ge 20 ] || fail "tunvale-cli --help lists only $(wc -l <"$work/options") options"

# Manual pages: formatted by man without a warning, with the version, and tunvale-cli(1) names
# every option.
pages=(tunvale-cli)
[ "$with_dialog" = 1 ] && pages+=(tunvale)
for page in "${pages[@]}"; do
  file=$prefix/share/man/man1/$page.1.gz
  [ -f "$file" ] || continue
  if ! MANWIDTH=80 man --warnings -l "$file" >"$work/$page.txt" 2>"$work/$page.err"; then
    fail "man -l $page.1.gz failed: $(cat "$work/$page.err")"
  elif [ -s "$work/$page.err" ]; then
    fail "man -l $page.1.gz warns: $(cat "$work/$page.err")"
  fi
  grep -q "Tunvale $version" "$work/$page.txt" || fail "$page(1) does not show the version $version"
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" FILES; do
    grep -q "^$section" "$work/$page.txt" || fail "$page(1) has no $section section"
  done
done
if [ -f "$work/tunvale-cli.txt" ]; then
  while read -r option; do
    grep -qe "$option\b" "$work/tunvale-cli.txt" || fail "tunvale-cli(1) does not describe $option"
  done <"$work/options"
  for status in 0 1 2 3; do
    grep -qE "^ +$status +[A-Z]" "$work/tunvale-cli.txt" || fail "tunvale-cli(1) does not describe exit status $status"
  done
  for file in '\$XDG_STATE_HOME/tunvale/' 'run-\*\.journal' '~/.config/QX/Tunvale\.conf'; do
    grep -q "$file" "$work/tunvale-cli.txt" || fail "tunvale-cli(1) does not name the file $file"
  done
fi
if [ -f "$work/tunvale.txt" ]; then
  grep -q '~/.config/QX/Tunvale\.conf' "$work/tunvale.txt" || fail "tunvale(1) does not name the configuration file"
fi

# Bash completion: it registers itself, and completes commands, every option and the values.
completion=$prefix/share/bash-completion/completions/tunvale-cli
registered=$(bash -c 'source "$1"; complete -p tunvale-cli' _ "$completion" 2>&1) || true
[[ $registered == "complete -F "*" tunvale-cli" ]] || fail "the completion does not register: '$registered'"
complete_line() { # words of the command line, the last one being completed
  bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); COMPREPLY=()
           _tunvale_cli; printf "%s\n" "${COMPREPLY[@]}" | sort' _ "$completion" tunvale-cli "$@"
}
expect_completion() { # expected (space-separated, sorted) -- words...
  local want=$1
  shift 2
  local got
  got=$(complete_line "$@" | tr '\n' ' ' | sed 's/ $//')
  [ "$got" = "$want" ] || fail "completing 'tunvale-cli $*': got '$got', want '$want'"
}
expect_completion "inspect organize undo" -- ""
expect_completion "album artist decade genre year" -- organize --by ""
expect_completion "album" -- organize src --by = al
expect_completion "decade" -- inspect --by d
expect_completion "high max standard" -- organize --quality ""
expect_completion "1 10" -- organize --step ""
expect_completion "mp3,aiff mp3,flac mp3,m4a mp3,ogg mp3,opus mp3,wav" -- organize --formats mp3,
expect_completion "--everything --help --list" -- undo --
for command in organize inspect undo; do
  complete_line "$command" -- >"$work/completed-$command"
  while read -r option; do
    case $option in -h | --version) continue ;; esac
    if "$cli" "$command" --help | grep -qE "(^|[ ,])$option( |$)"; then
      grep -qx -e "$option" "$work/completed-$command" || fail "the completion of '$command' lacks $option"
    fi
  done <"$work/options"
done
mkdir -p "$work/cwd/My Music" "$work/cwd/Other"
got=$(cd "$work/cwd" && complete_line organize My)
[ "$got" = "My Music" ] || fail "completing a folder with a space: got '$got'"

# Desktop entry and AppStream file: valid, and pointing at what is installed.
if [ "$with_dialog" = 1 ]; then
  desktop=$prefix/share/applications/$app_id.desktop
  if ! out=$(desktop-file-validate "$desktop" 2>&1) || [ -n "$out" ]; then
    fail "desktop-file-validate: $out"
  fi
  grep -qx 'Exec=tunvale' "$desktop" || fail "the menu entry does not start tunvale"
  grep -qx 'Icon=tunvale' "$desktop" || fail "the menu entry does not name the icon tunvale"
  metainfo=$prefix/share/metainfo/$app_id.metainfo.xml
  appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" 2>&1 || fail "appstreamcli validate --no-net: $(cat "$work/appstream.log")"
  grep -q "<id>$app_id</id>" "$metainfo" || fail "the AppStream id is not $app_id"
  grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" || fail "the AppStream file does not launch $app_id.desktop"
  grep -q "<release version=\"$version\"" "$metainfo" || fail "the AppStream release is not $version"

  # Each PNG has the size of its folder (width and height from the IHDR chunk).
  for size in $icon_sizes; do
    png=$prefix/share/icons/hicolor/${size}x${size}/apps/tunvale.png
    [ -f "$png" ] || continue
    hex=$(od -An -tx1 -N24 "$png" | tr -d ' \n')
    [ "${hex:0:16}" = 89504e470d0a1a0a ] || { fail "$png is not a PNG"; continue; }
    width=$((16#${hex:32:8})) height=$((16#${hex:40:8}))
    [ "$width $height" = "$size $size" ] || fail "$png is ${width}x$height"
  done
  grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/tunvale.svg" || fail "the scalable icon is not an SVG"
fi

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "install tree in a temporary prefix: ${#expected[@]} files, all checks passed"
