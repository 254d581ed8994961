#!/bin/sh
# WriteFile and Save are all or nothing: past a file size limit, and on a full
# disk when this user may mount a small tmpfs, a large text leaves no file (and
# Save leaves the old file intact), and a small one to the same path is
# stored afterwards.
set -u
host="$1"
own=$(mktemp -d)
cleanup() { umount "$own/disk" 2>/dev/null; rm -rf "$own"; }
trap cleanup EXIT
fail() { echo "write_limits: $*" >&2; exit 1; }

script='
local path = ...
local big = Mapwright.WriteFile(path, string.rep("x", 1024 * 1024))
local f = io.open(path, "rb")
if f then f:close() end
local small = Mapwright.WriteFile(path, "0123456789")
print(tostring(big), tostring(f ~= nil), tostring(small))'

# Save over an existing small map: a large document fails and the old file
# stays; a small one replaces it.
save='
local path = ...
local vmf = Mapwright.VMF()
vmf:Parse("entity\n{\n\"k\" \"" .. string.rep("x", 1024 * 1024) .. "\"\n}\n")
local big = vmf:Save(path)
local f = io.open(path, "rb")
local kept = f:read("*a")
f:close()
vmf:Parse("entity\n{\n}\n")
local small = vmf:Save(path)
print(tostring(big), kept, tostring(small))'
saved() {
  printf old >"$1/map.vmf"
  out=$(cd "$1" && { [ -z "${2:-}" ] || ulimit -f "$2"; } && "$host" --root . -e "$save" map.vmf) ||
    fail "host failed saving in $1"
  [ "$out" = "nil	old	true" ] || fail "Save in $1: $out"
  [ "$(ls -A "$1")" = "map.vmf" ] || fail "files left by Save in $1: $(ls -A "$1")"
}

mkdir "$own/limited"
out=$(cd "$own/limited" && ulimit -f 64 && "$host" --root . -e "$script" out.txt) ||
  fail "host failed under ulimit -f"
[ "$out" = "nil	false	true" ] || fail "under ulimit -f: $out"
[ "$(ls -A "$own/limited")" = "out.txt" ] || fail "files left under ulimit -f: $(ls -A "$own/limited")"
rm "$own/limited/out.txt"
saved "$own/limited" 64

mkdir "$own/disk"
if mount -t tmpfs -o size=64k tmpfs "$own/disk" 2>/dev/null; then
  out=$(cd "$own/disk" && "$host" --root . -e "$script" out.txt) || fail "host failed on a full disk"
  [ "$out" = "nil	false	true" ] || fail "on a full disk: $out"
  [ "$(ls -A "$own/disk")" = "out.txt" ] || fail "files left on a full disk: $(ls -A "$own/disk")"
  rm "$own/disk/out.txt"
  saved "$own/disk"
  echo "write_limits: ok (file size limit and full disk)"
else
  echo "write_limits: ok (file size limit; no tmpfs mount for this user, full disk not tried)"
fi
