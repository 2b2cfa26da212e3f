#!/usr/bin/env bash
# Runs the cross-built tests under Wine in a prefix of this run's own.
#   tools/wine/run-tests.sh BUILD_DIR [ctest arguments...]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$1"
shift
source "$here/prefix.sh"
qlry_wine_start "$build/bin/qlry_keepalive.exe"
trap qlry_wine_stop EXIT
ctest --test-dir "$build" --output-on-failure "$@"
