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
  python3 ccache curl openssl
  # The setup program of the release (makensis).
  nsis
)

missing=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need_update=1
fi
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
# A mirror in the middle of a sync can fail one package list (seen: the
# security suite's i386 list) while every package needed is still in the
# others; the install below says so when one is really missing.
update_lists() {
  apt-get update -qq || echo "install-deps: some package lists could not be fetched; going on with the others" >&2
}
if [ "${#missing[@]}" -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  update_lists
  # When a suite's i386 list was the one that failed, its amd64 updates are
  # newer than any i386 package apt can see, and the two halves of a
  # multi-arch library must be one version: then take the release's own
  # suite first, where both halves are.
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null ||
    apt-get install -y -qq --no-install-recommends -o APT::Default-Release="$(. /etc/os-release && echo "$VERSION_CODENAME")" \
      "${missing[@]}" >/dev/null
elif [ "${need_update:-0}" = 1 ]; then
  update_lists
fi

if ! locale -a 2>/dev/null | grep -qi '^ko_KR\.utf8$'; then
  sed -i 's/^# *ko_KR.UTF-8/ko_KR.UTF-8/' /etc/locale.gen
  grep -q '^ko_KR.UTF-8' /etc/locale.gen || echo 'ko_KR.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi
