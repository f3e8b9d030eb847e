#!/usr/bin/env bash
# The Windows folder checker under Wine: the sample folder is clean for both
# targets. Expects the Wine command in PELLOMAR_WINE (scripts/lib/desktop.sh).
#   checker_wine.sh CHECKER_EXE LABEL
set -euo pipefail
cd "$(dirname "$0")/../.."
. scripts/lib/results.sh
[ $# -eq 2 ] || { echo "usage: checker_wine.sh CHECKER_EXE LABEL" >&2; exit 2; }
checker=$(realpath "$1") label=$2
scratch=$(mktemp -d /tmp/pellomar-checker-wine.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
for target in windows linux; do
  (cd examples && "$PELLOMAR_WINE" "$checker" --quiet --target=$target . | tr -d '\r')
done
echo "$1: the sample folder is clean for both targets"
# The Windows checker gives the warnings of the broken medium line for line
# as the golden output of the Linux one: the same codes, lines, columns and
# texts (Wine shows this folder on drive Z: as the emulation does).
medium=tests/checker/media/broken
status=0
"$PELLOMAR_WINE" "$checker" --format=gcc "$medium" >"$scratch/broken.gcc" ||
  status=$?
got=$(tr -d '\r' <"$scratch/broken.gcc")
z_folder="Z:$(pwd -P | tr / '\\')\\${medium//\//\\}"
got="${got//"$z_folder"/\{Z_FOLDER\}}"
if [ "$got"$'\n'"exit status $status" != "$(cat tests/checker/golden/broken.gcc)" ]; then
  echo "$1: the broken medium's warnings differ from tests/checker/golden/broken.gcc:" >&2
  diff <(printf '%s\nexit status %s\n' "$got" "$status") tests/checker/golden/broken.gcc >&2
  exit 1
fi
echo "$1: the broken medium's warnings are those of the Linux checker"
[ -z "${PELLOMAR_RESULTS:-}" ] || record_result "$label" 1 0 0
