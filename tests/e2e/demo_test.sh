#!/bin/sh
# Runs the demo in a copy of the examples and checks what it reports and writes.
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
expect() { echo "$out" | grep -qF "$1" || { echo "demo_test: missing: $1"; exit 1; }; }
expect "Output to no entity, removed: control_relay.OnTrigger -> control_alarm"
expect "Retuned 2 lights to 255 214 170 300"
expect "Stamped 3 copies; no name is shared between them"
expect "copy 2: prefixed c2_, turned 180 degrees, button at 2168 0 56"
expect "3 copies, 9 solids and 54 sides (the prefab has 3 and 18), every id unique, no name shared"
[ "$(echo "$out" | grep -c 'every brush and block is still there')" -eq 4 ] || exit 1
# The fixed prefab differs from the input in exactly three lines.
[ "$(diff examples/maps/control_room.vmf build/demo/control_room_fixed.vmf | grep -c '^[<>]')" -eq 5 ] ||
  { diff examples/maps/control_room.vmf build/demo/control_room_fixed.vmf; exit 1; }
# Save replaces what the first run wrote: the demo runs again in place.
"$host" --root "$root" examples/demo.lua >/dev/null || { echo "demo_test: a second run failed"; exit 1; }
