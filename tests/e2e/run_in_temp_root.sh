#!/bin/sh
# Runs an end-to-end script in a new empty folder that is also the host's root.
# Usage: run_in_temp_root.sh HOST SCRIPT [ARGS...]
set -u
host="$1"
shift
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
cd "$root" || exit 2
"$host" --root "$root" "$@"
