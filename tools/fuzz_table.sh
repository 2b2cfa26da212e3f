#!/usr/bin/env bash
# Adds SECONDS of fuzzing to TARGET's row of the table in fuzz/README.md
# (CPU-minutes so far, and the date of the last run); a new target gets a row.
#   tools/fuzz_table.sh TARGET SECONDS
set -euo pipefail
target="$1"
seconds="$2"
readme="$(cd "$(dirname "$0")/.." && pwd)/fuzz/README.md"
today="$(date +%F)"
# Two runs may end at once; the table is rewritten by one at a time.
exec 9>"${TMPDIR:-/tmp}/qlry-fuzz-table.lock"
flock 9
awk -v target="$target" -v minutes="$(awk -v s="$seconds" 'BEGIN { printf "%.1f", s / 60 }')" -v today="$today" '
  BEGIN { FS = " *\\| *" }
  /^\| `/ && $2 == "`" target "`" {
    printf "| `%s` | %.1f | %s |\n", target, $3 + minutes, today; found = 1; next
  }
  /^<!-- end of table -->/ && !found { printf "| `%s` | %.1f | %s |\n", target, minutes, today }
  { print }
' "$readme" > "$readme.new"
mv "$readme.new" "$readme"
