#!/usr/bin/env bash
# Refreshes the README's pictures: runs the outside-in tests, which keep a
# screenshot of every dialog they open, and copies the ones they name
# "readme-*" into docs/screenshots/ as small PNG files (cropped to the
# window by the tests, reduced to 256 colours here).
set -euo pipefail
. "$(dirname "$0")/common.sh"
"$ROOT/scripts/install-deps.sh"
choose_arch

BUILD=${SPRUCE_BUILD:-$ROOT/build}
quietly "$BUILD/screenshots-build.log" configure_and_build "$BUILD/$SPRUCE_ARCH" "$SPRUCE_ARCH"
# The setup program's wizard is pictured too: the tests run the one users get.
build_release "$BUILD"

. "$ROOT/scripts/wine-session.sh"
session="$BUILD/$SPRUCE_ARCH/screenshots-wine"
rm -rf "$session"
SPRUCE_OWN_DISPLAY=1 wine_session_start "$session"
trap wine_session_stop EXIT
release_into_prefix "$package" "$setup"
export SPRUCE_ARTIFACTS="$BUILD/screenshots"
rm -rf "$SPRUCE_ARTIFACTS"
mkdir -p "$SPRUCE_ARTIFACTS"
ctest --test-dir "$BUILD/$SPRUCE_ARCH" -L e2e_tests --output-on-failure >"$BUILD/screenshots-tests.log" 2>&1 ||
  { tail -n 40 "$BUILD/screenshots-tests.log"; exit 1; }

out="$ROOT/docs/screenshots"
mkdir -p "$out"
count=0
for shot in "$SPRUCE_ARTIFACTS"/readme-*.bmp; do
  [ -e "$shot" ] || continue
  name=$(basename "$shot" .bmp)
  png="$out/${name#readme-}.png"
  convert "$shot" -strip -colors 256 "PNG8:$png"
  size=$(stat -c %s "$png")
  [ "$size" -lt 61440 ] || echo "screenshots: $png is $size bytes (over 60 KB)" >&2
  count=$((count + 1))
done
echo "screenshots: $count pictures in $out"
