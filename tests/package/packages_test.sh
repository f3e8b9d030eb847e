#!/usr/bin/env bash
# Builds both release packages from the development trees (the workflows
# release-linux and release-win32, from build/old-glibc and build/win32),
# installs the native tree BUILD_DIR into a scratch prefix, and checks the
# install layout, manual pages and packages (check_layout.py).
# scripts/check-release shows that scripts/package makes the same packages
# from a fresh copy of the source.
#   packages_test.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/../.."
[ $# -eq 1 ] || { echo "usage: packages_test.sh BUILD_DIR" >&2; exit 2; }
build_dir=$1
scratch=$(mktemp -d /tmp/pellomar-packages.XXXXXX)
trap 'rm -rf "$scratch"' EXIT

rm -f build/package/pellomar-*.zip build/package/pellomar-*.tar.gz
# The old-glibc test builds build/old-glibc too: one at a time.
flock build/old-glibc.lock cmake --workflow --preset release-linux \
  >"$scratch/release-linux.log" 2>&1 || { cat "$scratch/release-linux.log"; exit 1; }
cmake --workflow --preset release-win32 >"$scratch/release-win32.log" 2>&1 ||
  { cat "$scratch/release-win32.log"; exit 1; }
cmake --install "$build_dir" --prefix "$scratch/install" >/dev/null
python3 tests/package/check_layout.py --install "$scratch/install" \
  --packages build/package
