# Installs what the build and the tests need on a fresh Debian 12 machine, once.
# Never wine32 or the i386 architecture: this kernel runs no 32-bit Linux code.
AURELON_PACKAGES="cmake make g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 wine64 xvfb xdotool googletest
  x11-apps imagemagick python3 wixl msitools"

install_deps() {
  local missing=() pkg
  for pkg in $AURELON_PACKAGES; do
    dpkg -s "$pkg" >/dev/null 2>&1 || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
