# Shared by scripts/test, scripts/run and the benchmarks: a private Wine prefix inside
# a build tree, one persistent wine server, and an Xvfb display when none is given.
# Source this file, then call wine_env BUILD_DIR, wine_start and (at the end) wine_stop.

wine_env() {
  local build
  build=$(cd "$1" && pwd)
  export WINEPREFIX="$build/wineprefix"
  export AURELON_WINE_HOME="$build/winehome"
  export WINEDEBUG="${WINEDEBUG:--all}"
  export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d"
  mkdir -p "$AURELON_WINE_HOME"
}

# Runs wine with the scratch HOME, so the prefix never links into the real home.
wine_cmd() {
  HOME="$AURELON_WINE_HOME" timeout 300 wine "$@"
}

wine_prefix_setup() {
  [ -f "$WINEPREFIX/.aurelon-ready" ] && return 0
  echo "Creating the Wine prefix $WINEPREFIX (once)..."
  HOME="$AURELON_WINE_HOME" timeout 600 wineboot -i >/dev/null 2>&1
  HOME="$AURELON_WINE_HOME" wineserver -w
  # A crash ends the process with a backtrace instead of waiting for a debugger.
  wine_cmd reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  # One virtual desktop with a task bar and a notification area for every program.
  wine_cmd reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null 2>&1
  wine_cmd reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d "${AURELON_DESKTOP_SIZE:-1024x768}" /f >/dev/null 2>&1
  HOME="$AURELON_WINE_HOME" wineserver -w
  touch "$WINEPREFIX/.aurelon-ready"
}

# Starts Xvfb (unless DISPLAY is set or AURELON_KEEP_DISPLAY is 1) and a persistent server.
wine_start() {
  AURELON_XVFB_PID=
  if [ -z "${DISPLAY:-}" ] || [ "${AURELON_OWN_DISPLAY:-0}" = 1 ]; then
    local n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 "${AURELON_SCREEN_SIZE:-1280x800x24}" -nolisten tcp >/dev/null 2>&1 &
    AURELON_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  fi
  wine_prefix_setup
  (HOME="$AURELON_WINE_HOME" setsid wineserver -p >/dev/null 2>&1 </dev/null &)
  # The first GUI process would start the desktop (explorer) with its own output
  # inherited, holding a caller's pipe open until the end; start it here instead.
  (HOME="$AURELON_WINE_HOME" setsid wine explorer.exe "/desktop=shell,${AURELON_DESKTOP_SIZE:-1024x768}" \
    >/dev/null 2>&1 </dev/null &)
  for _ in $(seq 100); do
    HOME="$AURELON_WINE_HOME" wine tasklist 2>/dev/null | grep -qi explorer && break
    sleep 0.1
  done
}

wine_stop() {
  HOME="$AURELON_WINE_HOME" wineserver -k >/dev/null 2>&1 || true
  if [ -n "${AURELON_XVFB_PID:-}" ]; then
    kill "$AURELON_XVFB_PID" 2>/dev/null || true
    wait "$AURELON_XVFB_PID" 2>/dev/null || true
  fi
}
