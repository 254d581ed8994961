#!/bin/sh
# What Save and WriteFile publish is on the disk first: the first name a new
# file gets (a link, or a rename of a named temporary) comes right after the
# fsync of its bytes, as strace sees the calls; a rename that follows a link
# publishes that file.
set -u
host="$1"
own=$(mktemp -d)
trap 'rm -rf "$own"' EXIT
fail() { echo "save_flushes: $*" >&2; exit 1; }
cd "$own" || exit 2
command -v strace >/dev/null || fail "strace is missing (scripts/bootstrap.sh installs it)"
script='
local vmf = Mapwright.VMF()
vmf:Parse("entity\n{\n\"k\" \"v\"\n}\n")
assert(vmf:Save("map.vmf"), "a new file")
assert(vmf:Save("map.vmf"), "over a file")
assert(Mapwright.WriteFile("new.vmf", "bytes"), "WriteFile")'
# The leak checker of a sanitized build cannot run under ptrace.
ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" \
  strace -f -o trace -e trace=fsync,fdatasync,link,linkat,rename,renameat,renameat2 \
  "$host" --root . -e "$script" || fail "the script failed"
names=$(grep -cE ' (link|linkat|rename|renameat|renameat2)\(' trace)
[ "$names" -ge 3 ] || fail "expected 3 files named, saw $names: $(cat trace)"
awk '
  / (fsync|fdatasync)\(/ { last = "flush"; next }
  / (link|linkat)\(/ {
    if (last != "flush") { print "linked before a flush: " $0; bad = 1 }
    last = "link"; next
  }
  / (rename|renameat|renameat2)\(/ {
    if (last != "flush" && last != "link") { print "renamed before a flush: " $0; bad = 1 }
    last = "rename"
  }
  END { exit bad }' trace || fail "$(cat trace)"
echo "save_flushes: ok ($names names, each after a flush)"
