#!/usr/bin/env bash
# The Windows folder checker under Wine: the sample folder is clean for both
# targets. Expects the Wine command in PELLOMAR_WINE (scripts/lib/desktop.sh).
#   checker_wine.sh CHECKER_EXE LABEL
set -euo pipefail
cd "$(dirname "$0")/../.."
. scripts/lib/results.sh
[ $# -eq 2 ] || { echo "usage: checker_wine.sh CHECKER_EXE LABEL" >&2; exit 2; }
checker=$(realpath "$1") label=$2
for target in windows linux; do
  (cd examples && "$PELLOMAR_WINE" "$checker" --quiet --target=$target . | tr -d '\r')
done
echo "$1: the sample folder is clean for both targets"
[ -z "${PELLOMAR_RESULTS:-}" ] || record_result "$label" 1 0 0
