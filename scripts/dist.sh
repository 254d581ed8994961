#!/bin/sh
# Packs the four release archives into build/dist: the module for Linux x86
# and x86-64 (tar.gz) and Windows x86 and x64 (zip), each with the host
# interface header, the script API's editor definitions, the README and the
# licence, and SHA256SUMS over them.
# The version is the CMake project's. Expects the four builds to be made.
set -eu
cd "$(dirname "$0")/.."
version=$(sed -n 's/^project(mapwright VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "dist: no version in CMakeLists.txt" >&2; exit 1; }
out=build/dist
rm -rf "$out"
mkdir -p "$out"

pack() {  # pack PLATFORM MODULE_FILE FORMAT
  name="mapwright-$version-$1"
  stage="$out/$name"
  mkdir -p "$stage/include/mapwright"
  cp "$2" "$stage/"
  cp include/mapwright/script_host.h "$stage/include/mapwright/"
  mkdir -p "$stage/types"
  cp types/mapwright.lua "$stage/types/"
  cp README.md LICENSE "$stage/"
  if [ "$3" = zip ]; then
    (cd "$out" && zip -qr "$name.zip" "$name")
  else
    tar -C "$out" -czf "$out/$name.tar.gz" "$name"
  fi
  rm -rf "$stage"
}

pack linux-x86 build-linux32/lib/libmapwright.so tar
pack linux-x64 build/lib/libmapwright.so tar
pack windows-x86 build-windows32/bin/mapwright.dll zip
pack windows-x64 build-windows/bin/mapwright.dll zip
(cd "$out" && sha256sum ./*.tar.gz ./*.zip | sed 's# \./# #' >SHA256SUMS)
ls -l "$out"
