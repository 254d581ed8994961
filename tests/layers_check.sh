#!/bin/sh
# The cores (tokenizer/, map/, fileio/) include neither the bindings nor the
# host interface; the build enforces the latter, this check both. Inside
# map/, reading, writing and editing each build on the model alone: no arrow
# runs back up into them, nor between them.
set -u
cd "$(dirname "$0")/.."
status=0
fail() {
  echo "layers: $1:" >&2
  echo "$2" >&2
  status=1
}
found=$(grep -rlE '#include "(module|bindings|host)/|script_host\.h' tokenizer map fileio)
[ -z "$found" ] || fail "core files reach above the cores" "$found"
found=$(grep -rlE '#include "map/(read|write|edit)/' map/model)
[ -z "$found" ] || fail "the model reaches into what builds on it" "$found"
for job in read write edit; do
  found=$(grep -rlE "#include \"map/(read|write|edit)/" "map/$job" | while read -r file; do
    grep -lE "#include \"map/(read|write|edit)/" "$file" |
      xargs grep -hoE '#include "map/(read|write|edit)/' | grep -vq "map/$job/" && echo "$file"
  done)
  [ -z "$found" ] || fail "map/$job reaches into another job" "$found"
done
[ "$status" -eq 0 ] && echo "layers: ok"
exit "$status"
