#!/bin/sh
# Exit status 0 when this machine can execute 32-bit x86 Linux programs (the
# kernel's IA-32 emulation), which the 32-bit test runs and 32-bit Wine need.
set -u
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
printf 'int main(void) { return 0; }\n' >"$dir/probe.c"
gcc -m32 "$dir/probe.c" -o "$dir/probe" 2>/dev/null && "$dir/probe" 2>/dev/null
