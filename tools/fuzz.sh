#!/usr/bin/env bash
# Builds one libFuzzer target with the fuzz preset and runs it for a while on
# a scratch copy of its seed corpus (the committed corpus is not modified).
# Crashes are written to fuzz/regressions/<target>/ for keeping.
#
#   tools/fuzz.sh ximage_bmp 600
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 TARGET SECONDS" >&2
  exit 2
fi
target="$1"
seconds="$2"
root="$(cd "$(dirname "$0")/.." && pwd)"

cd "$root"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "$target" -j2

work="$(mktemp -d "${TMPDIR:-/tmp}/qlry-fuzz-$target.XXXXXX")"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus" "fuzz/regressions/$target"
if [ -d "fuzz/corpus/$target" ]; then
  cp -R "fuzz/corpus/$target/." "$work/corpus/"
fi

"build/fuzz/bin/$target" \
  -max_total_time="$seconds" \
  -print_final_stats=1 \
  -artifact_prefix="fuzz/regressions/$target/" \
  "$work/corpus" "fuzz/regressions/$target"
