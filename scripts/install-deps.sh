#!/usr/bin/env bash
# Installs, with apt-get, whatever a fresh Debian 12 machine lacks to build and test Tunvale.
# Idempotent: when every package is present it only checks and returns.
#   scripts/install-deps.sh [GROUP...]
# Without a group: what `make run`, `make test` and `make package` need. The groups add what
# only one other job needs, so that a first `make test` does not download them:
#   windows  the Windows compile check of the Qt-free code (scripts/check-windows-build.sh)
#   fuzz     clang and its fuzzer and sanitizer runtimes (fuzz/)
#   bench    the benchmark library (make bench)
#   all      every group
set -euo pipefail

packages=(
  # build
  g++ cmake make pkg-config
  # test framework
  libgtest-dev libgmock-dev
  # audio libraries
  libid3tag0-dev libflac-dev libmp3lame-dev zlib1g-dev
  # Ogg Vorbis, Opus and MP4 tags
  libtag1-dev
  # Unicode text: normalization, case mapping, categories, character boundaries
  libutf8proc-dev
  # front ends; lupdate for the dialog's translation source
  qt6-base-dev qt6-l10n-tools libcli11-dev nlohmann-json3-dev
  # independent tools the tests use to make and check audio files
  sox lame flac ffmpeg python3-mutagen mp3val valgrind vorbis-tools opus-tools
  # dialog tests and screenshots without a screen; the Adwaita style the layout test also
  # measures; the accessibility check (AT-SPI bus and its Python client)
  xvfb xauth x11-apps imagemagick adwaita-qt6 at-spi2-core dbus python3-pyatspi
  # icons, manual pages and the Debian package (rendering, validation, dependencies)
  librsvg2-bin desktop-file-utils appstream man-db dpkg-dev
  # the manual page laid out as text for the dialog's Help > Manual
  groff-base
)
windows_packages=(g++-mingw-w64-x86-64-posix)
fuzz_packages=(clang libclang-rt-14-dev)
bench_packages=(libbenchmark-dev)

for group in "$@"; do
  case $group in
    windows) packages+=("${windows_packages[@]}") ;;
    fuzz) packages+=("${fuzz_packages[@]}") ;;
    bench) packages+=("${bench_packages[@]}") ;;
    all) packages+=("${windows_packages[@]}" "${fuzz_packages[@]}" "${bench_packages[@]}") ;;
    *) echo "unknown group $group (windows, fuzz, bench, all)" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
