#!/usr/bin/env bash
# Measures the updater's download speed under Wine against curl on the same
# local site server in the same run: a file of MB megabytes (default 20)
# served by scripts/site_server.py on 127.0.0.1, fetched RUNS times (default
# 3) by each, best run kept.  Usage: scripts/bench-upgrade.sh [MB] [RUNS]
set -euo pipefail
. "$(dirname "$0")/common.sh"
"$ROOT/scripts/install-deps.sh"
choose_arch
command -v curl >/dev/null || { echo "bench-upgrade: curl is needed" >&2; exit 2; }

BUILD=${SPRUCE_BUILD:-$ROOT/build}
dir="$BUILD/$SPRUCE_ARCH"
mb=${1:-20}
runs=${2:-3}
mkdir -p "$BUILD"
quietly "$BUILD/bench-upgrade-build.log" configure_and_build "$dir" "$SPRUCE_ARCH" upgrade_bench

session="$BUILD/bench-upgrade"
rm -rf "$session"
mkdir -p "$session/site/spruce"
head -c $((mb * 1000 * 1000)) /dev/urandom > "$session/site/spruce/big.bin"
size=$(stat -c %s "$session/site/spruce/big.bin")

python3 "$ROOT/scripts/site_server.py" --port 0 --port-file "$session/port" \
  --root "$session/site" --exit-after 1800 >"$session/site.log" 2>&1 &
site_pid=$!
. "$ROOT/scripts/wine-session.sh"
trap 'kill $site_pid 2>/dev/null || true; wine_session_stop' EXIT
for _ in $(seq 100); do [ -s "$session/port" ] && break; sleep 0.1; done
base="http://127.0.0.1:$(cat "$session/port")/spruce"

best_curl=0
for i in $(seq "$runs"); do
  speed=$(curl -s -o /dev/null -w '%{speed_download}' "$base/big.bin")
  echo "run $i: curl $(awk -v s="$speed" 'BEGIN { printf "%.1f", s / 1e6 }') MB/s"
  best_curl=$(awk -v a="$best_curl" -v b="$speed" 'BEGIN { print (b > a) ? b : a }')
done

SPRUCE_OWN_DISPLAY=1 wine_session_start "$session"
out=$("$ROOT/scripts/wine" "$dir/bin/upgrade_bench.exe" "$base" big.bin "$size" "$runs" | tr -d '\r')
echo "$out"
updater=$(echo "$out" | sed -n 's/^updater (best of [0-9]*): \([0-9.]*\) MB\/s$/\1/p')
awk -v c="$best_curl" -v u="$updater" -v mb="$mb" 'BEGIN {
  printf "curl (best of runs): %.1f MB/s\n", c / 1e6
  printf "%d MB file: updater at %.0f%% of curl'"'"'s throughput (goal: 50%% or more)\n", mb, 100 * u / (c / 1e6)
}'
