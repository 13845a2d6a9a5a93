#!/usr/bin/env bash
# Writes the folder the update server serves under /spruce: the shipped
# programs, "version.dat" listing each with its size and SHA-256, and, when
# SPRUCE_SIGNING_KEY names the publisher's private key (PEM), "version.sig",
# the signature both programs check before they believe the version file.
# Usage: scripts/make-update-folder.sh PROGRAMS_DIR VERSION [OUT_DIR]
#   PROGRAMS_DIR  the shipped Spruce.exe, SpruceUp.exe and ForceDel.dll
#   VERSION       the version they carry, e.g. 1.0.1
#   OUT_DIR       default build/update (only the files named here are replaced)
# The signing key is checked against the public key compiled into both
# programs: a version file they would refuse is never written out as signed.
# Programs that carry the throwaway test key are said loudly to be for
# testing only.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
[ $# -ge 2 ] || { sed -n '2,13p' "$0" >&2; exit 2; }
programs=$1
version=$2
out=${3:-$ROOT/build/update}
command -v openssl >/dev/null || { echo "make-update-folder: openssl is needed" >&2; exit 2; }

# A version is one line without colons: the version file cuts values there.
if [[ ! "$version" =~ ^[0-9A-Za-z._-]+$ ]]; then
  echo "make-update-folder: '$version' is not a version (digits, letters, dots)" >&2
  exit 2
fi
files=()
for name in Spruce.exe SpruceUp.exe ForceDel.dll; do
  if [ -f "$programs/$name" ]; then
    files+=("$name")
  elif [ "$name" != ForceDel.dll ]; then
    echo "make-update-folder: $programs/$name is missing" >&2
    exit 2
  fi
done

# The base64 lines of a PEM public key, each of which the programs hold
# byte for byte when they carry that key.
carries_key() {
  local program=$1 pem=$2 line
  while IFS= read -r line; do
    case "$line" in -----*|'') continue ;; esac
    grep -qaF -- "$line" "$program" || return 1
  done < "$pem"
}

mkdir -p "$out"
rm -f "$out/version.dat" "$out/version.sig" "$out/version.dat.new"
{
  printf 'Version: %s\r\n' "$version"
  for name in "${files[@]}"; do
    cp "$programs/$name" "$out/$name.new"
    mv "$out/$name.new" "$out/$name"
    printf 'Filename: %s %s %s\r\n' "$name" "$(stat -c %s "$out/$name")" \
      "$(sha256sum "$out/$name" | cut -d' ' -f1)"
  done
} > "$out/version.dat.new"
mv "$out/version.dat.new" "$out/version.dat"

test_key="$ROOT/build/keys/update-test.pub.pem"
if [ -s "$test_key" ] && carries_key "$programs/Spruce.exe" "$test_key"; then
  cat >&2 <<EOF
##############################################################################
# WARNING: these programs carry the THROWAWAY TEST KEY ($test_key).
# They accept updates signed by anyone who has this repository's build
# folder. The update folder $out is for testing only.
# For a release, build with SPRUCE_UPDATE_PUBKEY naming the publisher's key.
##############################################################################
EOF
fi

if [ -z "${SPRUCE_SIGNING_KEY:-}" ]; then
  echo "make-update-folder: $out/version.dat written, NOT signed (set SPRUCE_SIGNING_KEY);" \
       "sign it on the publisher's machine with:" >&2
  echo "  openssl dgst -sha256 -sign PRIVATE.pem -out $out/version.sig $out/version.dat" >&2
  exit 0
fi
[ -r "$SPRUCE_SIGNING_KEY" ] || { echo "make-update-folder: cannot read $SPRUCE_SIGNING_KEY" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
openssl pkey -in "$SPRUCE_SIGNING_KEY" -pubout -out "$work/public.pem"
for name in Spruce.exe SpruceUp.exe; do
  if ! carries_key "$programs/$name" "$work/public.pem"; then
    echo "make-update-folder: $name does not carry the public half of $SPRUCE_SIGNING_KEY:" \
         "it would refuse this update (build with SPRUCE_UPDATE_PUBKEY naming that public key)" >&2
    exit 1
  fi
done
openssl dgst -sha256 -sign "$SPRUCE_SIGNING_KEY" -out "$out/version.sig.new" "$out/version.dat"
openssl dgst -sha256 -verify "$work/public.pem" -signature "$out/version.sig.new" "$out/version.dat" >/dev/null
mv "$out/version.sig.new" "$out/version.sig"
echo "make-update-folder: $out holds version $version (${files[*]}), signed"
