#!/usr/bin/env bash
# Generates a small demo library of tagged audio files in the folder given.
set -euo pipefail
out="$1"
mkdir -p "$out"
echo "(demo library generator not written yet)" >&2
