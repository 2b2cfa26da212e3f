#!/usr/bin/env bash
# The demo: Quillory.exe under Wine on the bundled samples. It copies a text
# file to the clipboard, pastes it at the end of another file, and prints
# both files and the clipboard. Files are Latin-1 text and are shown as UTF-8.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bin="$root/build/windows/bin"
source "$root/tools/wine/prefix.sh"
qlry_wine_start "$bin/qlry_keepalive.exe"
trap qlry_wine_stop EXIT

work="$(mktemp -d)"
cp "$root/demo/sample.txt" "$root/demo/notes.txt" "$work/"
winpath() { echo "Z:${1//\//\\}"; }
run() { "$QLRY_WINE" "$@"; }
show() { tr -d '\r' < "$1" | iconv -f latin1 -t utf-8; }

echo "== sample.txt"
show "$work/sample.txt"
echo
echo "== Quillory.exe -c \"$(winpath "$work/sample.txt")\""
run "$bin/Quillory.exe" -c "$(winpath "$work/sample.txt")"
echo "== the clipboard now holds:"
run "$bin/qlry_clip.exe" get | tr -d '\r'
echo
echo "== Quillory.exe -p \"$(winpath "$work/notes.txt")\" /a"
run "$bin/Quillory.exe" -p "$(winpath "$work/notes.txt")" /a
echo "== notes.txt after the paste:"
show "$work/notes.txt"
echo
for extra in "$root"/tools/demo.d/*.sh; do
  [ -e "$extra" ] && source "$extra"
done
rm -rf "$work"
