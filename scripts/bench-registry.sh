#!/usr/bin/env bash
# Builds the registry optimizer's benchmark and runs it under Wine, printing
# its figures: the full scan through the dialog against `reg query /s` over
# the same planted tree, and the list fill rate.
#   scripts/bench-registry.sh [BUILD_DIR] [-- benchmark arguments]
# With WINEPREFIX set (a session started by wine-session.sh) the benchmark
# runs in that session; otherwise in a session of its own in BUILD_DIR/wine.
set -euo pipefail
. "$(dirname "$0")/common.sh"
"$ROOT/scripts/install-deps.sh"
choose_arch
BUILD=${1:-$ROOT/build/bench-$SPRUCE_ARCH}
[ $# -gt 0 ] && shift
[ "${1:-}" = "--" ] && shift

configure_and_build "$BUILD" "$SPRUCE_ARCH" registry_bench >/dev/null

if [ -z "${WINEPREFIX:-}" ]; then
  . "$ROOT/scripts/wine-session.sh"
  SPRUCE_OWN_DISPLAY=1 wine_session_start "$BUILD/wine"
  trap wine_session_stop EXIT
fi
cd "$BUILD/bin"
"$ROOT/scripts/wine" registry_bench.exe "$@" </dev/null 2>&1 | tr -d '\r'
