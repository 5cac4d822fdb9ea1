#!/bin/sh
# A test that needs an optional tool must report "skipped" with the tool's
# name, and exit 77, when the tool is absent; it must never fail for it.
# Each row runs one check script with a PATH that holds only what the
# scripts call before their checks (sh and grep) and the optional tools,
# less the row's own.
# Usage: skip_check.sh BUILD_DIR ADCONV MAKE_SAMPLES
build=$1 adconv=$2 make_samples=$3
here=$(dirname "$0")
bin=$build/skip-check-bin
rm -rf "$bin" && mkdir -p "$bin" || exit 1

for tool in sh grep groff man valgrind dpkg-deb file dpkg-shlibdeps lintian; do
  path=$(command -v "$tool") && ln -s "$path" "$bin/$tool"
done

passed=0 failed=0
while IFS='|' read -r tool script args; do
  [ -e "$bin/$tool" ] && mv "$bin/$tool" "$bin/.hidden"
  out=$(PATH=$bin sh "$here/$script" $args 2>&1)
  status=$?
  [ -e "$bin/.hidden" ] && mv "$bin/.hidden" "$bin/$tool"
  if [ $status -eq 77 ] && echo "$out" | grep -q "$tool.*skipped"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL $script without $tool: status $status, output: $out"
  fi
done <<ROWS
groff|manpage_check.sh|$build/adconv.1
valgrind|valgrind_run.sh|$adconv $make_samples
dpkg-deb|package_check.sh|$build build
file|package_check.sh|$build contents
dpkg-shlibdeps|package_check.sh|$build build
lintian|package_check.sh|$build lintian
ROWS
rm -rf "$bin"
echo "skip_check: $passed passed, $failed failed"
[ $failed -eq 0 ]
