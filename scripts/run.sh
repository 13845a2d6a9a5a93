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
# The demo build carries the throwaway test key: the site signs its version
# files with the private half, as the publisher signs the real ones.
signing_key="$ROOT/build/keys/update-test.pem"
if [ "${SPRUCE_DEMO_UPGRADE:-0}" = 1 ]; then
  # The site's copy with this build listed (sizes, digests, signature) as
  # version 1.0.1.
  site="$BUILD/demo/site"
  rm -rf "$site" && cp -r "$ROOT/site" "$site"
  SPRUCE_SIGNING_KEY="$signing_key" "$ROOT/scripts/make-update-folder.sh" "$program" 1.0.1 \
    "$site/spruce" 2>"$BUILD/demo/update-folder.log"
fi
python3 "$ROOT/scripts/site_server.py" --port "$port" --root "$site" --signing-key "$signing_key" \
  >"$BUILD/demo/site.log" 2>&1 &
site_pid=$!
export SPRUCE_SITE="http://127.0.0.1:$port"
# Spruce checks for a newer version as it opens: the site must answer by then.
for _ in $(seq 100); do curl -s -o /dev/null "$SPRUCE_SITE/go.htm" && break; sleep 0.1; done

# True while Spruce.exe or SpruceUp.exe runs in this session's prefix.
spruce_running() {
  local p
  for p in /proc/[0-9]*; do
    tr '\0' '\n' <"$p/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
    tr '\0' ' ' <"$p/cmdline" 2>/dev/null | grep -qiE '\\Spruce(Up)?\.exe' && return 0
  done
  return 1
}

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
  # Spruce ends at once when it starts the updater, which restarts it when
  # done: the session lasts while either program of this prefix runs.
  while spruce_running; do sleep 1; done
fi
