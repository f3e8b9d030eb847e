#!/usr/bin/env bash
# The Windows folder checker under Wine, on folders named by their Windows
# paths: the sample folder is clean for both targets, also from a folder named
# with Japanese letters (the name comes through the wide functions, whatever
# the code page, and the report names it exactly). Expects the Wine command in
# PELLOMAR_WINE (scripts/lib/desktop.sh).
#   checker_wine.sh CHECKER_EXE LABEL
set -euo pipefail
cd "$(dirname "$0")/../.."
. scripts/lib/results.sh
[ $# -eq 2 ] || { echo "usage: checker_wine.sh CHECKER_EXE LABEL" >&2; exit 2; }
checker=$(realpath "$1") label=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The folders checked, each a copy of the sample folder.
folders=("$work/sample" "$work/アプリ 日本語")
passed=0 failed=0
for folder in "${folders[@]}"; do
  cp -r examples "$folder"
  windows="Z:${folder//\//\\}"
  for target in windows linux; do
    status=0
    report=$("$PELLOMAR_WINE" "$checker" --target=$target "$windows" 2>&1 |
      tr -d '\r') || status=$?
    if [ "$status" -eq 0 ] && grep -qxF "warnings: 0" <<<"$report" &&
      grep -qF "folder: $windows " <<<"$report"; then
      passed=$((passed + 1))
      echo "$label: $folder ($target): ok"
    else
      failed=$((failed + 1))
      echo "$label: $folder ($target): FAILED (exit $status)"
      sed 's/^/  /' <<<"$report"
    fi
  done
done
echo "$passed passed, $failed failed"
[ -z "${PELLOMAR_RESULTS:-}" ] || record_result "$label" "$passed" "$failed" 0
[ "$failed" -eq 0 ]
