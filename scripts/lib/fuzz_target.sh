#!/usr/bin/env bash
# Runs one built libFuzzer target for SECONDS from its committed seeds
# (scripts/fuzz runs them all; the fuzz tree's CTest tests run one each).
# New inputs go to a scratch folder, never into the repository; a finding
# leaves its input in artifacts/fuzz/ and fails.
#   fuzz_target.sh BINARY_DIR TARGET [SECONDS]
# SECONDS defaults to PELLOMAR_FUZZ_SECONDS, else 20.
set -euo pipefail
cd "$(dirname "$0")/../.."

[ $# -ge 2 ] || { echo "usage: fuzz_target.sh BINARY_DIR TARGET [SECONDS]" >&2; exit 2; }
binary_dir=$1 target=$2 seconds=${3:-${PELLOMAR_FUZZ_SECONDS:-20}}
mkdir -p artifacts/fuzz
scratch=$(mktemp -d /tmp/pellomar-fuzz.XXXXXX)
trap 'rm -rf "$scratch"' EXIT

log="$scratch/$target.log"
if ! "$binary_dir/tests/fuzz/fuzz_$target" -max_total_time="$seconds" \
    -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="artifacts/fuzz/$target-" \
    "$scratch" "tests/fuzz/corpus/$target" >"$log" 2>&1; then
  tail -n 40 "$log"
  echo "fuzz $target: FINDING (input in artifacts/fuzz/)"
  exit 1
fi
runs=$(grep -oE 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -oE '[0-9]+$')
echo "fuzz $target: $runs runs in ${seconds}s, no findings"
