#!/usr/bin/env bash
# Makes the throwaway key pair that signs version files in tests and the
# demo, unless it is there: DIR/update-test.pem (private) and
# DIR/update-test.pub.pem (public, compiled into test and demo builds).
# Usage: scripts/make-update-key.sh [DIR]   (default: build/keys)
# Builds configured at the same time may call this together: the lock keeps
# them from writing the halves of two different pairs.
set -euo pipefail
dir=${1:-$(cd "$(dirname "$0")/.." && pwd)/build/keys}
private="$dir/update-test.pem"
public="$dir/update-test.pub.pem"
command -v openssl >/dev/null || { echo "make-update-key: openssl is needed" >&2; exit 2; }
mkdir -p "$dir"
exec 9>"$dir/.lock"
flock 9
if [ ! -s "$private" ]; then
  openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -pkeyopt rsa_keygen_pubexp:65537 \
    -out "$private.tmp" 2>/dev/null
  chmod 600 "$private.tmp"
  mv "$private.tmp" "$private"
  rm -f "$public"
fi
if [ ! -s "$public" ]; then
  openssl pkey -in "$private" -pubout -out "$public.tmp"
  mv "$public.tmp" "$public"
fi
