#!/usr/bin/env bash
# Wine prefixes for tests and the demo. Source it, then:
#   qlry_wine_start   a fresh prefix cloned from a cached template, a
#                     persistent wineserver and a keepalive process
#   qlry_wine_stop    ends them and removes the prefix
# A new prefix costs seconds; a clone of the template costs milliseconds.
# The null display driver lets dialogs run without an X server; the
# keepalive keeps the desktop (and the clipboard) alive between processes.

QLRY_WINE=/usr/lib/wine/wine64
QLRY_WINESERVER=/usr/lib/wine/wineserver64
qlry_cache="${XDG_CACHE_HOME:-$HOME/.cache}/quillory"
qlry_template="$qlry_cache/wine-template"

qlry_wine_template() {
  [ -f "$qlry_template/.ready" ] && return 0
  rm -rf "$qlry_template"
  mkdir -p "$qlry_template"
  (
    # No Mono or Gecko: without them wineboot would offer to download them.
    export WINEPREFIX="$qlry_template" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
    "$QLRY_WINE" wineboot -i >/dev/null 2>&1 </dev/null
    "$QLRY_WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    "$QLRY_WINESERVER" -w
  )
  touch "$qlry_template/.ready"
}

# Starts a prefix of this run's own; $1 names the keepalive program.
qlry_wine_start() {
  local keepalive="$1"
  qlry_wine_template
  mkdir -p "$qlry_cache/wine-runs"
  export WINEPREFIX="$qlry_cache/wine-runs/run-$$"
  export WINEDEBUG=-all
  # Shortcuts the setup writes into the Start menu must stay in the prefix:
  # Wine's menu builder would copy them into the host's desktop menus.
  export WINEDLLOVERRIDES="winemenubuilder.exe=d"
  rm -rf "$WINEPREFIX"
  cp -al "$qlry_template" "$WINEPREFIX"
  # Wine rewrites its registry files: those must be copies, not links.
  cp --remove-destination "$qlry_template"/{system,user,userdef}.reg "$WINEPREFIX"/
  # The server must not hold the caller's output pipes open (ctest would wait on them).
  "$QLRY_WINESERVER" -p >/dev/null 2>&1 </dev/null
  qlry_keepalive_name="QuilloryKeepAlive-$$"
  "$QLRY_WINE" "$keepalive" "$qlry_keepalive_name" >/dev/null 2>&1 </dev/null &
  qlry_keepalive_pid=$!
  qlry_keepalive_exe="$keepalive"
  # Wait until the keepalive is up, so the first test does not pay for the start.
  for _ in $(seq 1 100); do
    "$QLRY_WINE" cmd /c exit >/dev/null 2>&1 && break
    sleep 0.1
  done
}

qlry_wine_stop() {
  [ -n "${WINEPREFIX:-}" ] || return 0
  "$QLRY_WINE" "$qlry_keepalive_exe" /stop "$qlry_keepalive_name" >/dev/null 2>&1 || true
  wait "$qlry_keepalive_pid" 2>/dev/null || true
  "$QLRY_WINESERVER" -k >/dev/null 2>&1 || true
  "$QLRY_WINESERVER" -w >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
}
