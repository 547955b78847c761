#!/bin/sh
# Runs a Windows program under 64-bit Wine: wine-run.sh PREFIX PROGRAM ARGS...
# WINEPREFIX from the environment wins over PREFIX. The prefix is set up on
# first use, once, under a lock so that parallel tests don't race for it.
set -e
prefix=$1
shift
: "${WINEPREFIX:=$prefix}"
: "${WINEDEBUG:=-all}"
# No Mono or Gecko download prompts: the programs are plain console ones.
: "${WINEDLLOVERRIDES:=mscoree,mshtml=}"
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES

wine=
for candidate in wine64 /usr/lib/wine/wine64 /usr/lib/x86_64-linux-gnu/wine/wine64 wine; do
  if command -v "$candidate" >/dev/null 2>&1; then wine=$candidate; break; fi
done
if [ -z "$wine" ]; then
  echo "wine-run.sh: no wine64 found" >&2
  exit 127
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wine_dir=$(dirname "$(command -v "$wine")")
  wineserver=
  for candidate in "$wine_dir/wineserver64" "$wine_dir/wineserver" wineserver; do
    if command -v "$candidate" >/dev/null 2>&1; then wineserver=$candidate; break; fi
  done
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      "$wine" wineboot --init >/dev/null 2>&1 || true
      if [ -n "$wineserver" ]; then "$wineserver" -w 2>/dev/null || true; fi
    fi
  ) 9>"$WINEPREFIX.lock"
fi

exec "$wine" "$@"
