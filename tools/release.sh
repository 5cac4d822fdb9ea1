#!/usr/bin/env bash
# Makes every release file in dist/ from the commit checked out: the source
# archive, the Debian package for this machine, static Linux programs for
# x86-64, arm64, armhf and i686, the Windows zips, and SHA256SUMS.
# Run from the source root:  sh tools/release.sh
# Two runs from one commit give the same bytes, wherever the checkout lies:
# every time stamp is the commit's, archive members are sorted and owned by
# root, and the programs hold no build folder or link time.
# bash, for pipefail: a failing tar or git archive in front of gzip must stop
# the release, not leave a truncated archive with a checksum.
[ -n "${BASH_VERSION:-}" ] || exec bash "$0" "$@"
set -euo pipefail
[ -f CMakeLists.txt ] && [ -f tools/release.sh ] || { echo "release: run this from the source root" >&2; exit 1; }
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  echo "release: the work tree has changes that are not committed; the source archive is made from the commit" >&2
  exit 1
fi
[ "$(uname -m)" = x86_64 ] || { echo "release: the release is made on an x86-64 Linux machine" >&2; exit 1; }
for tool in cmake git gzip tar zip groff file dpkg-shlibdeps x86_64-w64-mingw32-g++-posix i686-w64-mingw32-g++-posix \
            aarch64-linux-gnu-g++ arm-linux-gnueabihf-g++ i686-linux-gnu-g++; do
  command -v "$tool" >/dev/null 2>&1 ||
    { echo "release: $tool is missing; docs/building.md (\"Releasing\") lists the packages" >&2; exit 1; }
done

version=$(sed -n 's/^project(adconv VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
TZ=UTC LC_ALL=C
export SOURCE_DATE_EPOCH TZ LC_ALL
dist=$PWD/dist work=$PWD/build-release
rm -rf "$dist" "$work"
mkdir -p "$dist" "$work"
# A release that fails part way leaves no dist/ behind, so no half of one is shipped.
trap 'status=$?; [ "$status" = 0 ] || { rm -rf "$dist"; echo "release: failed; dist/ removed" >&2; }' EXIT

# build NAME [CMAKE OPTIONS]: the program alone, installed stripped into $work/NAME/stage.
build() {
  name=$1
  shift
  echo "release: building $name"
  cmake -S . -B "$work/$name" -DCMAKE_BUILD_TYPE=Release -DADCONV_BUILD_TESTS=OFF "$@" >"$work/$name.log" 2>&1 &&
    cmake --build "$work/$name" -j2 --target adconv >>"$work/$name.log" 2>&1 &&
    cmake --install "$work/$name" --prefix "$work/$name/stage" --strip >>"$work/$name.log" 2>&1 ||
    { cat "$work/$name.log" >&2; exit 1; }
}

# The commit's time on every file of a folder, and plain permissions.
settle() {
  find "$1" -type d -exec chmod 755 {} + -o -type f -perm -u+x -exec chmod 755 {} + -o -type f -exec chmod 644 {} +
  find "$1" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
}

# tarball OUT FOLDER: FOLDER (under $work) as a gzipped tar.
tarball() {
  settle "$work/$2"
  tar -C "$work" --sort=name --owner=0 --group=0 --numeric-owner --format=gnu -cf - "$2" | gzip -9n >"$1"
}

echo "release: source archive"
git -c tar.umask=0022 archive --format=tar --prefix="adconv-$version/" HEAD | gzip -9n >"$dist/adconv-$version.tar.gz"

# The Debian package, built as Debian builds (dynamic, hardened). CPack takes
# its time stamps from SOURCE_DATE_EPOCH and sorts the package's files.
build deb
(cd "$work/deb" && cpack -G DEB -B "$work/deb/packages" >>"$work/deb.log" 2>&1) || { cat "$work/deb.log" >&2; exit 1; }
cp "$work"/deb/packages/*.deb "$dist/"

# Static Linux programs: the program, its manual page, the README and the licence.
# (The x86-64 one with this machine's own compiler.)
for target in :x86_64 aarch64-linux-gnu:arm64 arm-linux-gnueabihf:armhf i686-linux-gnu:i686; do
  triplet=${target%%:*} arch=${target#*:}
  if [ -z "$triplet" ]; then
    build "linux-$arch" -DADCONV_STATIC=ON
  else
    build "linux-$arch" -DADCONV_STATIC=ON -DCMAKE_TOOLCHAIN_FILE=cmake/$triplet.cmake
  fi
  folder=adconv-$version-linux-$arch
  mkdir "$work/$folder"
  cp "$work/linux-$arch/stage/bin/adconv" "$work/linux-$arch/adconv.1" README.md LICENSE "$work/$folder/"
  tarball "$dist/$folder.tar.gz" "$folder"
done

# Windows: the zip as CPack would lay it out, with sorted names and no
# extra attributes (no owners, no time zone in the times).
for target in x86_64:win64 i686:win32; do
  triplet=${target%%:*} system=${target#*:}
  build "$system" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-$triplet.cmake
  folder=adconv-$version-$system
  mv "$work/$system/stage" "$work/$folder"
  settle "$work/$folder"
  (cd "$work" && find "$folder" | sort | zip -X -9 -q "$dist/$folder.zip" -@)
done

(cd "$dist" && sha256sum -- *.tar.gz *.deb *.zip >SHA256SUMS)
echo "release: made in $dist:"
cat "$dist/SHA256SUMS"
