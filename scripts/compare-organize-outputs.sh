#!/usr/bin/env bash
# Organizes the same libraries with two builds of tunvale-cli under a set of option lists and
# reports any difference between the trees they make, byte for byte. Used to show that a change
# to the engine leaves every result as it was.
#   scripts/compare-organize-outputs.sh OLD_CLI NEW_CLI [LIBRARY...]
# Without LIBRARY the demo library is generated and used.
set -euo pipefail
old_cli=$(realpath "$1")
new_cli=$(realpath "$2")
shift 2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

libraries=("$@")
if [ ${#libraries[@]} -eq 0 ]; then
    "$here/make-demo-library.sh" "$work/demo" >/dev/null
    libraries=("$work/demo")
fi

option_sets=(
    ""
    "--no-rename --no-renumber --no-artist-in-title --no-composer-in-title --no-tags-from-name"
    "--by album --step 10"
    "--by genre --remove-pictures"
    "--by decade --no-similitudes --no-group-isolated"
    "--by year --convert --quality standard"
)

differences=0
for library in "${libraries[@]}"; do
    for options in "${option_sets[@]}"; do
        for side in old new; do
            cli=$old_cli
            [ "$side" = new ] && cli=$new_cli
            rm -rf "$work/$side" "$work/state-$side"
            # shellcheck disable=SC2086
            XDG_STATE_HOME="$work/state-$side" "$cli" organize $options "$library" "$work/$side" >"$work/$side.out" 2>&1 || true
        done
        if diff -r "$work/old" "$work/new" >"$work/diff" 2>&1 && diff "$work/old.out" "$work/new.out" >>"$work/diff" 2>&1; then
            echo "same: $(basename "$library") [${options:-defaults}] ($(find "$work/new" -type f | wc -l) files)"
        else
            echo "DIFFERENT: $(basename "$library") [${options:-defaults}]"
            head -20 "$work/diff"
            differences=$((differences + 1))
        fi
    done
done
exit $((differences > 0))
