#!/bin/sh
# Runs the Windows build of adconv under wine, one row of the table below a
# case, each in a folder of its own, and compares the exit status, standard
# output and standard error (CR LF line ends, the runtime's own error
# texts) and the table file byte for byte. LOCALE (en_US, ru_RU, zh_CN...)
# sets the system's code page that wine runs the program with (1252, 1251,
# 936...); names outside it must still reach the right file.
# Usage: windows_cli_check.sh WINE ADCONV_EXE SOURCE_DIR LOCALE
wine=$1 exe=$2 src=$3 locale=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The locale is made here, so the test needs no root: Debian's package
# "locales" has the sources.
command -v localedef >/dev/null 2>&1 && [ -e "/usr/share/i18n/locales/$locale" ] ||
  { echo "localedef or the $locale sources (package locales) are missing: skipped"; exit 77; }
localedef -i "$locale" -f UTF-8 "$work/$locale.UTF-8" 2>/dev/null || true
[ -e "$work/$locale.UTF-8/LC_CTYPE" ] || { echo "localedef could not make $locale.UTF-8"; exit 1; }
export LOCPATH=$work LC_ALL=$locale.UTF-8
# One wine server for all the cases, kept until the end: Debian's starts
# each with no persistence, so the server of one case can still be going
# away when the next one connects ("wine client error ... recvmsg").
wineserver=$(dirname "$wine")/wineserver
[ -x "$wineserver" ] || wineserver=wineserver
"$wineserver" -w
"$wineserver" -p </dev/null >/dev/null 2>&1
trap '"$wineserver" -k; rm -rf "$work"' EXIT
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }  # wine maps / to drive Z:
winexe=$(winpath "$exe")

# Inputs: records whose sixteen counts are all 0x3333 (0.50000).
in=$work/in
mkdir "$in"
record() { printf "$1"; printf '\063\063%.0s' $(seq 16); }
: >"$in/empty.bin"
record '\200\000\000\000' >"$in/y2038.bin"
record '\000\000\000\000' >"$in/epoch.bin"
{ cat "$in/y2038.bin"; printf 'partial'; } >"$in/partial.bin"
# Names in several scripts, each outside some system code page.
mkdir "$in/Дмитрий"
for name in измерение Messung_März 测量 Дмитрий/run; do cp "$src/examples/sample.bin" "$in/$name.bin"; done
tzform='this system reads TZ only as a three-letter name, the hours west of UTC as [+|-]hh[:mm[:ss]] and an optional summer-time name with United States rules, for example UTC0, CET-1 or EST5EDT; unset TZ for the system'"'"'s time zone with its own rules'
usdates='this system gives every summer-time name the United States'"'"' dates, which only the zones 5 to 10 hours west of UTC keep (EST5EDT to PST8PDT, Alaska, Hawaii-Aleutian); unset TZ for the system'"'"'s time zone with its own rules, or give a fixed offset such as CET-1'
pattern='no file has this name; Windows does not expand * or ? into file names, so convert many files with the loop in README.txt'
head -c 119 "$src/tests/golden/sample-utc.adtable" >"$work/header"
row() { cat "$work/header"; printf '%s' "$1"; printf '\t0.50000%.0s' $(seq 16); printf '\r\n'; }
cp "$src/tests/golden/sample-utc.adtable" "$work/utc"
row '01/19/2038 03:14:08' >"$work/y2038"
row '??/??/???? ??:??:??' >"$work/marker"
row '01/19/2038 04:14:08' >"$work/cet"
row '01/18/2038 22:14:08' >"$work/est"

