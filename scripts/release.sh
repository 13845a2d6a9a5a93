#!/usr/bin/env bash
# Builds the shipped 32-bit programs in Release mode (with the compilers'
# Win32 thread model, so that they load on Windows 95 to XP) and packs them with
# "version.dat" and "읽어보기.txt" into build/Spruce-<version>.zip.
set -euo pipefail
. "$(dirname "$0")/common.sh"
"$ROOT/scripts/install-deps.sh"

BUILD=${SPRUCE_BUILD:-$ROOT/build}
mkdir -p "$BUILD"
quietly "$BUILD/release-build.log" configure_and_build_release "$BUILD/release" shipped
quietly "$BUILD/release-pack.log" cpack --config "$BUILD/release/CPackConfig.cmake" -B "$BUILD"
rm -rf "$BUILD/_CPack_Packages"
version=$(cat "$BUILD/release/package/version.dat")
echo "$BUILD/Spruce-$version.zip"
