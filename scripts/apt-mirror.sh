#!/usr/bin/env bash
# Prints the package mirror this machine's apt takes a suite from, so that a new root is made
# from the same mirror as the machine itself: the first enabled "deb" source of the suite in
# APT_DIR/sources.list, then APT_DIR/sources.list.d/*.list (one-line format) and *.sources
# (deb822 format), in the order apt reads them. Exit status 1, with a message, when no source
# has the suite.
#   scripts/apt-mirror.sh [SUITE [APT_DIR]]   (defaults: bookworm, /etc/apt)
set -euo pipefail
suite=${1:-bookworm}
apt_dir=${2:-/etc/apt}

files=()
[ -f "$apt_dir/sources.list" ] && files+=("$apt_dir/sources.list")
if [ -d "$apt_dir/sources.list.d" ]; then
  while IFS= read -r file; do
    files+=("$file")
  done < <(find "$apt_dir/sources.list.d" -maxdepth 1 -type f \( -name '*.list' -o -name '*.sources' \) | LC_ALL=C sort)
fi

# One-line entries: "deb [option=value ...] URI SUITE COMPONENT...".
one_line() {
  awk -v suite="$suite" '
    { sub(/#.*/, "") }
    $1 != "deb" { next }
    {
      line = $0
      sub(/^[ \t]*deb[ \t]+/, "", line)
      if (line ~ /^\[/) sub(/^\[[^]]*\][ \t]*/, "", line)
      split(line, word, /[ \t]+/)
      if (word[2] == suite) { print word[1]; exit }
    }' "$1"
}

# deb822 stanzas, separated by blank lines: "Types:", "URIs:", "Suites:", "Enabled:"; a field
# may go on over lines that start with white space.
deb822() {
  awk -v suite="$suite" '
    function finish() {
      if (enabled != "no" && has(types, "deb") && has(suites, suite)) {
        split(uris, u, " ")
        if (u[1] != "") { print u[1]; found = 1 }
      }
      types = ""; uris = ""; suites = ""; enabled = ""; field = ""
    }
    /^#/ { next }
    /^[ \t]*$/ { finish(); if (found) exit; next }
    /^[ \t]/ { value = $0; gsub(/[ \t]+/, " ", value); append(field, value); next }
    {
      field = tolower(substr($0, 1, index($0, ":") - 1))
      value = substr($0, index($0, ":") + 1)
      gsub(/[ \t]+/, " ", value)
      append(field, value)
    }
    function has(list, word,    n, i, w) {
      n = split(list, w, " ")
      for (i = 1; i <= n; i++) if (w[i] == word) return 1
      return 0
    }
    function append(name, text) {
      if (name == "types") types = types " " text
      else if (name == "uris") uris = uris " " text
      else if (name == "suites") suites = suites " " text
      else if (name == "enabled") { enabled = tolower(text); gsub(/ /, "", enabled) }
    }
    END { if (!found) finish() }' "$1"
}

for file in ${files[@]+"${files[@]}"}; do
  case $file in
    *.sources) mirror=$(deb822 "$file") ;;
    *) mirror=$(one_line "$file") ;;
  esac
  if [ -n "$mirror" ]; then
    echo "${mirror%/}"
    exit 0
  fi
done
echo "no apt source of $suite in $apt_dir/sources.list or $apt_dir/sources.list.d" >&2
exit 1
