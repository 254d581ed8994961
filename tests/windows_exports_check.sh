#!/bin/sh
# The DLL exports exactly gmod_open and gmod_close and imports only KERNEL32
# and msvcrt, undecorated on 32-bit Windows too.
# Usage: windows_exports_check.sh DLL [OBJDUMP]
set -eu
dump=$("${2:-x86_64-w64-mingw32-objdump}" -p "$1")
exports=$(echo "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk '$1 == "[" {print $NF}' | sort | tr '\n' ' ')
imports=$(echo "$dump" | awk '/DLL Name:/ {print $3}' | sort | tr '\n' ' ')
[ "$exports" = "gmod_close gmod_open " ] || { echo "unexpected exports: $exports" >&2; exit 1; }
[ "$imports" = "KERNEL32.dll msvcrt.dll " ] || { echo "unexpected imports: $imports" >&2; exit 1; }
echo "windows exports and imports: ok"
