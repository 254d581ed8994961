#!/bin/sh
# Runs every fuzz target for SECONDS on its seeds (and the real maps beside
# the repository, when present); fails on the first finding.
# Usage: scripts/fuzz_smoke.sh SECONDS TARGET...
set -u
seconds="$1"
shift
extra=""
[ -d ../shared/corpus ] && extra=../shared/corpus
mkdir -p build-fuzz/artifacts
for target in "$@"; do
  mkdir -p "build-fuzz/corpus/$target"
  log="build-fuzz/fuzz_$target.log"
  echo "fuzz_$target: $seconds s"
  # shellcheck disable=SC2086
  if ! "build-fuzz/bin/fuzz_$target" -max_total_time="$seconds" -max_len=8192 -timeout=25 \
      -artifact_prefix=build-fuzz/artifacts/ -print_final_stats=1 \
      "build-fuzz/corpus/$target" "fuzz/corpus/$target" $extra 2>"$log"; then
    tail -n 40 "$log"
    echo "fuzz_$target found a problem; the input is in build-fuzz/artifacts/" >&2
    exit 1
  fi
  grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$log"
done
