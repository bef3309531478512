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
  # Wine maps Windows file names to Unix ones through the locale's character set: under the
  # POSIX locale of a bare system, names outside ASCII cannot be made. C.UTF-8 is on every
  # Debian system, so every caller gets the same behaviour.
  export LC_ALL=C.UTF-8
  unset LANGUAGE
  # The languages the program speaks, for the test runs in each of them (LC_ALL picks
  # Wine's language and ANSI code page; tests/CMakeLists.txt): compiled into the build tree,
  # since a bare system has no locale but C.UTF-8. Such a run has LOCPATH=$AURELON_LOCPATH.
  export AURELON_LOCPATH="$build/locale:/usr/lib/locale"
  mkdir -p "$AURELON_WINE_HOME"
}

wine_locales() {
  local dir=${AURELON_LOCPATH%%:*} name
  for name in de_DE fr_FR es_ES it_IT ja_JP; do
    [ -d "$dir/$name.UTF-8" ] && continue
    mkdir -p "$dir"
    localedef -i "$name" -f UTF-8 "$dir/$name.UTF-8" >/dev/null 2>&1 || {
      echo "wine: localedef could not make the locale $name.UTF-8 in $dir" >&2
      return 1
    }
  done
}

# Runs wine with the scratch HOME, so the prefix never links into the real home.
wine_cmd() {
  HOME="$AURELON_WINE_HOME" timeout 300 wine "$@"
}

# Waits for the wine server to end its work, within SECONDS (default 120).
wine_wait_server() {
  HOME="$AURELON_WINE_HOME" timeout "${1:-120}" wineserver -w || {
    echo "wine: the wine server did not settle within ${1:-120} s" >&2
    return 1
  }
}

wine_prefix_setup() {
  [ -f "$WINEPREFIX/.aurelon-ready" ] && return 0
  echo "Creating the Wine prefix $WINEPREFIX (once)..."
  HOME="$AURELON_WINE_HOME" timeout 600 wineboot -i >/dev/null 2>&1 || {
    echo "wine: wineboot could not create the prefix $WINEPREFIX" >&2
    return 1
  }
  wine_wait_server 300
  # A crash ends the process with a backtrace instead of waiting for a debugger.
  wine_cmd reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  # One virtual desktop with a task bar and a notification area for every program.
  wine_cmd reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null 2>&1
  wine_cmd reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d "${AURELON_DESKTOP_SIZE:-1024x768}" /f >/dev/null 2>&1
  wine_wait_server 120
  touch "$WINEPREFIX/.aurelon-ready"
}

# Japanese Windows draws its dialogs in MS UI Gothic; Sawarabi Gothic (Debian's
# fonts-sawarabi-gothic) stands in for it.
wine_fonts() {
  wine_cmd reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /d 'Sawarabi Gothic' /f >/dev/null 2>&1
}

# Starts a private Xvfb and exports DISPLAY. Xvfb picks a free display itself and names it
# once it accepts clients: display sockets are also abstract ones, shared by every root of
# the machine, so a free lock file does not prove a display free.
xvfb_start() {
  local said log display=
  said=$(mktemp) log=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${AURELON_SCREEN_SIZE:-1280x800x24}" -nolisten tcp 3>"$said" >"$log" 2>&1 &
  AURELON_XVFB_PID=$!
  for _ in $(seq 300); do
    display=$(tr -dc 0-9 <"$said")
    [ -n "$display" ] && break
    kill -0 "$AURELON_XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$said"
  if [ -n "$display" ]; then
    export DISPLAY=":$display"
    rm -f "$log"
    return 0
  fi
  echo "wine: Xvfb did not come up (screen ${AURELON_SCREEN_SIZE:-1280x800x24}):" >&2
  tail -n 5 "$log" >&2
  rm -f "$log"
  kill "$AURELON_XVFB_PID" 2>/dev/null || true
  AURELON_XVFB_PID=
  return 1
}

# Starts Xvfb (unless DISPLAY is set and AURELON_OWN_DISPLAY is not 1), a persistent
# server and the desktop. Fails with a message when one of them does not come up.
wine_start() {
  AURELON_XVFB_PID=
  if [ -z "${DISPLAY:-}" ] || [ "${AURELON_OWN_DISPLAY:-0}" = 1 ]; then
    xvfb_start || return 1
  fi
  wine_prefix_setup || return 1
  wine_locales || return 1
  (HOME="$AURELON_WINE_HOME" setsid wineserver -p >/dev/null 2>&1 </dev/null &)
  # The first GUI process would start the desktop (explorer) with its own output
  # inherited, holding a caller's pipe open until the end; start it here instead.
  wine_fonts
  (HOME="$AURELON_WINE_HOME" setsid wine explorer.exe "/desktop=shell,${AURELON_DESKTOP_SIZE:-1024x768}" \
    >/dev/null 2>&1 </dev/null &)
  # The desktop is up when its X window is (Wine's tasklist is only a stub).
  local deadline=$((SECONDS + 60))
  while [ $SECONDS -lt $deadline ]; do
    timeout 10 xdotool search --name '^shell - Wine desktop$' >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "wine: the Wine desktop (explorer.exe) did not appear on $DISPLAY within 60 s" >&2
  return 1
}

wine_stop() {
  [ -n "${WINEPREFIX:-}" ] && HOME="$AURELON_WINE_HOME" timeout 30 wineserver -k >/dev/null 2>&1 || true
  if [ -n "${AURELON_XVFB_PID:-}" ]; then
    kill "$AURELON_XVFB_PID" 2>/dev/null || true
    wait "$AURELON_XVFB_PID" 2>/dev/null || true
    AURELON_XVFB_PID=
  fi
}
