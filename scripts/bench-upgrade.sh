#!/usr/bin/env bash
# Measures the updater's download speed under Wine against curl on the same
# local site server in the same run: a file of MB megabytes (default 20)
# served by scripts/site_server.py on 127.0.0.1, fetched RUNS times (default
# 5) by each in turn; the median ratio of the pairs is the figure. The
# updater checks the file's SHA-256 as it arrives, as for every listed file;
# curl checks nothing.
# Usage: scripts/bench-upgrade.sh [MB] [RUNS]
set -euo pipefail
. "$(dirname "$0")/common.sh"
"$ROOT/scripts/install-deps.sh"
choose_arch
command -v curl >/dev/null || { echo "bench-upgrade: curl is needed" >&2; exit 2; }

mb=${1:-20}
runs=${2:-5}
build_bench upgrade upgrade_bench
mkdir -p "$session/site/spruce"
head -c $((mb * 1000 * 1000)) /dev/urandom > "$session/site/spruce/big.bin"
size=$(stat -c %s "$session/site/spruce/big.bin")
digest=$(sha256sum "$session/site/spruce/big.bin" | cut -d' ' -f1)

python3 "$ROOT/scripts/site_server.py" --port 0 --port-file "$session/port" \
  --root "$session/site" --exit-after 1800 >"$session/site.log" 2>&1 &
site_pid=$!
. "$ROOT/scripts/wine-session.sh"
trap 'kill $site_pid 2>/dev/null || true; wine_session_stop' EXIT
for _ in $(seq 100); do [ -s "$session/port" ] && break; sleep 0.1; done
base="http://127.0.0.1:$(cat "$session/port")/spruce"

# curl and the updater take turns, so that both meet the same load of a
# shared machine; each pair gives a ratio. Both save the file: curl into the
# same session folder the updater's temporary files go to.
SPRUCE_OWN_DISPLAY=1 wine_session_start "$session"
best_curl=0
best_updater=0
ratios=()
for i in $(seq "$runs"); do
  curl_speed=$(curl -s -o "$session/curl-big.bin" -w '%{speed_download}' "$base/big.bin")
  rm -f "$session/curl-big.bin"
  curl_mb=$(awk -v s="$curl_speed" 'BEGIN { printf "%.1f", s / 1e6 }')
  out=$("$ROOT/scripts/wine" "$dir/bin/upgrade_bench.exe" "$base" big.bin "$size" "$digest" 1 | tr -d '\r')
  updater_mb=$(echo "$out" | sed -n 's/^updater (best of [0-9]*): \([0-9.]*\) MB\/s$/\1/p')
  echo "run $i: curl $curl_mb MB/s; $(echo "$out" | sed -n 's/^run 1: //p')"
  ratios+=("$(awk -v u="$updater_mb" -v c="$curl_mb" 'BEGIN { printf "%.0f", 100 * u / c }')")
  best_curl=$(awk -v a="$best_curl" -v b="$curl_mb" 'BEGIN { print (b > a) ? b : a }')
  best_updater=$(awk -v a="$best_updater" -v b="$updater_mb" 'BEGIN { print (b > a) ? b : a }')
done
median=$(printf '%s\n' "${ratios[@]}" | sort -n | awk '{ r[NR] = $1 } END { print r[int((NR + 1) / 2)] }')
echo "best: curl $best_curl MB/s, updater $best_updater MB/s"
echo "$mb MB file: updater at ${median}% of curl's throughput (median of the $runs paired runs: ${ratios[*]}; goal: 50% or more)"
