#!/usr/bin/env bash
# Builds the shipped 32-bit programs in Release mode (with the compilers'
# Win32 thread model, so that they load on Windows 95 to XP), stripped, and
# makes what a user downloads, each printed by its path:
#   build/Spruce-<version>.zip        the programs with "version.dat" and
#                                     "읽어보기.txt"
#   build/Spruce-<version>-setup.exe  the setup program that installs them
#   build/update/                     what the update server holds: the
#                                     programs, version.dat with their sizes
#                                     and SHA-256, and version.sig when
#                                     SPRUCE_SIGNING_KEY names the publisher's
#                                     private key (docs/publishing.md)
# The programs carry the public key SPRUCE_UPDATE_PUBKEY names; without it,
# the throwaway test key, and everything made is for testing only.
# The programs' debug information stays in build/release/symbols/.
set -euo pipefail
. "$(dirname "$0")/common.sh"
"$ROOT/scripts/install-deps.sh"

BUILD=${SPRUCE_BUILD:-$ROOT/build}
release="$BUILD/release"
mkdir -p "$BUILD"
quietly "$BUILD/release-build.log" configure_and_build_release "$release" shipped setup
version=$(cat "$release/package/version.dat")

# The zip.
quietly "$BUILD/release-pack.log" cpack --config "$release/CPackConfig.cmake" -B "$BUILD"
rm -rf "$BUILD/_CPack_Packages"
echo "$BUILD/Spruce-$version.zip"

# The setup program.
cp "$release/Spruce-$version-setup.exe" "$BUILD/"
echo "$BUILD/Spruce-$version-setup.exe"

# The update server's folder; its script says loudly when the programs carry
# the test key.
"$ROOT/scripts/make-update-folder.sh" "$release/bin" "$version" "$BUILD/update" >&2
echo "$BUILD/update"
