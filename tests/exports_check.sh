#!/bin/sh
# The shared library exports exactly gmod_open and gmod_close, and loads on
# servers with an older C library and a C++ library of their own: no C
# library symbol newer than 2.17, nothing from the system's libstdc++.
# Usage: exports_check.sh MODULE [all | exports-only]
set -eu
exports=$(nm -D --defined-only "$1" | awk '{print $NF}' | sort | tr '\n' ' ')
if [ "$exports" != "gmod_close gmod_open " ]; then
  echo "unexpected exports: $exports" >&2
  exit 1
fi
[ "${2:-all}" = all ] || { echo "exports: ok"; exit 0; }
versions=$(objdump -T "$1" | grep -oE '(GLIBC|GLIBCXX|CXXABI)_[0-9.]+' | sort -u)
for version in $versions; do
  case "$version" in
    GLIBCXX_* | CXXABI_*) echo "needs the system's C++ library: $version" >&2; exit 1 ;;
    GLIBC_*)
      newest=$(printf '%s\n%s\n' "${version#GLIBC_}" 2.17 | sort -V | tail -n 1)
      [ "$newest" = 2.17 ] || { echo "needs a C library newer than 2.17: $version" >&2; exit 1; }
      ;;
  esac
done
if objdump -p "$1" | grep -q 'NEEDED.*libstdc++'; then
  echo "links the system's libstdc++" >&2
  exit 1
fi
echo "exports and symbol versions: ok"
