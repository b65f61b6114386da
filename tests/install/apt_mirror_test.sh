#!/usr/bin/env bash
# scripts/apt-mirror.sh on apt configurations written here: one-line and deb822 sources, the
# order apt reads them in, disabled stanzas, options, other suites and files apt ignores.
# Usage: apt_mirror_test.sh ROOT
set -euo pipefail
root=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/tunvale-apt-mirror.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0

# check NAME EXPECTED (empty: no mirror, exit status 1); the configuration is in $work/NAME.
check() {
  local name=$1 expected=$2 got status=0
  got=$("$root/scripts/apt-mirror.sh" bookworm "$work/$name" 2>/dev/null) || status=$?
  if [ -z "$expected" ] && [ "$status" -ne 1 ]; then
    echo "FAIL $name: expected no mirror (status 1), got '$got' (status $status)"
    failures=$((failures + 1))
  elif [ -n "$expected" ] && [ "$got" != "$expected" ]; then
    echo "FAIL $name: expected '$expected', got '$got' (status $status)"
    failures=$((failures + 1))
  else
    echo "ok   $name"
  fi
}
# put NAME FILE: standard input becomes $work/NAME/FILE.
put() {
  mkdir -p "$(dirname "$work/$1/$2")"
  cat >"$work/$1/$2"
}

put one-line sources.list <<'EOF'
# deb http://commented.example/archive bookworm main
deb-src http://source.example/archive bookworm main
deb http://security.example/archive-security bookworm-security main
  deb   http://main.example/archive/   bookworm main contrib
deb http://later.example/archive bookworm main
EOF
check one-line http://main.example/archive

put options sources.list <<'EOF'
deb [arch=amd64 signed-by=/usr/share/keyrings/archive.gpg] http://opts.example/archive bookworm main
EOF
check options http://opts.example/archive

put deb822 sources.list.d/archive.sources <<'EOF'
Types: deb
URIs: http://security.example/archive-security
Suites: bookworm-security
Components: main

# the main archive
Types: deb-src deb
URIs: http://first.example/archive http://second.example/archive
Suites: bookworm bookworm-updates
Components: main
EOF
check deb822 http://first.example/archive

put disabled sources.list.d/a.sources <<'EOF'
Types: deb
URIs: http://off.example/archive
Suites: bookworm
Enabled: no

types: deb
uris:
 http://continued.example/archive
suites: bookworm
EOF
check disabled http://continued.example/archive

# sources.list first, then sources.list.d in name order; other extensions are not read.
put order sources.list <<'EOF'
deb http://other.example/archive trixie main
EOF
put order sources.list.d/b.list <<'EOF'
deb http://b.example/archive bookworm main
EOF
put order sources.list.d/a.sources <<'EOF'
Types: deb
URIs: http://a.example/archive
Suites: bookworm
EOF
put order sources.list.d/0.list.disabled <<'EOF'
deb http://ignored.example/archive bookworm main
EOF
check order http://a.example/archive

put none sources.list.d/x.sources <<'EOF'
Types: deb-src
URIs: http://source.example/archive
Suites: bookworm
EOF
check none ""
mkdir -p "$work/empty"
check empty ""

[ "$failures" -eq 0 ] || { echo "$failures case(s) failed"; exit 1; }
