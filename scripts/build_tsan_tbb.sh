#!/bin/sh
# Builds oneTBB with ThreadSanitizer, from Debian's source of the version
# installed here, and installs it under PREFIX (default ./tbb-tsan).
#
# ThreadSanitizer sees only what is instrumented. Debian's libtbb is not, so
# the hand-over of work between oneTBB's threads is invisible to it, and every
# array one thread fills before a parallel loop and a worker reads inside it
# is reported as a race. Against this build those reports go away and what is
# left is real. Configure the sanitizer build with it:
#
#   scripts/build_tsan_tbb.sh /opt/tbb-tsan
#   cmake -B build-tsan -DQUORVANE_SANITIZE=thread -DTBB_DIR=/opt/tbb-tsan/lib/cmake/TBB
set -eu

prefix=$(realpath -m "${1:-tbb-tsan}")
package=$(dpkg-query -W -f '${source:Package}' libtbb-dev)
version=$(dpkg-query -W -f '${source:Version}' libtbb-dev)
upstream=$(dpkg-query -W -f '${source:Upstream-Version}' libtbb-dev)
pool="https://deb.debian.org/debian/pool/main/$(printf %.1s "$package")/$package"
tarball="${package}_${upstream}.orig.tar.xz"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
curl -fsSLO "$pool/${package}_${version}.dsc"
curl -fsSLO "$pool/$tarball"
# The source description lists the tarball's SHA-256; a download that differs
# stops here.
expected=$(awk -v f="$tarball" '/^Checksums-Sha256:/ { on = 1; next } /^[^ ]/ { on = 0 } on && $3 == f { print $1 }' \
  "${package}_${version}.dsc")
[ -n "$expected" ] || { echo "build_tsan_tbb: $tarball is not listed in ${package}_${version}.dsc" >&2; exit 1; }
echo "$expected  $tarball" | sha256sum -c --quiet -

tar xf "$tarball"
source=$(find . -mindepth 1 -maxdepth 1 -type d | head -n 1)
cmake -S "$source" -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DTBB_SANITIZE=thread -DTBB_TEST=OFF -DTBB_STRICT=OFF -DTBBMALLOC_BUILD=OFF >/dev/null
cmake --build build
cmake --install build >/dev/null
echo "oneTBB $upstream with ThreadSanitizer in $prefix; configure with -DTBB_DIR=$prefix/lib/cmake/TBB"
