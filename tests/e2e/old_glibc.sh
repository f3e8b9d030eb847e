#!/usr/bin/env bash
# The Linux launcher and checker as released, built for glibc 2.31 in the
# Debian 11 root of scripts/old-glibc-root (the old-glibc preset), then run
# inside that root: they need no newer symbol, and the launcher's scenarios,
# its start rules, the installed medium (no execute bits, noexec mount, the
# loader) and the checker's tests pass there as they do here.
set -euo pipefail
cd "$(dirname "$0")/../.."
if [ "$(id -u)" -ne 0 ]; then
  echo "old-glibc: making and entering the Debian 11 root needs root"
  exit 77
fi
build=build/old-glibc
# The packages' workflow for Linux builds this tree too: one at a time.
flock build/old-glibc.lock sh -c \
  'cmake --preset old-glibc && cmake --build --preset old-glibc -j2' \
  >build/old-glibc.log 2>&1 || { tail -30 build/old-glibc.log; exit 1; }

oldest=2.31
status=0
for program in "$build/pellomar" "$build/pellomar-check"; do
  newer=$(objdump -T "$program" | grep -oE 'GLIBC_[0-9.]+' | sort -uV |
    awk -F_ -v oldest="$oldest" '{ split($2, v, "."); split(oldest, o, ".");
      if (v[1] > o[1] || (v[1] == o[1] && v[2] > o[2])) print }')
  if [ -n "$newer" ]; then
    echo "old-glibc: $program needs $newer, newer than glibc $oldest"
    status=1
  fi
done

work=$(mktemp -d /tmp/pellomar-old-glibc.XXXXXX)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --component medium --prefix "$work/install" >/dev/null
root_run() { scripts/old-glibc-root --run -- "$@" || status=1; }
root_run ldd --version | head -1
root_run python3 tests/e2e/linux_e2e.py --label linux-glibc-2.31 \
  --launcher "$build/pellomar"
root_run python3 tests/e2e/linux_start.py --label linux-start-glibc-2.31 \
  --launcher "$build/pellomar"
root_run python3 tests/e2e/linux_medium.py --label linux-medium-glibc-2.31 \
  --medium "$work/install/share/pellomar/medium"
root_run python3 tests/checker/checker_test.py --checker "$build/pellomar-check" \
  --launcher "$build/pellomar" --no-sarif-validation
exit $status
