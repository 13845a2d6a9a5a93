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
build_release "$BUILD" || exit 1

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

# The package is checked and, where 32-bit programs run, put in the prefix.
release_into_prefix "$package" "$setup"

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
