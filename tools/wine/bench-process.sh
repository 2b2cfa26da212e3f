#!/usr/bin/env bash
# The Windows program's whole-process timings under Wine, beside the native
# figures: each paste of the benchmark's photo into every writable format
# at 3000 x 2000 and 6000 x 4000, the copies of an opaque and a transparent
# picture, and the start-up of a text copy against a minimal program.
# Medians of RUNS starts (default 5). A benchmark, not a test.
#   tools/wine/bench-process.sh [RUNS]     (after make build and make bench)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
runs="${1:-5}"
bin="$root/build/windows/bin"
native="$root/build/native-release/bin"
for program in "$bin/Quillory.exe" "$bin/qlry_clip.exe" "$native/bench_process_pictures"; do
  [ -x "$program" ] || { echo "missing $program: run make build-windows and make bench first" >&2; exit 1; }
done
source "$root/tools/wine/prefix.sh"
work="$(mktemp -d)"
trap 'qlry_wine_stop; rm -rf "$work"' EXIT

echo "writing the pictures and timing the native saves..." >&2
"$native/bench_process_pictures" "$work" > "$work/native.txt"
qlry_wine_start "$bin/qlry_keepalive.exe"

winpath() { echo "Z:${1//\//\\}"; }
# Median wall time in milliseconds of RUNS starts of a Wine program.
median_ms() {
  local times=()
  for _ in $(seq 1 "$runs"); do
    local start end
    start=$(date +%s%N)
    "$QLRY_WINE" "$@" >/dev/null 2>&1 </dev/null || true
    end=$(date +%s%N)
    times+=($(( (end - start) / 1000000 )))
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p"
}
quillory() { median_ms "$bin/Quillory.exe" "$@"; }
# The native Save time, or "refused" when the format cannot hold the picture.
native_ms() { awk -v e="$1" -v s="$2" '$2 == e && $3 == s { print ($4 < 0 ? "refused" : $4) }' "$work/native.txt"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b + 0 > 0) printf "%.2f", a / b; else print "-" }'; }

printf '%-44s %10s %10s %8s\n' "operation (Quillory.exe under Wine)" "wine ms" "native ms" "ratio"
declare -A small
for size in 3000x2000 6000x4000; do
  "$QLRY_WINE" "$bin/Quillory.exe" -c "$(winpath "$work/photo-$size.bmp")" </dev/null
  for extension in $(awk '{ print $2 }' "$work/native.txt" | sort -u); do
    ms=$(quillory -p "$(winpath "$work/out.$extension")")
    nat=$(native_ms "$extension" "$size")
    growth=""
    if [ "$size" = 6000x4000 ]; then growth="  (x$(ratio "$ms" "${small[$extension]}") of 3000x2000)"; fi
    small[$extension]=$ms
    printf '%-44s %10s %10s %8s%s\n' "paste the $size photo into x.$extension" "$ms" "$nat" "$(ratio "$ms" "$nat")" "$growth"
    rm -f "$work/out.$extension"
  done
done

for picture in photo screen; do
  opaque=$(quillory -c "$(winpath "$work/$picture-6000x4000.png")")
  alpha=$(quillory -c "$(winpath "$work/$picture-alpha-6000x4000.png")")
  block=$("$QLRY_WINE" "$bin/qlry_clip.exe" size PNG </dev/null | tr -d '\r')
  printf '%-44s %10s\n' "copy the 6000x4000 $picture as an opaque PNG" "$opaque"
  printf '%-44s %10s %10s %8s  ("PNG" block %s bytes)\n' "copy the same $picture with alpha" "$alpha" \
    "" "$(ratio "$alpha" "$opaque")" "$block"
done

for picture in photo photo-alpha; do
  webp=$(quillory -c "$(winpath "$work/$picture-6000x4000.webp")")
  printf '%-44s %10s\n' "copy the 6000x4000 $picture.webp" "$webp"
done

head -c 102400 /dev/urandom | base64 -w 76 | head -c 102400 > "$work/text.txt"
copy=$(quillory -c "$(winpath "$work/text.txt")")
minimal=$(median_ms "$bin/qlry_clip.exe" load "$(winpath "$work/text.txt")")
printf '%-44s %10s %10s %8s  (against qlry_clip load)\n' "copy a 100 KB text file" "$copy" "$minimal" \
  "$(ratio "$copy" "$minimal")"
