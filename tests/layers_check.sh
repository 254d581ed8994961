#!/bin/sh
# The cores (tokenizer/, map/, fileio/) include neither the bindings nor the
# host interface; the build enforces the latter, this check both.
set -u
cd "$(dirname "$0")/.."
found=$(grep -rlE '#include "(module|bindings|host)/|script_host\.h' tokenizer map fileio)
if [ -n "$found" ]; then
  echo "layers: core files reach above the cores:" >&2
  echo "$found" >&2
  exit 1
fi
echo "layers: ok"
