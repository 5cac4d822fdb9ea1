#!/bin/sh
# Runs the Windows build of adconv under wine, one row of the table below a
# case, each in a folder of its own, and compares the exit status, standard
# output and standard error (CR LF line ends, the runtime's own error
# texts) and the table file byte for byte.
# Usage: windows_cli_check.sh WINE ADCONV_EXE SOURCE_DIR
wine=$1 exe=$2 src=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Wine maps the Unix root to drive Z:.
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

record() {  # a record with stamp $1 (four octal escapes) and every count 0x3333
  printf "$1"
  i=0
  while [ $i -lt 16 ]; do printf '\063\063'; i=$((i + 1)); done
}
row() { printf '%s' "$1"; i=0; while [ $i -lt 16 ]; do printf '\t0.50000'; i=$((i + 1)); done; printf '\r\n'; }

in=$work/in expect=$work/expect
mkdir "$in" "$expect"
: >"$in/empty.bin"
record '\200\000\000\000' >"$in/y2038.bin"
record '\000\000\000\000' >"$in/epoch.bin"
cat "$in/y2038.bin" >"$in/partial.bin"
printf 'partial' >>"$in/partial.bin"
head -c 119 "$src/tests/golden/sample-utc.adtable" >"$expect/header"
cp "$src/tests/golden/sample-utc.adtable" "$expect/utc"
{ cat "$expect/header"; row '01/19/2038 03:14:08'; } >"$expect/y2038"
{ cat "$expect/header"; row '??/??/???? ??:??:??'; } >"$expect/marker"

# name | TZ | before the run | argument (- for none) | status | records in the
# summary (- for no summary) | standard error | adtable afterwards.
# IN is the folder of inputs, FULL the table's full Windows path, EXE the
# program's path as Windows passes it.
# "before the run": table = an adtable holding "keep me", folder = a folder named adtable.
# "adtable afterwards": a file in $expect, keep = still "keep me", none = absent.
cases='
example|UTC0|none|SRC/examples/sample.bin|0|12||utc
from-2038|UTC0|none|IN/y2038.bin|0|1||y2038
no-local-time|PST8PDT|none|IN/epoch.bin|0|1||marker
empty|UTC0|table|IN/empty.bin|0|0||header
partial-record|UTC0|none|IN/partial.bin|0|1||y2038
no-argument|UTC0|none|-|1|-|Usage: EXE filename|none
missing-input|UTC0|table|missing.bin|1|-|missing.bin: No such file or directory|keep
folder-input|UTC0|table|IN|1|-|IN: Permission denied|keep
input-is-table|UTC0|table|adtable|1|-|adtable: input file is the table file|keep
input-is-table-dot|UTC0|table|.\adtable|1|-|.\adtable: input file is the table file|keep
input-is-table-slash|UTC0|table|./adtable|1|-|./adtable: input file is the table file|keep
input-is-table-full|UTC0|table|FULL|1|-|FULL: input file is the table file|keep
table-is-folder|UTC0|folder|IN/y2038.bin|1|-|adtable: Permission denied|folder
'

passed=0 failed=0
fail() { echo "FAIL $name: $*"; ok=no; }
printf '%s\n' "$cases" | while IFS='|' read -r name tz before arg status records err table; do
  [ -n "$name" ] || continue
  dir=$work/case-$name
  mkdir "$dir"
  full=$(winpath "$dir/adtable")
  sub() { printf '%s' "$1" | sed "s#SRC#$src#; s#IN#$in#; s#FULL#$(printf '%s' "$full" | sed 's/\\/\\\\/g')#; s#EXE#$(winpath "$exe" | sed 's/\\/\\\\/g')#"; }
  arg=$(sub "$arg") err=$(sub "$err")
  case $before in
    table) printf 'keep me' >"$dir/adtable" ;;
    folder) mkdir "$dir/adtable" ;;
  esac
  if [ "$arg" = - ]; then
    (cd "$dir" && TZ=$tz "$wine" "$exe" >"$work/out" 2>"$work/err")
  else
    (cd "$dir" && TZ=$tz "$wine" "$exe" "$arg" >"$work/out" 2>"$work/err")
  fi
  got=$?
  ok=yes
  [ "$got" = "$status" ] || fail "status $got, expected $status"
  if [ "$records" = - ]; then : >"$work/want-out"; else printf '%s records converted from file %s\r\n' "$records" "$arg" >"$work/want-out"; fi
  if [ -z "$err" ]; then : >"$work/want-err"; else printf '%s\r\n' "$err" >"$work/want-err"; fi
  cmp -s "$work/out" "$work/want-out" || fail "standard output: $(od -c "$work/out" | head -3)"
  cmp -s "$work/err" "$work/want-err" || fail "standard error: $(od -c "$work/err" | head -3)"
  case $table in
    none) [ ! -e "$dir/adtable" ] || fail "adtable was created" ;;
    folder) [ -d "$dir/adtable" ] || fail "the folder adtable is gone" ;;
    keep) [ "$(cat "$dir/adtable")" = "keep me" ] || fail "adtable was changed" ;;
    *) cmp -s "$dir/adtable" "$expect/$table" || fail "adtable differs from $table" ;;
  esac
  if [ $ok = yes ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
  echo "$passed $failed" >"$work/counts"
done
read -r passed failed <"$work/counts"
echo "windows_cli: $passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
