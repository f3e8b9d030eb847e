#!/usr/bin/env bash
# Runs one test of a build tree for CTest (cmake/tests.cmake registers it):
#   run_test.sh [--desktop DIR] [--needs-32-bit LABEL] -- COMMAND...
# --desktop DIR        reads what the desktop fixture wrote to DIR/desktop.env
#                      (DISPLAY, WINEPREFIX, the Wine command)
# --needs-32-bit LABEL the command runs 32-bit Windows programs: where Wine
#                      here runs none, it is not run; LABEL is tallied as
#                      skipped, with the reason, and the exit status is
#                      SKIPPED (CTest's SKIP_RETURN_CODE), never a pass.
# --skips-itself       with --needs-32-bit: the command tallies each of its
#                      runs that cannot be made here as skipped, so it runs
#                      anyway; its success is still SKIPPED for CTest.
set -euo pipefail
cd "$(dirname "$0")/../.."
. scripts/lib/results.sh

SKIPPED=77 # what cmake/tests.cmake gives CTest as SKIP_RETURN_CODE

desktop= skip_label= skips_itself=
while [ $# -gt 0 ]; do
  case $1 in
    --desktop) desktop=$2; shift 2 ;;
    --needs-32-bit) skip_label=$2; shift 2 ;;
    --skips-itself) skips_itself=1; shift ;;
    --) shift; break ;;
    *) echo "run_test.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
[ $# -gt 0 ] || { echo "run_test.sh: no command" >&2; exit 2; }

# The trees that tests build of their own (packages, the release) are built
# on every core, as the suite's own trees are.
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}

if [ -n "$desktop" ]; then
  if [ ! -f "$desktop/desktop.env" ]; then
    echo "run_test.sh: no desktop in $desktop (its fixture did not start)" >&2
    exit 1
  fi
  . "$desktop/desktop.env"
fi

if [ -n "$skip_label" ] && [ "${PELLOMAR_WINE_32:-}" != 1 ]; then
  if [ -n "$skips_itself" ]; then
    "$@" || exit
    exit "$SKIPPED"
  fi
  why=${PELLOMAR_WINE_SKIP_WHY:-32-bit programs do not run here}
  echo "$skip_label: skipped ($why)"
  [ -z "${PELLOMAR_RESULTS:-}" ] || record_result "$skip_label" 0 0 1 "$why"
  exit "$SKIPPED"
fi
exec "$@"