# name|TZ|before the run|argument (- for none)|status|records in the summary
# (- for no summary)|standard error|adtable afterwards. Before: table = an
# adtable holding "keep me", folder = a folder named adtable. Afterwards: a
# file in $work, keep = still "keep me", none = absent, folder = still a folder.
# $full is the table's full Windows path; fields are expanded as in "...".
while IFS='|' read -r name tz before arg status records err table; do
  dir=$work/case-$name
  mkdir "$dir"
  full=$(winpath "$dir/adtable")
  eval "arg=\"$arg\" err=\"$err\""
  case $before in
    table) printf 'keep me' >"$dir/adtable" ;;
    folder) mkdir "$dir/adtable" ;;
  esac
  if [ "$arg" = - ]; then set --; else set -- "$arg"; fi
  (cd "$dir" && TZ=$tz "$wine" "$exe" "$@" >"$work/out" 2>"$work/err")
  got=$?
  if [ "$records" = - ]; then : >"$work/want-out"; else printf '%s records converted from file %s\r\n' "$records" "$arg" >"$work/want-out"; fi
  if [ -z "$err" ]; then : >"$work/want-err"; else printf '%s\r\n' "$err" >"$work/want-err"; fi
  problem=
  [ "$got" = "$status" ] || problem="status $got, expected $status"
  cmp -s "$work/out" "$work/want-out" || problem="$problem; standard output: $(od -c "$work/out" | head -2)"
  cmp -s "$work/err" "$work/want-err" || problem="$problem; standard error: $(od -c "$work/err" | head -2)"
  case $table in
    none) [ ! -e "$dir/adtable" ] || problem="$problem; adtable was created" ;;
    folder) [ -d "$dir/adtable" ] || problem="$problem; the folder adtable is gone" ;;
    keep) [ "$(cat "$dir/adtable")" = "keep me" ] || problem="$problem; adtable was changed" ;;
    *) cmp -s "$dir/adtable" "$work/$table" || problem="$problem; adtable differs from $table" ;;
  esac
  if [ -z "$problem" ]; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL $name: ${problem#; }"; fi
done <<'CASES'
example|UTC0|none|$src/examples/sample.bin|0|12||utc
from-2038|UTC0|none|$in/y2038.bin|0|1||y2038
no-local-time|PST8PDT|none|$in/epoch.bin|0|1||marker
empty|UTC0|table|$in/empty.bin|0|0||header
partial-record|UTC0|none|$in/partial.bin|0|1||y2038
no-argument|UTC0|none|-|1|-|Usage: $winexe filename|none
missing-input|UTC0|table|missing.bin|1|-|missing.bin: No such file or directory|keep
folder-input|UTC0|table|$in|1|-|$in: Is a directory|keep
cyrillic-name|UTC0|none|..\in\измерение.bin|0|12||utc
latin-name|UTC0|none|..\in\Messung_März.bin|0|12||utc
cjk-name|UTC0|none|$in/测量.bin|0|12||utc
named-folder|UTC0|none|..\in\Дмитрий\run.bin|0|12||utc
tz-utc|UTC|none|$src/examples/sample.bin|0|12||utc
tz-zone-name|Europe/Berlin|table|$in/y2038.bin|1|-|TZ=Europe/Berlin: $tzform|keep
tz-colon-name|:Europe/Berlin|table|$in/y2038.bin|1|-|TZ=:Europe/Berlin: $tzform|keep
tz-long-name|ABCD-1|table|$in/y2038.bin|1|-|TZ=ABCD-1: $tzform|keep
tz-offset|CET-1|none|$in/y2038.bin|0|1||cet
tz-us-summer|EST5EDT|none|$in/y2038.bin|0|1||est
tz-other-summer|CET-1CEST|table|$in/y2038.bin|1|-|TZ=CET-1CEST: $usdates|keep
tz-utc-sign|UTC+1|table|$in/y2038.bin|1|-|TZ=UTC+1: a zone named UTC lies at UTC, but this rule puts it 1 hour behind it (offsets in TZ count west); for 1 hour ahead write TZ=XXX-1 (with three letters of your own for XXX)|keep
tz-gmt-sign|GMT-5:30|table|$in/y2038.bin|1|-|TZ=GMT-5:30: a zone named GMT lies at UTC, but this rule puts it 5:30 hours ahead of it (offsets in TZ count west); for 5:30 hours behind write TZ=XXX+5:30 (with three letters of your own for XXX)|keep
tz-uct-zero|UCT0|none|$in/y2038.bin|0|1||y2038
pattern|UTC0|table|*.bin|1|-|*.bin: $pattern|keep
input-is-table|UTC0|table|adtable|1|-|adtable: input file is the table file|keep
input-is-table-case|UTC0|table|ADTABLE|1|-|ADTABLE: input file is the table file|keep
Œuvre|UTC0|table|..\case-Œuvre\adtable|1|-|..\case-Œuvre\adtable: input file is the table file|keep
данные|UTC0|table|..\case-данные\adtable|1|-|..\case-данные\adtable: input file is the table file|keep
input-is-table-dot|UTC0|table|.\adtable|1|-|.\adtable: input file is the table file|keep
input-is-table-slash|UTC0|table|./adtable|1|-|./adtable: input file is the table file|keep
input-is-table-full|UTC0|table|$full|1|-|$full: input file is the table file|keep
table-is-folder|UTC0|folder|$in/y2038.bin|1|-|adtable: Is a directory|folder
CASES
# One run at a time: a first run holds the table while it waits on a FIFO
# (its table emptied), and a second run in the same folder is refused.
dir=$work/case-lock
mkdir "$dir" && mkfifo "$dir/pipe" && printf 'keep me' >"$dir/adtable"
(cd "$dir" && TZ=UTC0 "$wine" "$exe" pipe >"$work/out" 2>&1) &
exec 3>"$dir/pipe"
for i in $(seq 300); do [ -s "$dir/adtable" ] || break; sleep 0.1; done
(cd "$dir" && TZ=UTC0 "$wine" "$exe" "$in/y2038.bin" >/dev/null 2>"$work/err")
got=$?
cat "$src/examples/sample.bin" >&3
exec 3>&-
wait
if [ "$got" = 1 ] && grep -q '^adtable: another run is writing it' "$work/err" && cmp -s "$dir/adtable" "$work/utc"; then
  passed=$((passed + 1))
else
  failed=$((failed + 1)); echo "FAIL lock: second run's status $got, $(cat "$work/err"); first run: $(cat "$work/out")"
fi
# check NAME PROBLEM: counts the case, passed where PROBLEM is empty.
check() {
  if [ -z "$2" ]; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL $1: $2"; fi
}
# Standard output into the table, as cmd redirects it (wine gives a Unix
# shell's redirect no file identity): refused, the table as it was.
dir=$work/case-stdout
mkdir "$dir" && printf 'keep me' >"$dir/adtable" && cp "$in/y2038.bin" "$dir/in.bin"
(cd "$dir" && TZ=UTC0 "$wine" cmd /c "$winexe in.bin >> adtable" 2>"$work/err")
got=$?
printf 'adtable: standard output is the table file; left untouched\r\n' >"$work/want-err"
check stdout-is-table "$([ "$got" = 1 ] && cmp -s "$work/err" "$work/want-err" && [ "$(cat "$dir/adtable")" = "keep me" ] ||
  echo "status $got, $(cat "$work/err"), adtable: $(head -c 40 "$dir/adtable")")"
