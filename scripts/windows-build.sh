#!/usr/bin/env bash
# Cross-builds the Windows control library and its test programs with
# Debian's mingw-w64, installing what is missing first.
#
#   scripts/windows-build.sh [64|32]     (default 64)
#
# The 64-bit build goes to build-win64, the 32-bit one to build-win32. pugixml
# and libxml2 come from Debian's source packages (a deb-src entry for the
# machine's own archive is added when there is none), unpacked and, for
# libxml2, built once per bitness under the build folder's deps/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bits=${1:-64}
case "$bits" in
  64) triple=x86_64-w64-mingw32 toolchain=cmake/mingw-w64-x86_64.cmake ;;
  32) triple=i686-w64-mingw32 toolchain=cmake/mingw-w64-i686.cmake ;;
  *) echo "usage: $0 [64|32]" >&2; exit 2 ;;
esac
build="$root/build-win$bits"
deps="$build/deps"
nice=(nice -n 15)

packages=(cmake ninja-build g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
          mingw-w64-tools libwine-dev wine64 wine64-tools)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
if [ "${#missing[@]}" -gt 0 ]; then
  echo "installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
fi

# The sources of pugixml and libxml2, from the archive the machine uses.
fetch_sources() {
  local dir="$1"
  mkdir -p "$dir"
  if ls "$dir"/pugixml_*.orig.tar.* "$dir"/libxml2_*.orig.tar.* >/dev/null 2>&1; then return; fi
  if ! grep -rqs '^Types:.*deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    local list=/etc/apt/sources.list.d/debian.sources
    [ -f "$list" ] || { echo "no deb-src entry and no $list to copy one from" >&2; exit 1; }
    sed 's/^Types: deb$/Types: deb-src/' "$list" | $SUDO tee /etc/apt/sources.list.d/vantrel-deb-src.sources >/dev/null
    $SUDO apt-get update -qq
  fi
  (cd "$dir" && apt-get source --download-only -qq pugixml libxml2 >/dev/null 2>&1)
}

if [ ! -f "$deps/src.ok" ]; then
  fetch_sources "$root/build-win-sources"
  rm -rf "$deps/src" && mkdir -p "$deps/src"
  tar -C "$deps/src" -xf "$root"/build-win-sources/pugixml_*.orig.tar.*
  tar -C "$deps/src" -xf "$root"/build-win-sources/libxml2_*.orig.tar.*
  touch "$deps/src.ok"
fi
pugixml_src=$(ls -d "$deps"/src/pugixml-*/)
libxml2_src=$(ls -d "$deps"/src/libxml2-*/)

# A static libxml2 with only what the control uses (HTML, schemas, tree),
# compiled as a static library so that the control exports none of it.
if [ ! -f "$deps/prefix/lib/libxml2.a" ]; then
  "${nice[@]}" cmake -S "$libxml2_src" -B "$deps/libxml2" -G Ninja -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$root/$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$deps/prefix" -DBUILD_SHARED_LIBS=OFF \
    -DLIBXML2_WITH_ICONV=OFF -DLIBXML2_WITH_LZMA=OFF -DLIBXML2_WITH_ZLIB=OFF \
    -DLIBXML2_WITH_PYTHON=OFF -DLIBXML2_WITH_TESTS=OFF -DLIBXML2_WITH_PROGRAMS=OFF \
    -DLIBXML2_WITH_HTTP=OFF -DLIBXML2_WITH_FTP=OFF -DLIBXML2_WITH_MODULES=OFF \
    -DLIBXML2_WITH_CATALOG=OFF -DLIBXML2_WITH_DEBUG=OFF -DLIBXML2_WITH_DOCB=OFF \
    -DLIBXML2_WITH_LEGACY=OFF -DCMAKE_C_FLAGS=-DLIBXML_STATIC >/dev/null
  "${nice[@]}" cmake --build "$deps/libxml2" -j"$(nproc)" >/dev/null
  cmake --install "$deps/libxml2" >/dev/null
fi

# widl finds the Windows IDL files (oaidl.idl, ocidl.idl, ...) in Wine's
# development headers; Debian's mingw-w64 ships none.
idl_dir=$(dirname "$(dpkg -L libwine-dev | grep '/windows/oaidl.idl$' | head -n1)")
widl=$(dpkg -L wine64-tools | grep '/widl$' | head -n1)
# The type library imports stdole2.tlb, which Wine's libraries hold (its
# 64-bit one serves the 32-bit library too: only IDispatch is imported).
tlb_dir=$(dirname "$(dpkg -L libwine | grep '/stdole2.tlb$' | head -n1)")

"${nice[@]}" cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/$toolchain" -DCMAKE_PREFIX_PATH="$deps/prefix" \
  -DVANTREL_PUGIXML_SOURCE="$pugixml_src" -DVANTREL_WIDL="$widl" \
  -DVANTREL_WINDOWS_IDL_DIR="$idl_dir" -DVANTREL_WINDOWS_TLB_DIR="$tlb_dir" >/dev/null
# The 32-bit build is an artifact only (nothing here runs it): the libraries.
targets=()
if [ "$bits" = 32 ]; then targets=(--target VantrelCtl QBStandinRP); fi
"${nice[@]}" cmake --build "$build" -j"$(nproc)" "${targets[@]}"
echo "built $triple into $build"
