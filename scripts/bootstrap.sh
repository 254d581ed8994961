#!/bin/sh
# Installs what building and testing need on a Debian machine, when missing.
# Usage: scripts/bootstrap.sh [windows]
set -eu

packages="cmake g++ make pkg-config libluajit-5.1-dev libgtest-dev libbenchmark-dev binutils"
if [ "${1:-}" = windows ]; then
  packages="g++-mingw-w64-x86-64 wine wine64 googletest"
fi

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
