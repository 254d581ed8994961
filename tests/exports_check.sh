#!/bin/sh
# The shared library exports exactly gmod_open and gmod_close.
set -eu
exports=$(nm -D --defined-only "$1" | awk '{print $NF}' | sort | tr '\n' ' ')
if [ "$exports" != "gmod_close gmod_open " ]; then
  echo "unexpected exports: $exports" >&2
  exit 1
fi
echo "exports: ok"
