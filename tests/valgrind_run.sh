#!/bin/sh
# Runs adconv under valgrind on a mixed input with a partial last record.
# Usage: valgrind_run.sh ADCONV MAKE_SAMPLES. Exit 77 (skipped) without valgrind.
command -v valgrind >/dev/null 2>&1 || { echo "valgrind is not installed: skipped"; exit 77; }
set -e
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
"$2" mixed.bin 3000 mixed 1774700000
printf 'partial' >>mixed.bin
TZ=Europe/Berlin valgrind -q --error-exitcode=1 --leak-check=full "$1" mixed.bin
test "$(wc -c <adtable)" -eq $((119 + 149 * 3000))
