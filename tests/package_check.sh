#!/bin/sh
# Installs into a scratch prefix and builds both packages from the build
# folder, then checks each holds the program and its manual page.
# Usage: package_check.sh BUILD_DIR. Exit 77 (skipped) without dpkg-deb.
set -e
build=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

cmake --install "$build" --prefix "$dir/prefix" >/dev/null
test -x "$dir/prefix/bin/adconv"
test -f "$dir/prefix/share/man/man1/adconv.1"

if ! command -v dpkg-deb >/dev/null 2>&1; then
  echo "dpkg-deb is not installed: skipped"
  exit 77
fi
(cd "$dir" && cpack --config "$build/CPackConfig.cmake" -B "$dir/pkg" >/dev/null)
deb=$(ls "$dir"/pkg/*.deb)
dpkg-deb -c "$deb" >"$dir/deb.txt"
grep -q ' \./usr/bin/adconv$' "$dir/deb.txt"
grep -q ' \./usr/share/man/man1/adconv\.1' "$dir/deb.txt"
dpkg-deb -f "$deb" Package Version Maintainer
tgz=$(ls "$dir"/pkg/*.tar.gz)
tar -tzf "$tgz" >"$dir/tgz.txt"
grep -q '/bin/adconv$' "$dir/tgz.txt"
grep -q '/share/man/man1/adconv\.1$' "$dir/tgz.txt"
echo "packages hold bin/adconv and man1/adconv.1"
