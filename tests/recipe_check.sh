#!/bin/sh
# Runs the README's recipes as they are written there (each fenced block
# that follows a "<!-- recipe: NAME -->" line), with the built adconv first
# on PATH: the one-at-a-time loop and the parallel one on 20 files, whose
# tables must agree (the loop takes .BIN too, and ends non-zero on a
# folder among the files, and the parallel one ends 0 on none), then awk,
# pandas, gnuplot and the workbook (openpyxl, under a German and a US
# locale) on a table that holds a placeholder row. pandas, gnuplot and
# openpyxl are skipped, with a word, where they are not installed; the
# check then ends with 77, which ctest counts as skipped, once the rest
# has passed.
# Usage: recipe_check.sh README ADCONV MAKE_SAMPLES
readme=$1 adconv=$2 make_samples=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin" "$work/files" "$work/table"
ln -s "$adconv" "$work/bin/adconv"
PATH=$work/bin:$PATH TZ=UTC
export PATH TZ

recipe() {  # NAME: the block's lines
  awk -v mark="<!-- recipe: $1 -->" '$0 == mark { found = 1; next }
    found && /^```/ { if (inside) exit; inside = 1; next }
    inside { print }' "$readme"
}
check() {  # NAME CONDITION: counts the recipe as passed or failed
  if eval "$2"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL $1"; fi
}
for name in loop parallel awk pandas gnuplot spreadsheet; do
  [ -n "$(recipe "$name")" ] || { echo "FAIL the README has no recipe named $name"; exit 1; }
done

for i in $(seq 20); do
  "$make_samples" "$work/files/run $i.bin" $((i * 40)) mixed $((1700000000 + i * 86400)) >/dev/null || exit 1
done
cp -R "$work/files" "$work/loop"
cp -R "$work/files" "$work/parallel"
cp "$work/files/run 1.bin" "$work/loop/RUN 0.BIN"
(cd "$work/loop" && sh -e -c "$(recipe loop)" >/dev/null)
status=$?
check loop '[ "$status" = 0 ] && [ "$(ls "$work/loop"/*.tsv | wc -l)" = 21 ]'
mkdir "$work/loop-failing" "$work/loop-failing/folder.bin" && cp "$work/files/run 1.bin" "$work/loop-failing/"
(cd "$work/loop-failing" && sh -e -c "$(recipe loop)" >/dev/null 2>"$work/loop.err")
status=$?
check loop-failing '[ "$status" != 0 ] && grep -q "^folder.bin: Is a directory" "$work/loop.err" && [ -e "$work/loop-failing/run 1.tsv" ]'
(cd "$work/parallel" && sh -c "$(recipe parallel)")
status=$?
same=yes
for t in "$work/parallel"/*.tsv; do cmp -s "$t" "$work/loop/${t##*/}" || same=no; done
[ "$(ls "$work/parallel"/*.tsv | wc -l)" = 20 ] || same=no
check parallel '[ "$status" = 0 ] && [ "$same" = yes ] && [ ! -e "$work/parallel/adtable" ]'
mkdir "$work/parallel-upper" "$work/parallel-none" && cp "$work/files/run 1.bin" "$work/parallel-upper/RUN 1.BIN"
(cd "$work/parallel-upper" && sh -c "$(recipe parallel)") && (cd "$work/parallel-none" && sh -c "$(recipe parallel)")
status=$?
check parallel-upper-and-none '[ "$status" = 0 ] && [ -e "$work/parallel-upper/RUN 1.tsv" ]'

# A table whose first row has no local time, as Windows writes for some stamps.
cd "$work/table" && adconv "$work/files/run 1.bin" >/dev/null || exit 1
tab=$(printf '\t')
sed "3s|^[^$tab]*|??/??/???? ??:??:??|" adtable >placeholder && mv placeholder adtable
rows=$(($(wc -l <adtable) - 2))
sh -e -c "$(recipe awk)" >awk.out
status=$?
check awk '[ "$status" = 0 ] && [ -s awk.out ] && ! grep -q "$(printf "\r")" adtable.txt'

for python in python3 /usr/bin/python3; do
  "$python" -c 'import pandas' 2>/dev/null && break
  python=
done
if [ -n "$python" ]; then
  { recipe pandas; printf 'assert len(df) == %s and df.index.isna().sum() == 1, df\n' "$rows"; } >recipe.py
  check pandas '"$python" recipe.py'
else
  echo "pandas: skipped (no python3 with pandas here: apt-get install python3-pandas)"; skipped=1
fi
if command -v gnuplot >/dev/null 2>&1; then
  sh -e -c "$(recipe gnuplot)" 2>gnuplot.err
  status=$?
  check gnuplot '[ "$status" = 0 ] && [ -s ad1_0.png ]'
  [ -s gnuplot.err ] && cat gnuplot.err
else
  echo "gnuplot: skipped (apt-get install gnuplot-nox)"; skipped=1
fi
for python in python3 /usr/bin/python3; do
  "$python" -c 'import openpyxl' 2>/dev/null && break
  python=
done
if [ -n "$python" ] && command -v localedef >/dev/null 2>&1; then
  # The workbook read back: dates shown with their seconds, numbers, columns
  # wide enough for what they hold, the header in view.
  cat >workbook.py <<'PYTHON'
import datetime, openpyxl
rows = [line.rstrip("\r\n").split("\t") for line in open("adtable", newline="")][2:]
sheet = openpyxl.load_workbook("adtable.xlsx").active
cells = list(sheet.iter_rows(min_row=2))
assert len(cells) == len(rows), (len(cells), len(rows))
assert sheet.freeze_panes == "A2" and all(c.font.b for c in sheet[1]), sheet.freeze_panes
assert sheet.column_dimensions["A"].width >= 19 and all(
    sheet.column_dimensions[c].width >= 8 for c in "BCDEFGHIJKLMNOPQ")
for text, got in zip(rows, cells):
    if text[0].startswith("??"):
        assert got[0].value == text[0], got[0].value
    else:
        assert got[0].value == datetime.datetime.strptime(text[0], "%m/%d/%Y %H:%M:%S"), (text[0], got[0].value)
        assert got[0].number_format == "yyyy-mm-dd hh:mm:ss", got[0].number_format
    for t, v in zip(text[1:], got[1:]):
        assert isinstance(v.value, (int, float)) and abs(v.value - float(t)) < 1e-9, (t, v.value)
PYTHON
  mkdir "$work/locales" "$work/python"
  ln -s "$(command -v "$python")" "$work/python/python3"  # the one with openpyxl
  for locale in de_DE en_US; do
    localedef -i $locale -f UTF-8 "$work/locales/$locale.UTF-8" 2>/dev/null
    rm -f adtable.xlsx
    (export LOCPATH=$work/locales LC_ALL=$locale.UTF-8 LANG=$locale.UTF-8 PATH=$work/python:$PATH
     sh -e -c "$(recipe spreadsheet)" >/dev/null)
    check "spreadsheet ($locale)" '[ -e "$work/locales/$locale.UTF-8" ] && "$python" workbook.py'
  done
else
  echo "spreadsheet: skipped (apt-get install locales python3-openpyxl)"; skipped=1
fi
echo "recipes: ${passed:-0} passed, ${failed:-0} failed"
[ "${failed:-0}" -eq 0 ] || exit 1
[ -z "${skipped-}" ] || exit 77
