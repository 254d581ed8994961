#!/bin/sh
# Save replaces a file at once: a reader that keeps reading it while a script
# saves over it again and again sees the old bytes or the new ones, never a
# mix. The reader starts before the saves (a FIFO says so) and stops after
# them (a file says so).
set -u
host="$1"
own=$(mktemp -d)
trap 'rm -rf "$own"' EXIT
fail() { echo "save_atomic: $*" >&2; exit 1; }
cd "$own" || exit 2
mkfifo ready
script='
local a = "entity\n{\n\"k\" \"" .. string.rep("a", 512 * 1024) .. "\"\n}\n"
local b = "entity\n{\n\"k\" \"" .. string.rep("b", 512 * 1024) .. "\"\n}\n"
local file = io.open("map.vmf", "wb") file:write(a) file:close()
file = io.open("a.vmf", "wb") file:write(a) file:close()
file = io.open("b.vmf", "wb") file:write(b) file:close()
io.open("ready", "r"):read("*l")
local vmf = Mapwright.VMF()
for i = 1, 200 do
  vmf:Parse(i % 2 == 0 and a or b)
  assert(vmf:Save("map.vmf"), "Save " .. i)
end
io.open("stop", "w"):close()'
(
  echo go >ready
  reads=0
  while [ ! -e stop ]; do
    cat map.vmf >seen 2>/dev/null || { echo "missing after $reads reads" >result; exit 1; }
    cmp -s seen a.vmf || cmp -s seen b.vmf || { echo "mixed after $reads reads" >result; exit 1; }
    reads=$((reads + 1))
  done
  echo "ok $reads" >result
) &
reader=$!
"$host" --root . -e "$script" || fail "the saving script failed"
wait "$reader" || fail "$(cat result)"
[ "$(ls -A | sort | tr '\n' ' ')" = "a.vmf b.vmf map.vmf ready result seen stop " ] ||
  fail "files left: $(ls -A)"
echo "save_atomic: $(cat result)"
