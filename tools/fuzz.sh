#!/usr/bin/env bash
# Builds one libFuzzer target with the fuzz preset, runs it for a while on a
# scratch copy of its committed corpus, and then merges what it found back
# into fuzz/corpus/<target> (inputs over 64 KB left out), so that the next
# run starts where this one ended. Crashes are written to
# fuzz/regressions/<target>/ for keeping. The table in fuzz/README.md adds
# the CPU-minutes of the run and the date.
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
max_bytes=65536

cd "$root"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "$target" -j2

work="$(mktemp -d "${TMPDIR:-/tmp}/qlry-fuzz-$target.XXXXXX")"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus" "$work/small" "fuzz/corpus/$target" "fuzz/regressions/$target"
cp -R "fuzz/corpus/$target/." "$work/corpus/"

# CPU seconds of the finished children (user + system), from the shell's
# own account: the table counts the fuzzer's CPU time, not the wall time,
# which a busy machine stretches.
# (times must run in this shell, not in a command substitution's.)
children_cpu() {
  times > "$work/times"
  tail -1 "$work/times" | awk '{ s = 0; for (i = 1; i <= 2; ++i) { split($i, t, /[ms]/); s += t[1] * 60 + t[2] } printf "%.0f", s }'
}
children_cpu > "$work/before"
status=0
# The seed folders the target's CMake list names (a target may start from
# another's corpus, as the GIF round trip does from the decoder's); read, not grown.
seeds=()
for dir in $(awk -v t="$target" '$0 ~ "qlry_add_fuzzer\\(" t "$" { found = 1 }
    found && /CORPUS/ { sub(/.*CORPUS/, ""); sub(/\).*/, ""); print; exit }' fuzz/*.cmake); do
  if [ "$dir" != "fuzz/corpus/$target" ]; then seeds+=("$dir"); fi
done
"build/fuzz/bin/$target" \
  -max_total_time="$seconds" \
  -print_final_stats=1 \
  -artifact_prefix="fuzz/regressions/$target/" \
  "$work/corpus" "fuzz/regressions/$target" "${seeds[@]}" || status=$?
children_cpu > "$work/after"
cpu_seconds=$(( $(cat "$work/after") - $(cat "$work/before") ))

# Only what adds coverage and stays small joins the committed corpus.
find "$work/corpus" -type f -size -$((max_bytes + 1))c -exec cp {} "$work/small/" \;
"build/fuzz/bin/$target" -merge=1 -max_len="$max_bytes" "fuzz/corpus/$target" "$work/small" 2>/dev/null

tools/fuzz_table.sh "$target" "$cpu_seconds"
exit "$status"
