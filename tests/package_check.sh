#!/bin/sh
# The packages of a build, made once and checked by the tests that follow:
#   build     runs cpack into BUILD_DIR/packages
#   contents  installs into a scratch prefix and checks what the Debian
#             package and the tarball hold
#   lintian   runs lintian on the Debian package, which must print nothing
# A Windows build has one test instead, "zip", which makes the zip and checks it.
# Usage: package_check.sh BUILD_DIR build|contents|lintian|zip
# Exit 77 (skipped), naming the tool, when a tool it needs is not installed.
set -e
build=$1 mode=$2
out=$build/packages
skip() { echo "$1 is not installed: skipped"; exit 77; }
make_packages() {
  rm -rf "$out" && mkdir -p "$out"
  (cd "$out" && cpack --config "$build/CPackConfig.cmake" -B "$out" >/dev/null)
}

if [ "$mode" = zip ]; then
  make_packages
  zip=$(ls "$out"/adconv-*-win*.zip)
  rm -rf "$out/unzipped" && mkdir "$out/unzipped"
  (cd "$out/unzipped" && cmake -E tar xf "$zip")
  for f in adconv.exe README.txt LICENSE adconv.txt; do
    [ -f "$out"/unzipped/*/$f ] || { echo "$f is missing from $(basename "$zip")"; exit 1; }
  done
  # The texts are for Notepad: CR LF line ends throughout.
  guide=$(ls "$out"/unzipped/*/README.txt)
  for text in "$guide" "$out"/unzipped/*/LICENSE "$out"/unzipped/*/adconv.txt; do
    [ "$(tr -cd '\r' <"$text" | wc -c)" -eq "$(tr -cd '\n' <"$text" | wc -c)" ] ||
      { echo "$(basename "$text") has lines without CR LF"; exit 1; }
  done
  # Both texts are for Windows users: no Unix tool, path or package.
  ! grep -nE 'flock|xargs|apt-get|Debian|/dev/|/usr/|awk|gnuplot|Linux|POSIX' "$guide" "$out"/unzipped/*/adconv.txt ||
    { echo "the zip's texts hold what applies to Unix only"; exit 1; }
  ! grep -nE '[a-z]-.$' "$out"/unzipped/*/adconv.txt || { echo "adconv.txt breaks words across lines"; exit 1; }
  # The manifest that makes the process's code page UTF-8 is a resource of
  # the program (type 24), not just bytes in it.
  objdump=$(sed -n 's/^CMAKE_OBJDUMP:FILEPATH=//p' "$build/CMakeCache.txt")
  exe=$(ls "$out"/unzipped/*/adconv.exe)
  "$objdump" -p "$exe" | grep -q 'Entry: ID: 0x000018' && grep -aq '<activeCodePage' "$exe" ||
    { echo "adconv.exe carries no manifest with its code page"; exit 1; }
  echo "$(basename "$zip") holds adconv.exe with its manifest, README.txt, LICENSE and adconv.txt (CR LF)"
  exit 0
fi

# CPack's Debian generator finds the binaries with file and their
# dependencies with dpkg-shlibdeps; without either it drops Depends silently.
command -v dpkg-deb >/dev/null 2>&1 || skip dpkg-deb
command -v file >/dev/null 2>&1 || skip file
command -v dpkg-shlibdeps >/dev/null 2>&1 || skip "dpkg-shlibdeps (package dpkg-dev)"
if [ "$mode" = lintian ]; then
  command -v lintian >/dev/null 2>&1 || skip lintian
fi

case $mode in
build)
  make_packages
  ls "$out"/*.deb "$out"/*.tar.gz
  exit 0 ;;
lintian)
  deb=$(ls "$out"/*.deb)
  # lintian keeps scratch files in TMPDIR; they stay in the build tree. Its
  # warning against running as root (as CI does) is no finding on the package.
  report=$(TMPDIR=$out lintian --pedantic --display-info --display-experimental "$deb" 2>&1 |
           grep -v '^running with root privileges is not recommended!$') || true
  if [ -n "$report" ]; then
    echo "$report"
    exit 1
  fi
  echo "lintian has nothing to say about $(basename "$deb")"
  exit 0 ;;
esac

deb=$(ls "$out"/*.deb)
rm -rf "$out/prefix"
cmake --install "$build" --prefix "$out/prefix" >/dev/null
test -x "$out/prefix/bin/adconv"
test -f "$out/prefix/share/man/man1/adconv.1.gz"
test -f "$out/prefix/share/doc/adconv/copyright"

dpkg-deb -c "$deb" >"$out/deb.txt"
for f in bin/adconv share/man/man1/adconv.1.gz share/doc/adconv/copyright share/doc/adconv/changelog.gz share/doc/adconv/README.md.gz; do
  grep -q " \./usr/$f\$" "$out/deb.txt" || { echo "$f is missing from $(basename "$deb")"; exit 1; }
done
dpkg-deb -f "$deb" Package Version Maintainer Depends
dpkg-deb -f "$deb" Depends | grep -q libc6 || { echo "the package has no Depends on the C library"; exit 1; }
dpkg-deb -f "$deb" Depends | grep -qw tzdata || { echo "the package does not depend on the time-zone data"; exit 1; }
tgz=$(ls "$out"/*.tar.gz)
tar -tzf "$tgz" >"$out/tgz.txt"
grep -q '/bin/adconv$' "$out/tgz.txt"
grep -q '/share/man/man1/adconv\.1\.gz$' "$out/tgz.txt"
echo "packages hold bin/adconv, the manual page, copyright and changelog"
