#!/usr/bin/env bash
# The Windows folder checker under Wine, on folders named by their Windows
# paths: the sample folder is clean for both targets, also from a folder named
# with Japanese letters (the name comes through the wide functions, whatever
# the code page, and the report names it exactly, to a pipe and on a
# console); and the broken medium's warnings are those of the Linux checker.
# Expects the Wine command in PELLOMAR_WINE (scripts/lib/desktop.sh).
#   checker_wine.sh CHECKER_EXE LABEL
set -euo pipefail
cd "$(dirname "$0")/../.."
. scripts/lib/results.sh
[ $# -eq 2 ] || { echo "usage: checker_wine.sh CHECKER_EXE LABEL" >&2; exit 2; }
checker=$(realpath "$1") label=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Runs the checker on `folder` for `target`, its output to a pipe or (with
# "console") to a console: `script` gives Wine a terminal, in UTF-8. Every
# report opens with its target: without it Wine did not start the checker at
# all, which says nothing of the checker: once more, aloud (suite.py).
check() {
  local windows=$1 target=$2 output=$3 what=$4 command
  command=("$PELLOMAR_WINE" "$checker" --target="$target" "$windows")
  if [ "$output" = console ]; then
    command=(env LC_ALL=C.UTF-8 script -qec "$(printf '%q ' "${command[@]}") 2>&1" /dev/null)
  fi
  local status=0
  # What it says (and the checker's errors) shown, never taken as the report.
  python3 scripts/lib/suite.py run-wine "$what" "$work/report" \
    --expect 'target: ' --what pellomar-check.exe -- "${command[@]}" >&2 ||
    status=$?
  # Without the cursor sequences that Wine's console adds to each write.
  sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g' "$work/report"
  return "$status"
}

# Rows: folder name, target, output. Each folder is a copy of the sample.
rows=("sample windows pipe" "sample linux pipe"
  "アプリ_日本語 windows pipe" "アプリ_日本語 linux pipe"
  "アプリ_日本語 windows console")
passed=0 failed=0
for row in "${rows[@]}"; do
  read -r name target output <<<"$row"
  folder="$work/${name//_/ }"
  [ -d "$folder" ] || cp -r examples "$folder"
  windows="Z:${folder//\//\\}"
  status=0
  report=$(check "$windows" "$target" "$output" "$label: $name ($target, $output)" |
    tr -d '\r') || status=$?
  if [ "$status" -eq 0 ] && grep -qxF "warnings: 0" <<<"$report" &&
    grep -qF "folder: $windows " <<<"$report"; then
    passed=$((passed + 1))
    echo "$label: $name ($target, $output): ok"
  else
    failed=$((failed + 1))
    echo "$label: $name ($target, $output): FAILED (exit $status)"
    sed 's/^/  /' <<<"$report"
  fi
done

# The Windows checker gives the warnings of the broken medium line for line
# as the golden output of the Linux one: the same codes, lines, columns and
# texts (Wine shows this folder on drive Z: as the emulation does).
medium=tests/checker/media/broken
status=0
python3 scripts/lib/suite.py run-wine "$label: the broken medium" "$work/broken.gcc" \
  -- "$PELLOMAR_WINE" "$checker" --format=gcc "$medium" || status=$?
got=$(tr -d '\r' <"$work/broken.gcc")
z_folder="Z:$(pwd -P | tr / '\\')\\${medium//\//\\}"
got="${got//"$z_folder"/\{Z_FOLDER\}}"
if [ "$got"$'\n'"exit status $status" = "$(cat tests/checker/golden/broken.gcc)" ]; then
  passed=$((passed + 1))
  echo "$label: the broken medium's warnings are those of the Linux checker: ok"
else
  failed=$((failed + 1))
  echo "$label: the broken medium's warnings differ from tests/checker/golden/broken.gcc: FAILED"
  diff <(printf '%s\nexit status %s\n' "$got" "$status") tests/checker/golden/broken.gcc | sed 's/^/  /' || true
fi
echo "$passed passed, $failed failed"
[ -z "${PELLOMAR_RESULTS:-}" ] || record_result "$label" "$passed" "$failed" 0
[ "$failed" -eq 0 ]
