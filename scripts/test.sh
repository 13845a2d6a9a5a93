#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the pure
# code natively under AddressSanitizer and UndefinedBehaviorSanitizer (with
# bounded fuzzing), then the Windows test programs under Wine in a throwaway
# prefix inside the build folder.
set -euo pipefail
. "$(dirname "$0")/common.sh"
"$ROOT/scripts/install-deps.sh"
choose_arch

BUILD=${SPRUCE_BUILD:-$ROOT/build}
mkdir -p "$BUILD"
# The throwaway key pair that test builds carry and test servers sign with
# (the builds would make it too; made first, so that every build finds it).
"$ROOT/scripts/make-update-key.sh"

echo "== native build (sanitizers)"
quietly "$BUILD/native-build.log" cmake -S "$ROOT" -B "$BUILD/native" -G Ninja \
  -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++
quietly "$BUILD/native-build.log" ninja -C "$BUILD/native"

# The 32-bit programs with their tests, built even where the tests run the
# x86_64 build, so that every host proves they build.
echo "== Windows build (i686, the programs and their tests)"
quietly "$BUILD/i686-build.log" configure_and_build "$BUILD/i686" i686
if [ "$SPRUCE_ARCH" != i686 ]; then
  echo "== Windows build ($SPRUCE_ARCH, the programs the tests run on this host)"
  quietly "$BUILD/$SPRUCE_ARCH-build.log" configure_and_build "$BUILD/$SPRUCE_ARCH" "$SPRUCE_ARCH"
fi

# What a user gets is built apart: the compilers' Win32 thread model keeps
# the programs loadable on Windows 95 to XP (see cmake/toolchain-mingw.cmake).
echo "== shipped programs, release package and setup program (i686, Win32 thread model)"
# The release script prints what it made, one path a line (or, when it fails,
# the end of the failing step's log).
if ! SPRUCE_BUILD="$BUILD" "$ROOT/scripts/release.sh" >"$BUILD/release-made.txt"; then
  cat "$BUILD/release-made.txt"
  exit 1
fi
package=$(grep -E '[.]zip$' "$BUILD/release-made.txt")
setup=$(grep -E -- '-setup[.]exe$' "$BUILD/release-made.txt")

echo "== native tests"
native_ok=0
{
  ctest --test-dir "$BUILD/native" -j2 --output-on-failure &&
    # The shipped programs' import tables (Windows 95 and NT 4.0 must load
    # them) and the setup program, checked without running it.
    ctest --test-dir "$BUILD/release" --output-on-failure
} >"$BUILD/native-tests.log" 2>&1 || native_ok=1
if [ $native_ok = 0 ]; then grep -E "tests passed" "$BUILD/native-tests.log"; else cat "$BUILD/native-tests.log"; fi

. "$ROOT/scripts/wine-session.sh"
session="$BUILD/$SPRUCE_ARCH/wine"
rm -rf "$session"
SPRUCE_OWN_DISPLAY=1 wine_session_start "$session"
trap wine_session_stop EXIT
export SPRUCE_ARTIFACTS="$BUILD/artifacts"
mkdir -p "$SPRUCE_ARTIFACTS"

# The package is checked here; where 32-bit programs run it is also unpacked
# into a new folder of the prefix, which a Windows test starts it from, and
# the setup program is put in the prefix for the tests that install it.
if [ "$SPRUCE_ARCH" = i686 ]; then
  python3 "$ROOT/tests/release/unpack_release.py" "$package" "$WINEPREFIX/drive_c/SpruceRelease"
  export SPRUCE_RELEASE_FOLDER='C:\SpruceRelease'
  mkdir -p "$WINEPREFIX/drive_c/SpruceSetup"
  cp "$setup" "$WINEPREFIX/drive_c/SpruceSetup/"
  export SPRUCE_SETUP="C:\\SpruceSetup\\$(basename "$setup")"
else
  python3 "$ROOT/tests/release/unpack_release.py" "$package"
  echo "setup program: install tests skipped: this host cannot run 32-bit programs" \
    "(checked without running it: setup_holds_the_stripped_programs)"
fi

echo "== Windows tests under Wine ($SPRUCE_ARCH)"
win_ok=0
# The screenshots the tests keep are turned into PNG files (quietly, so that
# CTest's summary stays the last thing printed).
keep_screenshots() {
  for f in "$SPRUCE_ARTIFACTS"/*.bmp; do
    [ -e "$f" ] && convert "$f" "${f%.bmp}.png" 2>/dev/null && rm -f "$f"
  done
  return 0
}
ctest --test-dir "$BUILD/$SPRUCE_ARCH" --output-on-failure ${SPRUCE_CTEST_ARGS:-} || win_ok=1
keep_screenshots
[ $native_ok = 0 ] && [ $win_ok = 0 ]
