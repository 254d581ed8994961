#!/bin/sh
# Exit status 0 when this machine's kernel executes 32-bit x86 Linux programs
# itself (its IA-32 emulation), which 32-bit Wine needs. Programs that run
# only because qemu-user registered itself with the kernel (binfmt_misc) do
# not count: they run under the emulator, which the 32-bit targets then name.
set -u
if [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] &&
  grep -qx enabled /proc/sys/fs/binfmt_misc/qemu-i386 2>/dev/null; then
  exit 1
fi
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
printf 'int main(void) { return 0; }\n' >"$dir/probe.c"
gcc -m32 "$dir/probe.c" -o "$dir/probe" 2>/dev/null && "$dir/probe" 2>/dev/null
