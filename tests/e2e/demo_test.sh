#!/bin/sh
# Runs the demo in a copy of the examples and checks that the round trip holds.
# Usage: demo_test.sh HOST SOURCE_DIR
set -u
host="$1"
source="$2"
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
cp -R "$source/examples" "$root/examples"
mkdir -p "$root/build/demo"
cd "$root" || exit 2
out=$("$host" --root "$root" examples/demo.lua) || { echo "$out"; exit 1; }
echo "$out"
echo "$out" | grep -q "^Round trip: 21 entities (expected 21), 27 outputs (expected 27)$" || exit 1
echo "$out" | grep -q "^Copy 3: 7 entities, 9 outputs, 8 reach their own copy$" || exit 1
[ -s build/demo/stamped_x3.vmf ] || { echo "no output map"; exit 1; }
