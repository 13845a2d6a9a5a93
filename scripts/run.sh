#!/usr/bin/env bash
# Installs what is missing, builds Spruce and runs it under Wine in a demo
# prefix with planted findings, pointed at the local site server. Without a
# display it runs under Xvfb and writes a screenshot to build/demo.png.
# With SPRUCE_DEMO_UPGRADE=1 the site offers version 1.0.1 of this very
# build, so the Upgrade button blinks and a full upgrade can be watched.
set -euo pipefail
. "$(dirname "$0")/common.sh"
"$ROOT/scripts/install-deps.sh"
choose_arch

BUILD=${SPRUCE_BUILD:-$ROOT/build}
# SpruceDemo.exe is Spruce.exe with two emulated disks behind its drive
# commands (Wine gives no S.M.A.R.T.), so the disk-health tools show a drive.
configure_and_build "$BUILD/i686" i686 Spruce SpruceDemo SpruceUp ForceDel >/dev/null
[ "$SPRUCE_ARCH" = i686 ] ||
  configure_and_build "$BUILD/$SPRUCE_ARCH" "$SPRUCE_ARCH" Spruce SpruceDemo SpruceUp ForceDel >/dev/null

headless=0
[ -z "${DISPLAY:-}" ] && headless=1
. "$ROOT/scripts/wine-session.sh"
wine_session_start "$BUILD/demo"
trap 'kill ${site_pid:-} 2>/dev/null || true; wine_session_stop' EXIT

# The program folder: the program and its side files.
program="$WINEPREFIX/drive_c/Spruce"
mkdir -p "$program"
cp "$BUILD/$SPRUCE_ARCH/bin/SpruceDemo.exe" "$program/Spruce.exe"
cp "$BUILD/$SPRUCE_ARCH/bin/SpruceUp.exe" "$BUILD/$SPRUCE_ARCH/bin/ForceDel.dll" "$program/"
cp "$BUILD/$SPRUCE_ARCH/package/version.dat" "$program/version.dat"
: > "$program/createlog.dat"
[ -x "$ROOT/scripts/plant-demo.sh" ] && "$ROOT/scripts/plant-demo.sh" "$program"

port=${SPRUCE_SITE_PORT:-8123}
site="$ROOT/site"
if [ "${SPRUCE_DEMO_UPGRADE:-0}" = 1 ]; then
  # The site's copy with this build listed as version 1.0.1.
  site="$BUILD/demo/site"
  rm -rf "$site" && cp -r "$ROOT/site" "$site"
  {
    echo "Version: 1.0.1"
    for exe in Spruce.exe SpruceUp.exe; do
      cp "$program/$exe" "$site/spruce/$exe"
      echo "Filename: $exe $(stat -c %s "$site/spruce/$exe")"
    done
  } > "$site/spruce/version.dat"
fi
python3 "$ROOT/scripts/site_server.py" --port "$port" --root "$site" >"$BUILD/demo/site.log" 2>&1 &
site_pid=$!
export SPRUCE_SITE="http://127.0.0.1:$port"

cd "$program"
if [ $headless = 1 ]; then
  "$ROOT/scripts/wine" Spruce.exe </dev/null >/dev/null 2>&1 &
  app=$!
  sleep 8
  import -window root "$BUILD/demo.png"
  echo "Spruce is running headless; screenshot: $BUILD/demo.png"
  kill $app 2>/dev/null || true
else
  "$ROOT/scripts/wine" Spruce.exe
fi
