# What the scripts, the build, the tests, the screenshots, the installer packages and the
# benchmark need from a Debian 12 machine. AURELON_PACKAGES is what gets installed;
# AURELON_USES is every outside thing the scripts and tests use: a command (looked up on
# PATH, as the scripts do), an absolute file, or py:MODULE for a module that /usr/bin/python3
# imports. check_deps proves that the packages bring every use. Debian's essential packages
# (coreutils, util-linux, sed, grep, mawk, dpkg, bash) are on every system and not listed.
# Never wine32 or the i386 architecture on the machine itself: this kernel runs no 32-bit
# Linux code. 32-bit Wine lives in an emulated i386 root (scripts/lib/wine32.sh).
AURELON_PACKAGES="cmake make googletest
  g++-mingw-w64-x86-64-win32 g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine64 wine fonts-wine fonts-sawarabi-gothic locales xvfb xdotool imagemagick python3 python3-pil git debootstrap dpkg-dev wixl msitools apt mount"
AURELON_USES="cmake ctest make /usr/src/googletest/CMakeLists.txt
  x86_64-w64-mingw32-g++-win32 x86_64-w64-mingw32-gcc-win32 i686-w64-mingw32-g++-win32 i686-w64-mingw32-gcc-win32
  x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-gcc-posix i686-w64-mingw32-g++-posix i686-w64-mingw32-gcc-posix
  x86_64-w64-mingw32-windres x86_64-w64-mingw32-objdump x86_64-w64-mingw32-dlltool
  i686-w64-mingw32-windres i686-w64-mingw32-dlltool i686-w64-mingw32-ar i686-w64-mingw32-objdump i686-w64-mingw32-c++filt
  /usr/lib/wine/wine64 wine wineboot wineserver regedit /usr/share/wine/fonts/marlett.ttf
  /usr/lib/wine/wineserver64 /usr/lib/x86_64-linux-gnu/libc.so.6 /usr/lib/x86_64-linux-gnu/ld-linux-x86-64.so.2
  /usr/share/fonts/truetype/sawarabi-gothic/sawarabi-gothic-medium.ttf localedef /usr/share/i18n/locales/ja_JP
  Xvfb xdotool import git debootstrap dpkg-source wixl msibuild apt-get mount umount
  /usr/bin/python3 py:PIL py:io py:os py:re py:subprocess py:tempfile py:time py:traceback py:math py:struct py:sys py:xml.sax.saxutils py:zipfile py:bisect"

install_deps() {
  local missing=() pkg
  for pkg in $AURELON_PACKAGES; do
    dpkg -s "$pkg" >/dev/null 2>&1 || missing+=("$pkg")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    local sudo=
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
  check_deps
}

# The installed packages that the given ones depend on (Depends and Pre-Depends, through
# virtual packages), the given ones included: what installing them is sure to bring.
deps_closure() {
  dpkg-query -W -f='${db:Status-Abbrev}\t${Package}\t${Provides}\t${Depends}, ${Pre-Depends}\n' |
    awk -F'\t' -v roots="$*" '
      function bare(name) { gsub(/\([^)]*\)|\[[^]]*\]|:[a-z0-9-]+| /, "", name); return name }
      $1 == "ii " {
        installed[$2] = 1; deps[$2] = $4
        n = split($3, provided, ",")
        for (i = 1; i <= n; i++) if ((p = bare(provided[i])) != "") providers[p] = providers[p] " " $2
      }
      END {
        n = split(roots, queue, " ")
        for (i = 1; i <= n; i++) seen[queue[i]] = 1
        for (i = 1; i <= n; i++) {
          print queue[i]
          m = split(deps[queue[i]], clauses, ",")
          for (j = 1; j <= m; j++) {
            k = split(clauses[j], alternatives, "|")
            for (l = 1; l <= k; l++) {
              if ((name = bare(alternatives[l])) == "") continue
              c = split(installed[name] ? name : providers[name], found, " ")
              for (x = 1; x <= c; x++) if (!seen[found[x]]) { seen[found[x]] = 1; queue[++n] = found[x] }
            }
          }
        }
      }'
}

# The file that a use names, resolved through symbolic links; nothing when it is missing.
# A module built into the interpreter is the interpreter's file.
deps_file() {
  local file
  case $1 in
    py:*) file=$(/usr/bin/python3 -c "import sys, ${1#py:} as m; print(getattr(m, '__file__', None) or sys.executable)" 2>/dev/null) || file= ;;
    /*) file=$1 ;;
    *) file=$(command -v "$1") || file= ;;
  esac
  [ -n "$file" ] && [ -e "$file" ] && readlink -f "$file"
  return 0
}

# Fails, with one line for each, when a use is missing or comes from a package that the
# list does not bring: a tool installed by hand would otherwise keep a run green on one
# machine and fail on a clean one.
check_deps() {
  local use file uses=() files=() owners owner closure status=0 i
  for use in $AURELON_USES; do
    file=$(deps_file "$use")
    if [ -z "$file" ]; then
      echo "deps: ${use#py:} is missing: add the package that provides it to scripts/lib/deps.sh" >&2
      status=1
      continue
    fi
    uses+=("$use")
    files+=("$file")
  done
  closure=" $(deps_closure $AURELON_PACKAGES | tr '\n' ' ') "
  # One query for all files: "package[:arch][, package...]: file" per line. Debian 12
  # merges /bin into /usr/bin, while dpkg may still know a file by its old path.
  owners=$(dpkg -S "${files[@]}" "${files[@]#/usr}" 2>/dev/null |
    sed -n 's/^\([^:,]*\)[^ ]*: \(.*\)$/\2 \1/p' || true)
  for i in "${!uses[@]}"; do
    use=${uses[$i]} file=${files[$i]}
    owner=$(awk -v f="$file" -v g="${file#/usr}" '$1 == f || $1 == g { print $2; exit }' <<<"$owners")
    if [ -z "$owner" ]; then
      echo "deps: ${use#py:} is $file, which no package installed: remove it and add the package that provides it to scripts/lib/deps.sh" >&2
      status=1
    elif [[ $closure != *" $owner "* ]]; then
      echo "deps: ${use#py:} comes from package $owner, which scripts/lib/deps.sh does not bring: add $owner" >&2
      status=1
    fi
  done
  [ $status -eq 0 ] || echo "deps: the list in scripts/lib/deps.sh does not cover what the scripts use" >&2
  return $status
}

# The first http(s) mirror that apt's sources give for bookworm, in either source format.
debian_mirror() {
  debian_mirrors | head -n 1
}
debian_mirrors() {
  local file
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    awk 'BEGIN { RS = ""; FS = "\n" }
      { uri = ""; suite = 0
        for (i = 1; i <= NF; i++) {
          if ($i ~ /^URIs:/) { split($i, u, " "); uri = u[2] }
          if ($i ~ /^Suites:/ && $i ~ /[ \t]bookworm([ \t]|$)/) suite = 1
        }
        if (uri != "" && suite) { print uri; exit } }' "$file"
  done
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$file" ] || continue
    awk '$1 == "deb" { i = 2; if ($2 ~ /^\[/) while ($i !~ /\]$/) i++; if ($2 ~ /^\[/) i++
                       if ($(i + 1) == "bookworm") { print $i; exit } }' "$file"
  done
}
