#!/bin/sh
# Runs an end-to-end script in a new empty folder that is also the host's root.
# The root lies inside a temporary folder of the test's own, so that what a
# script tries outside the root stays there too.
# Usage: run_in_temp_root.sh HOST SCRIPT [ARGS...]
set -u
host="$1"
shift
own=$(mktemp -d)
trap 'rm -rf "$own"' EXIT
root="$own/root"
mkdir "$root" && cd "$root" || exit 2
"$host" --root "$root" "$@"
