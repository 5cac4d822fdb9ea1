#!/bin/sh
# Installs into a scratch prefix and builds the packages from the build
# folder, then checks what each holds: the zip of a Windows build, or the
# Debian package and the tarball. With "lintian" it runs lintian on the
# Debian package instead, which must report no error.
# Usage: package_check.sh BUILD_DIR [lintian]
# Exit 77 (skipped), naming the tool, when a tool it needs is not installed.
set -e
build=$1
skip() { echo "$1 is not installed: skipped"; exit 77; }

if grep -q 'CPACK_GENERATOR "ZIP"' "$build/CPackConfig.cmake"; then
  dir=$(mktemp -d)
  trap 'rm -rf "$dir"' EXIT
  cpack --config "$build/CPackConfig.cmake" -B "$dir/pkg" >/dev/null
  zip=$(ls "$dir"/pkg/adconv-*-win*.zip)
  cmake -E tar tf "$zip" >"$dir/zip.txt"
  for f in adconv.exe README.md LICENSE adconv.txt; do
    grep -q "/$f\$" "$dir/zip.txt" || { echo "$f is missing from $(basename "$zip")"; exit 1; }
  done
  echo "$(basename "$zip") holds adconv.exe, README.md, LICENSE and adconv.txt"
  exit 0
fi

# CPack's Debian generator finds the binaries with file and their
# dependencies with dpkg-shlibdeps; without either it drops Depends silently.
command -v dpkg-deb >/dev/null 2>&1 || skip dpkg-deb
command -v file >/dev/null 2>&1 || skip file
command -v dpkg-shlibdeps >/dev/null 2>&1 || skip "dpkg-shlibdeps (package dpkg-dev)"
if [ "$2" = lintian ]; then
  command -v lintian >/dev/null 2>&1 || skip lintian
fi

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
(cd "$dir" && cpack --config "$build/CPackConfig.cmake" -B "$dir/pkg" >/dev/null)
deb=$(ls "$dir"/pkg/*.deb)
if [ "$2" = lintian ]; then
  lintian --fail-on error "$deb"
  echo "lintian finds no error in $(basename "$deb")"
  exit 0
fi

cmake --install "$build" --prefix "$dir/prefix" >/dev/null
test -x "$dir/prefix/bin/adconv"
test -f "$dir/prefix/share/man/man1/adconv.1.gz"
test -f "$dir/prefix/share/doc/adconv/copyright"

dpkg-deb -c "$deb" >"$dir/deb.txt"
for f in bin/adconv share/man/man1/adconv.1.gz share/doc/adconv/copyright share/doc/adconv/changelog.gz; do
  grep -q " \./usr/$f\$" "$dir/deb.txt" || { echo "$f is missing from $(basename "$deb")"; exit 1; }
done
dpkg-deb -f "$deb" Package Version Maintainer Depends
dpkg-deb -f "$deb" Depends | grep -q libc6 || { echo "the package has no Depends on the C library"; exit 1; }
tgz=$(ls "$dir"/pkg/*.tar.gz)
tar -tzf "$tgz" >"$dir/tgz.txt"
grep -q '/bin/adconv$' "$dir/tgz.txt"
grep -q '/share/man/man1/adconv\.1\.gz$' "$dir/tgz.txt"
echo "packages hold bin/adconv, the manual page, copyright and changelog"
