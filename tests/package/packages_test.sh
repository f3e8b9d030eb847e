#!/usr/bin/env bash
# Builds both release packages (scripts/package), installs the native tree
# BUILD_DIR into a scratch prefix, checks the install layout, manual pages
# and packages (check_layout.py), and checks that the workflows
# release-linux and release-win32 make the same packages from the
# development trees.
#   packages_test.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/../.."
[ $# -eq 1 ] || { echo "usage: packages_test.sh BUILD_DIR" >&2; exit 2; }
build_dir=$1
scratch=$(mktemp -d /tmp/pellomar-packages.XXXXXX)
trap 'rm -rf "$scratch"' EXIT

scripts/package
cmake --install "$build_dir" --prefix "$scratch/install" >/dev/null
python3 tests/package/check_layout.py --install "$scratch/install" \
  --packages build/package
mkdir "$scratch/release" && cp build/package/pellomar-1.01-* "$scratch/release/"
cmake --workflow --preset release-linux >/dev/null
cmake --workflow --preset release-win32 >/dev/null
for package in "$scratch"/release/*; do cmp "$package" "build/package/${package##*/}"; done
echo "the workflows release-linux and release-win32 make the same packages"
