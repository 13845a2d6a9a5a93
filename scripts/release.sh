#!/usr/bin/env bash
# Builds the shipped 32-bit programs in Release mode and packs them with
# "version.dat" and "읽어보기.txt" into build/Spruce-<version>.zip.
set -euo pipefail
. "$(dirname "$0")/common.sh"
"$ROOT/scripts/install-deps.sh"

BUILD=${SPRUCE_BUILD:-$ROOT/build}
mkdir -p "$BUILD"
quietly "$BUILD/release-build.log" configure_and_build "$BUILD/i686" i686 shipped
quietly "$BUILD/release-pack.log" cpack --config "$BUILD/i686/CPackConfig.cmake" -B "$BUILD"
rm -rf "$BUILD/_CPack_Packages"
version=$(cat "$BUILD/i686/package/version.dat")
echo "$BUILD/Spruce-$version.zip"
