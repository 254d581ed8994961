#!/bin/sh
# Installs what building and testing need on a Debian machine, when missing.
# Usage: scripts/bootstrap.sh [windows | windows32]
set -eu

packages="cmake g++ make pkg-config libluajit-5.1-dev libgtest-dev libbenchmark-dev binutils clang-14 libclang-rt-14-dev util-linux time"
case "${1:-}" in
  windows) packages="cmake make g++-mingw-w64-x86-64 wine wine64 googletest binutils-mingw-w64-x86-64" ;;
  windows32) packages="cmake make g++-mingw-w64-i686" ;;
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
apt-get update -qq
# shellcheck disable=SC2086
apt-get install -y -qq --no-install-recommends $missing >/dev/null
