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

# build_bench NAME TARGETS...: builds the benchmark programs into the build
# the tests use on this host and sets BUILD, dir (that build) and session (a
# new, empty folder for the benchmark's files and its Wine session).
build_bench() {
  local name=$1
  shift
  BUILD=${SPRUCE_BUILD:-$ROOT/build}
  dir="$BUILD/$SPRUCE_ARCH"
  mkdir -p "$BUILD"
  quietly "$BUILD/bench-$name-build.log" configure_and_build "$dir" "$SPRUCE_ARCH" "$@"
  session="$BUILD/bench-$name"
  rm -rf "$session"
  mkdir -p "$session"
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

# build_release BUILD: builds what a user gets with scripts/release.sh and
# sets package and setup to the zip and the setup program it made (when it
# fails, prints the end of the failing step's log).
build_release() {
  local build=$1
  mkdir -p "$build"
  # The release script prints what it made, one path a line.
  if ! SPRUCE_BUILD="$build" "$ROOT/scripts/release.sh" >"$build/release-made.txt"; then
    cat "$build/release-made.txt"
    return 1
  fi
  package=$(grep -E '[.]zip$' "$build/release-made.txt")
  setup=$(grep -E -- '-setup[.]exe$' "$build/release-made.txt")
}

# release_into_prefix PACKAGE SETUP: checks the package; where 32-bit programs
# run (in the Wine session's prefix) it is also unpacked into a new folder of
# the prefix, which a Windows test starts it from (SPRUCE_RELEASE_FOLDER), and
# the setup program is put in the prefix for the tests that install it
# (SPRUCE_SETUP).
release_into_prefix() {
  local package=$1 setup=$2
  if [ "$SPRUCE_ARCH" = i686 ]; then
    python3 "$ROOT/tests/release/unpack_release.py" "$package" "$WINEPREFIX/drive_c/SpruceRelease" || return 1
    export SPRUCE_RELEASE_FOLDER='C:\SpruceRelease'
    mkdir -p "$WINEPREFIX/drive_c/SpruceSetup"
    cp "$setup" "$WINEPREFIX/drive_c/SpruceSetup/" || return 1
    export SPRUCE_SETUP="C:\\SpruceSetup\\$(basename "$setup")"
  else
    python3 "$ROOT/tests/release/unpack_release.py" "$package" || return 1
    echo "setup program: install tests skipped: this host cannot run 32-bit programs" \
      "(checked without running it: setup_holds_the_stripped_programs)"
  fi
}
