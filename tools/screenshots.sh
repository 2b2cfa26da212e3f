#!/usr/bin/env bash
# Takes the README's pictures of the real program under Wine: the About box
# the two name dialogs and the settings window, each cut out of a virtual X screen (Xvfb) taken
# with ImageMagick's import. Not part of the tests; run it by hand after a
# Windows build when a dialog changes:
#   tools/screenshots.sh [BUILD_DIR]     (default build/windows)
# Writes docs/images/about-box.png, text-name-dialog.png, image-name-dialog.png,
# settings-window.png.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/windows}"
bin="$(cd "$build/bin" && pwd)"
out="$root/docs/images"

for tool in xvfb-run Xvfb import xwininfo; do
  command -v "$tool" >/dev/null || { echo "screenshots: $tool is missing (apt-get install xvfb imagemagick x11-utils)" >&2; exit 1; }
done
for exe in Quillory.exe qlry_keepalive.exe qlry_name_file.exe; do
  [ -f "$bin/$exe" ] || { echo "screenshots: $bin/$exe is missing (make build-windows)" >&2; exit 1; }
done

# Everything below runs inside a virtual X screen of its own.
if [ -z "${QLRY_SCREENSHOTS_DISPLAY:-}" ]; then
  exec env QLRY_SCREENSHOTS_DISPLAY=1 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$build"
fi

source "$root/tools/wine/prefix.sh"
qlry_wine_template
mkdir -p "$qlry_cache/wine-runs"
export WINEPREFIX="$qlry_cache/wine-runs/shots-$$" WINEDEBUG=-all
work="$(mktemp -d)"
program_pid="" keepalive_pid="" keepalive="QuilloryShots-$$"
finish() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
  if [ -n "$keepalive_pid" ]; then
    "$QLRY_WINE" "$bin/qlry_keepalive.exe" /stop "$keepalive" >/dev/null 2>&1 || true
    wait "$keepalive_pid" 2>/dev/null || true
  fi
  "$QLRY_WINESERVER" -k >/dev/null 2>&1 || true
  "$QLRY_WINESERVER" -w >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX" "$work"
}
trap finish EXIT
rm -rf "$WINEPREFIX"
cp -al "$qlry_template" "$WINEPREFIX"
cp --remove-destination "$qlry_template"/{system,user,userdef}.reg "$WINEPREFIX"/
# Wine's own Tahoma (the dialogs' font) and Marlett (the caption buttons),
# from Debian's fonts-wine, when the cached prefix was made without them.
if ls /usr/share/wine/fonts/tahoma.ttf >/dev/null 2>&1; then
  cp --remove-destination /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
else
  echo "screenshots: fonts-wine is not installed: the pictures will show a stand-in font" >&2
fi
# The X11 driver instead of the tests' null driver, and windows that Wine
# draws itself (caption and frame included): no window manager runs here.
"$QLRY_WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f >/dev/null 2>&1
"$QLRY_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
# A desktop that reg started still has the old driver: start anew.
"$QLRY_WINESERVER" -k >/dev/null 2>&1 || true
"$QLRY_WINESERVER" -w >/dev/null 2>&1 || true
"$QLRY_WINESERVER" -p >/dev/null 2>&1 </dev/null
"$QLRY_WINE" "$bin/qlry_keepalive.exe" "$keepalive" >/dev/null 2>&1 </dev/null &
keepalive_pid=$!

winpath() { echo "Z:${1//\//\\}"; }

# The X window that shows a top-level window with this caption, once it is up.
window_of() {
  local caption="$1" id=""
  for _ in $(seq 1 600); do  # the first start in a prefix builds its font cache
    id="$(xwininfo -root -tree | awk -v c="\"$caption\":" 'index($0, c) { print $1; exit }')"
    if [ -n "$id" ] && xwininfo -id "$id" | grep -q 'Map State: IsViewable'; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  echo "screenshots: no window \"$caption\" appeared; the screen holds:" >&2
  xwininfo -root -tree >&2
  return 1
}

# Takes the screen and cuts out the window with this caption.
shoot() {
  local caption="$1" file="$2" id x y w h
  id="$(window_of "$caption")"
  sleep 1.5  # let it paint, and the caret blink settle
  read -r x y w h < <(xwininfo -id "$id" | awk '
    /Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 }
    /Width:/ { w = $2 } /Height:/ { h = $2 } END { print x, y, w, h }')
  import -window root -crop "${w}x${h}+${x}+${y}" +repage -strip "$out/$file"
  echo "screenshots: $out/$file (${w}x${h})"
}

mkdir -p "$out"

# The About box: the program started without arguments.
"$QLRY_WINE" "$bin/Quillory.exe" &
program_pid=$!
shoot "About Quillory" about-box.png
kill "$program_pid"; wait "$program_pid" 2>/dev/null || true

# The text name dialog: text on the clipboard, pasted as a new file.
cp "$root/demo/sample.txt" "$work/"
"$QLRY_WINE" "$bin/Quillory.exe" -c "$(winpath "$work/sample.txt")"
"$QLRY_WINE" "$bin/Quillory.exe" -p "$(winpath "$work")" /n &
program_pid=$!
shoot "Copy Clipboard Contents as File" text-name-dialog.png
"$QLRY_WINE" "$bin/qlry_name_file.exe" "pasted note" >/dev/null
wait "$program_pid" 2>/dev/null || true

# The image name dialog: a picture on the clipboard, pasted as a new file.
cp "$root/demo/picture.png" "$work/"
"$QLRY_WINE" "$bin/Quillory.exe" -c "$(winpath "$work/picture.png")"
"$QLRY_WINE" "$bin/Quillory.exe" -p "$(winpath "$work")" /n &
program_pid=$!
shoot "Copy Clipboard Contents as File" image-name-dialog.png
"$QLRY_WINE" "$bin/qlry_name_file.exe" "pasted picture" >/dev/null
wait "$program_pid" 2>/dev/null || true

# The settings window: Quillory.exe /settings, with its defaults.
"$QLRY_WINE" "$bin/Quillory.exe" /settings &
program_pid=$!
shoot "Quillory Settings" settings-window.png
kill "$program_pid"; wait "$program_pid" 2>/dev/null || true
program_pid=""
