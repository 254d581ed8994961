#!/bin/sh
# WriteFile is all or nothing: past a file size limit, and on a full disk when
# this user may mount a small tmpfs, a large text leaves no file, and a small
# one to the same path is stored afterwards.
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

mkdir "$own/limited"
out=$(cd "$own/limited" && ulimit -f 64 && "$host" --root . -e "$script" out.txt) ||
  fail "host failed under ulimit -f"
[ "$out" = "nil	false	true" ] || fail "under ulimit -f: $out"
[ "$(ls -A "$own/limited")" = "out.txt" ] || fail "files left under ulimit -f: $(ls -A "$own/limited")"

mkdir "$own/disk"
if mount -t tmpfs -o size=64k tmpfs "$own/disk" 2>/dev/null; then
  out=$(cd "$own/disk" && "$host" --root . -e "$script" out.txt) || fail "host failed on a full disk"
  [ "$out" = "nil	false	true" ] || fail "on a full disk: $out"
  [ "$(ls -A "$own/disk")" = "out.txt" ] || fail "files left on a full disk: $(ls -A "$own/disk")"
  echo "write_limits: ok (file size limit and full disk)"
else
  echo "write_limits: ok (file size limit; no tmpfs mount for this user, full disk not tried)"
fi
