# Starts and stops a Wine session for the tests or the demo (sourced):
#   wine_session_start DIR   prefix DIR/prefix, XDG data DIR/xdg, an Xvfb
#                            display unless one is given, a warm wineserver
#   wine_session_stop
# Everything lives under DIR, so nothing outside it is touched.

wine_session_start() {
  local dir=$1
  mkdir -p "$dir/xdg"
  export WINEPREFIX="$dir/prefix"
  export XDG_DATA_HOME="$dir/xdg"
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=ko_KR.UTF-8
  if [ "$SPRUCE_ARCH" = x86_64 ]; then export WINEARCH=win64; else export WINEARCH=win32; fi
  export WINESERVER=/usr/lib/wine/wineserver

  SPRUCE_XVFB_PID=
  if [ -z "${DISPLAY:-}" ] || [ "${SPRUCE_OWN_DISPLAY:-0}" = 1 ]; then
    local n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    SPRUCE_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  fi

  # The standard streams of these two must not be the caller's: Wine's
  # background services inherit them and the caller would wait forever.
  # The server wants the prefix folder to exist; Wine fills an empty one.
  mkdir -p "$WINEPREFIX"
  "$WINESERVER" -p 600 </dev/null >/dev/null 2>&1 || true
  "$ROOT/scripts/wine" cmd /c exit </dev/null >/dev/null 2>&1 || true
  # Without a window manager Wine waits 2 s whenever a window closes.
  "$ROOT/scripts/wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
    </dev/null >/dev/null 2>&1 || true
}

wine_session_stop() {
  "${WINESERVER:-wineserver}" -k </dev/null >/dev/null 2>&1 || true
  if [ -n "${SPRUCE_XVFB_PID:-}" ]; then kill "$SPRUCE_XVFB_PID" 2>/dev/null || true; fi
}
