# Shared settings of the build, run and test scripts (sourced, not run).
# SPRUCE_ARCH: the Windows programs are 32-bit (i686). On a host whose kernel
# cannot execute 32-bit code (no IA-32 emulation, e.g. some VM guests) 32-bit
# Wine cannot start, so the programs that run here are built for x86_64 from
# the same sources and run under 64-bit Wine; the i686 build is still made.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# One UTF-8 locale for everything the scripts run, whatever the caller has:
# in the POSIX locale (a bare install or container sets none) the archive
# library cannot name "읽어보기.txt" in the package, and Korean names and
# text pass through Python, iconv and ImageMagick as bytes of no known code.
# C.UTF-8 is built into Debian's C library, so every machine has it. Wine
# alone runs in Korean: wine-session.sh sets LANG=ko_KR.UTF-8 for it, which
# is why no LC_* variable may stay set to override it.
for locale_var in $(compgen -e | grep -E '^LC_' || true); do unset "$locale_var"; done
unset locale_var LANGUAGE
export LANG=C.UTF-8

can_run_32bit() {
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

# choose_arch: sets SPRUCE_ARCH unless the caller did. Call it only after
# install-deps.sh: before Wine is installed no host looks 32-bit capable.
choose_arch() {
  if [ -z "${SPRUCE_ARCH:-}" ]; then
    if can_run_32bit; then SPRUCE_ARCH=i686; else SPRUCE_ARCH=x86_64; fi
  fi
  export SPRUCE_ARCH
}

# configure_and_build DIR ARCH: the cross build of the Windows programs.
configure_and_build() {
  local dir=$1 arch=$2
  cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw.cmake" -DSPRUCE_ARCH="$arch" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$ROOT/scripts/wine" >/dev/null
  ninja -C "$dir" "${@:3}"
}

# configure_and_build_release DIR [TARGETS...]: the shipped 32-bit programs,
# with the compilers' Win32 thread model (see cmake/toolchain-mingw.cmake).
configure_and_build_release() {
  local dir=$1
  cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw.cmake" -DSPRUCE_ARCH=i686 \
    -DSPRUCE_THREADS=win32 >/dev/null
  ninja -C "$dir" "${@:2}"
}

# quietly LOG command...: runs the command with its output in LOG, and shows
# the end of LOG when it fails.
quietly() {
  local log=$1
  shift
  if ! "$@" >"$log" 2>&1; then
    tail -n 60 "$log"
    return 1
  fi
}
