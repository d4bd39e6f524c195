#!/usr/bin/env bash
# Runs a 32-bit Windows program under wine, in the project's own prefix:
#   scripts/wine-run.sh PROGRAM.exe [ARGUMENTS...]   runs it, exit status passed on
#   scripts/wine-run.sh --prepare                    creates the prefix if missing
#   scripts/wine-run.sh --stop                       stops the prefix's wine server
# The prefix lives under build/ (DCS_WINEPREFIX overrides), is created once
# and reused. Where the kernel runs 32-bit programs the 32-bit loader runs the
# program; elsewhere the 64-bit loader runs its 32-bit code in a 64-bit
# process (DCS_WINE_LOADER=wine32 or wow64 forces one). No display is used, so
# a message box returns at once instead of waiting for a click.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${DCS_WINEPREFIX:-$root/build/wine-prefix}
export WINEDEBUG=-all
# No Mono or Gecko installers when the prefix is created.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

wine_dir=/usr/lib/wine
wine32_dlls=/usr/lib/i386-linux-gnu/wine

fail() {
  echo "wine-run: $*" >&2
  exit 125
}

[ -x "$wine_dir/wine64" ] && [ -x "$wine_dir/wineserver" ] && [ -d "$wine32_dlls/i386-windows" ] ||
  fail "wine is missing or incomplete (need $wine_dir/wine64, $wine_dir/wineserver and" \
    "$wine32_dlls/i386-windows): run scripts/install-deps.sh"

if [ "${1:-}" = "--stop" ]; then
  [ -d "$WINEPREFIX" ] && "$wine_dir/wineserver" -k 2>/dev/null || true
  exit 0
fi

loader=${DCS_WINE_LOADER:-}
if [ -z "$loader" ]; then
  if [ -x "$wine_dir/wine" ] && "$wine_dir/wine" --version >/dev/null 2>&1; then
    loader=wine32
  else
    loader=wow64
  fi
fi
case "$loader" in
  wine32) run=("$wine_dir/wine") ;;
  wow64) run=(env WINEDLLPATH="$wine32_dlls" "$wine_dir/wine64") ;;
  *) fail "DCS_WINE_LOADER must be wine32 or wow64, not '$loader'" ;;
esac

# The prefix is made by the 64-bit loader, so both loaders can use it. Runs
# that start together wait for the one that makes it.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      echo "wine-run: creating the wine prefix $WINEPREFIX" >&2
      WINEARCH=win64 "$wine_dir/wine64" wineboot --init >/dev/null 2>&1 ||
        fail "wine could not create its prefix $WINEPREFIX"
      "$wine_dir/wineserver" -w
    fi
  ) 9>"$WINEPREFIX.lock"
  [ -f "$WINEPREFIX/system.reg" ] || fail "wine could not create its prefix $WINEPREFIX"
fi
[ "${1:-}" = "--prepare" ] && exit 0
[ $# -ge 1 ] || fail "usage: wine-run.sh PROGRAM.exe [ARGUMENTS...] | --prepare | --stop"

exec "${run[@]}" "$@"
