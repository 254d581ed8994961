#!/bin/sh
# The host program's command line: exit statuses and the arg table.
set -u
host="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "host_usage: $*" >&2; exit 1; }

"$host" >/dev/null 2>&1; [ $? -eq 2 ] || fail "no script must give status 2"
"$host" "$dir/missing.lua" >/dev/null 2>&1; [ $? -eq 2 ] || fail "missing script must give status 2"
"$host" --module "$dir/none.so" -e 'x=1' >/dev/null 2>&1; [ $? -eq 2 ] || fail "missing module must give status 2"
"$host" -e 'error("boom")' 2>"$dir/err"; [ $? -eq 1 ] || fail "error must give status 1"
grep -q boom "$dir/err" || fail "error message missing"
grep -q traceback "$dir/err" || fail "traceback missing"
"$host" -e 'error(setmetatable({}, {__tostring = function() return "told" end}))' 2>"$dir/err"
[ $? -eq 1 ] && grep -q told "$dir/err" || fail "an error object must print through __tostring"
printf 'print(arg[0], arg[1], arg[2], ...)\n' >"$dir/args.lua"
out=$("$host" "$dir/args.lua" one two) || fail "args script failed"
[ "$out" = "$(printf '%s\tone\ttwo\tone\ttwo' "$dir/args.lua")" ] || fail "arg table wrong: $out"
out=$("$host" -e 'print(type(Mapwright.TokenReader), type(util.RelativePathToFull))')
[ "$out" = "$(printf 'function\tfunction')" ] || fail "globals wrong: $out"
# The root: relative to the working folder; a missing one, or a working
# folder that no longer has a name, is bad usage.
mkdir "$dir/r" && printf hi >"$dir/r/f.txt"
out=$(cd "$dir" && "$host" --root r -e 'io.write(Mapwright.ReadFile("f.txt"))') || fail "relative root failed"
[ "$out" = "hi" ] || fail "a relative root must be taken from the working folder: $out"
"$host" --root "$dir/missing" -e 'x=1' >/dev/null 2>&1; [ $? -eq 2 ] || fail "missing root must give status 2"
mkdir "$dir/gone"
(cd "$dir/gone" && rmdir "$dir/gone" && "$host" -e 'x=1' >/dev/null 2>&1); [ $? -eq 2 ] ||
  fail "a working folder without a name must give status 2"
echo "host_usage: ok"
