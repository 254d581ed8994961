#!/bin/sh
# Installs what building and testing need on a Debian machine, when missing.
# Usage: scripts/bootstrap.sh [windows | windows32 | linux32]
set -eu

packages="cmake g++ make pkg-config libluajit-5.1-dev libgtest-dev libbenchmark-dev binutils clang-14 libclang-rt-14-dev util-linux time zip strace"
case "${1:-}" in
  windows) packages="cmake make g++-mingw-w64-x86-64 wine wine64 googletest binutils-mingw-w64-x86-64" ;;
  windows32) packages="cmake make g++-mingw-w64-i686 googletest binutils-mingw-w64-i686" ;;
  linux32) packages="cmake make pkg-config g++-multilib googletest libluajit-5.1-dev:i386 qemu-user strace" ;;
esac
# 32-bit Wine only where 32-bit programs run: elsewhere it cannot start, and
# it takes the place of the 64-bit loader.
if [ "${1:-}" = windows32 ] && "$(dirname "$0")/can_run_32bit.sh"; then
  packages="$packages wine wine64 wine32:i386"
fi
case "$packages" in
  *:i386*) need_i386=yes ;;
  *) need_i386=no ;;
esac

missing=""
for package in $packages; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  case "$status" in
    *"install ok installed"*) ;;
    *) missing="$missing $package" ;;
  esac
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages:$missing" >&2
  echo "Install them with: sudo apt-get update && sudo apt-get install -y --no-install-recommends$missing" >&2
  exit 1
fi
echo "Installing:$missing"
export DEBIAN_FRONTEND=noninteractive
if [ "$need_i386" = yes ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
# A mirror in the middle of a sync fails one index now and then: try again,
# then go on with what was fetched (the install says so if that is not enough).
apt-get update -qq || { sleep 10; apt-get update -qq; } || true
# shellcheck disable=SC2086
apt-get install -y -qq --no-install-recommends $missing >/dev/null
