#!/usr/bin/env bash
# Measures the signature check's SHA-256 under Wine against the host's
# sha256sum on the same file of MB megabytes (default 20), best of RUNS
# (default 5) each, in one run; the two digests must agree.
# Usage: scripts/bench-sha256.sh [MB] [RUNS]
set -euo pipefail
. "$(dirname "$0")/common.sh"
"$ROOT/scripts/install-deps.sh"
choose_arch

mb=${1:-20}
runs=${2:-5}
build_bench sha256 sha256_bench
file="$session/big.bin"
head -c $((mb * 1000 * 1000)) /dev/urandom > "$file"

. "$ROOT/scripts/wine-session.sh"
trap wine_session_stop EXIT
SPRUCE_OWN_DISPLAY=1 wine_session_start "$session"

best_host=
for _ in $(seq "$runs"); do
  start=$(date +%s.%N)
  host_digest=$(sha256sum "$file" | cut -d' ' -f1)
  seconds=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.3f", b - a }')
  best_host=$(awk -v a="$best_host" -v b="$seconds" 'BEGIN { print (a == "" || b < a) ? b : a }')
done
out=$("$ROOT/scripts/wine" "$dir/bin/sha256_bench.exe" "Z:${file//\//\\}" "$runs" | tr -d '\r')
echo "$out"
ours=$(echo "$out" | sed -n 's/^file: \([0-9.]*\) s.*/\1/p')
[ "$(echo "$out" | sed -n 's/^digest //p')" = "$host_digest" ] || { echo "bench-sha256: digests differ" >&2; exit 1; }
awk -v mb="$mb" -v h="$best_host" -v o="$ours" 'BEGIN {
  printf "sha256sum (host): %.3f s, %.1f MB/s\n", h, mb / h
  printf "%d MB file: ours under Wine (%s) takes %.1fx the time of sha256sum on the host\n", mb, ENVIRON["SPRUCE_ARCH"], o / h }'
