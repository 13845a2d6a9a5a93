#!/usr/bin/env bash
# Measures the hard-disk optimizer under Wine in a throwaway prefix: the scan
# through the dialog against a bare FindFirstFileA walk, and the deletion
# through the dialog against a bare DeleteFileA loop, over FILES planted
# files (default 50,000), in ROUNDS rounds (default 3) with the medians;
# then what the link-safe delete costs against the other ways to delete.
# Usage: scripts/bench-disk.sh [FILES [ROUNDS]]
set -euo pipefail
. "$(dirname "$0")/common.sh"
"$ROOT/scripts/install-deps.sh"
choose_arch

build_bench disk disk_bench link_delete_bench

. "$ROOT/scripts/wine-session.sh"
SPRUCE_OWN_DISPLAY=1 wine_session_start "$session"
trap wine_session_stop EXIT

"$ROOT/scripts/wine" "$dir/bin/disk_bench.exe" "${1:-50000}" "${2:-3}"
echo
echo "link-safe delete against the other options (blocks of 250 files, 20 rounds):"
"$ROOT/scripts/wine" "$dir/bin/link_delete_bench.exe" 250 20
