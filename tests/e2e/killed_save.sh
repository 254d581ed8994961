#!/bin/sh
# A save or a new file that is killed while it is written leaves no file
# behind on Linux: the bytes go to a file without a name, which gets one only
# when it is whole. The script tells through a FIFO that it starts to write
# (64 MB, tens of milliseconds) and is killed then, by SIGKILL and by SIGTERM,
# once while it saves over a file and once while it writes a new one.
set -u
host="$1"
own=$(mktemp -d)
trap 'rm -rf "$own"' EXIT
fail() { echo "killed_save: $*" >&2; exit 1; }
cd "$own" || exit 2
script='
local vmf = Mapwright.VMF()
local text = "entity\n{\n\"k\" \"" .. string.rep("a", 64 * 1024 * 1024) .. "\"\n}\n"
vmf:Parse(text)
assert(vmf:Save("map.vmf"), "the first save")
local ready = io.open("ready", "w") ready:write("writing\n") ready:close()
for i = 1, 100 do
  if ... == "save" then vmf:Save("map.vmf") else Mapwright.WriteFile("new" .. i .. ".vmf", text) end
end'
for run in "KILL save" "TERM save" "KILL new" "TERM new"; do
  signal=${run% *}
  job=${run#* }
  rm -f ready ./*.vmf
  mkfifo ready
  "$host" --root . -e "$script" "$job" &
  saver=$!
  read -r line <ready || fail "the script never saved"
  kill -s "$signal" "$saver"
  wait "$saver" 2>/dev/null
  left=$(ls -A | grep -v '^ready$' | grep -v '\.vmf$')
  [ -z "$left" ] || fail "SIG$signal during $job left: $left"
  [ "$(wc -c <map.vmf)" -gt 67108864 ] || fail "map.vmf is not whole after SIG$signal"
done
echo "killed_save: ok"
