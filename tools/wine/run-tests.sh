#!/usr/bin/env bash
# Runs the cross-built tests under Wine in a prefix of this run's own.
#   tools/wine/run-tests.sh BUILD_DIR [ctest arguments...]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$1"
shift
source "$here/prefix.sh"

# A small file system that fills up half way through a paste, for the tests
# that prove a full disk loses no file; skipped where mounting is not allowed.
full_dir="$(mktemp -d)"
if mount -t tmpfs -o size=64k tmpfs "$full_dir" 2>/dev/null; then
  export QLRY_FULL_DIR="Z:${full_dir//\//\\}"
fi
cleanup() {
  qlry_wine_stop
  umount "$full_dir" 2>/dev/null || true
  rmdir "$full_dir" 2>/dev/null || true
}
trap cleanup EXIT

qlry_wine_start "$build/bin/qlry_keepalive.exe"
ctest --test-dir "$build" --output-on-failure "$@"