# A disk that fills up (a 64 KiB tmpfs, where this user may mount one): the
# table ends with its last whole row, which the summary counts.
dir=$work/case-full
mkdir "$dir"
if mount -t tmpfs -o size=64k tmpfs "$dir" 2>/dev/null; then
  for i in $(seq 40); do cat "$src/examples/sample.bin"; done >"$work/many.bin"
  (cd "$dir" && TZ=UTC0 "$wine" "$exe" "$work/many.bin" >"$work/out" 2>"$work/err")
  got=$?
  size=$(wc -c <"$dir/adtable")
  rows=$(( (size - 119) / 149 ))
  printf 'adtable: No space left on device\r\n' >"$work/want-err"
  printf '%s records converted from file %s\r\n' "$rows" "$work/many.bin" >"$work/want-out"
  check disk-full "$([ "$got" = 255 ] && [ $((119 + 149 * rows)) = "$size" ] && [ "$rows" -gt 0 ] &&
    cmp -s "$work/err" "$work/want-err" && cmp -s "$work/out" "$work/want-out" ||
    echo "status $got, $size bytes, $(cat "$work/out" "$work/err")")"
  umount "$dir"
fi
echo "windows_cli ($locale): ${passed:-0} passed, ${failed:-0} failed"
[ "${failed:-0}" -eq 0 ] && [ "${passed:-0}" -gt 0 ]
