#!/usr/bin/env bash
# Installs what building, running and testing Spruce needs on Debian 12.
# Idempotent: packages already present are not fetched again.
set -euo pipefail

packages=(
  cmake ninja-build clang llvm libclang-rt-14-dev googletest libgtest-dev
  # Both targets: whether this host runs the i686 or the x86_64 build is
  # known only once Wine is installed.
  g++-mingw-w64-i686 binutils-mingw-w64-i686
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  wine wine32:i386 wine64
  xvfb x11-apps x11-utils xdotool imagemagick
  fonts-nanum locales
  python3 ccache curl
)

missing=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need_update=1
fi
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
elif [ "${need_update:-0}" = 1 ]; then
  apt-get update -qq
fi

if ! locale -a 2>/dev/null | grep -qi '^ko_KR\.utf8$'; then
  sed -i 's/^# *ko_KR.UTF-8/ko_KR.UTF-8/' /etc/locale.gen
  grep -q '^ko_KR.UTF-8' /etc/locale.gen || echo 'ko_KR.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi
