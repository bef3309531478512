# The emulated 32-bit Windows of the tests. This kernel runs no 32-bit code, so 32-bit Wine
# runs in an i386 Debian 12 root, every i386 program of which the emulator qemu-i386 runs
# (registered in binfmt_misc with flag F, so it works inside the root). The emulator is
# qemu 10, from Debian 13's qemu-user package: Debian 12's 7.2 shares one table of
# thread-local segments between the threads of a process, which breaks every multi-threaded
# Wine process. Root and emulator are made once, in build/wine32; making them needs root.
# Source deps.sh first; needs $top.
#   wine32_setup: makes (once) what is missing, mounts the root, puts its Wine on PATH
#   wine32_unmount: ends the root's processes and undoes the mounts

wine32_dir=${AURELON_WINE32_DIR:-$top/build/wine32}
wine32_root="$wine32_dir/root"
wine32_qemu="$wine32_dir/qemu-i386"
wine32_mounts=()

wine32_need_root() {
  [ "$(id -u)" -eq 0 ] && return 0
  echo "wine32: $1 needs root: run scripts/test as root (the 32-bit tests run in an emulated i386 root)" >&2
  exit 2
}

# qemu-i386 from Debian 13, fetched with a source list, state and cache of its own, so that
# this machine's apt set-up stays as it is. Its binaries are static: the one file is enough.
wine32_fetch_qemu() {
  [ -x "$wine32_qemu" ] && return 0
  local apt="$wine32_dir/apt" mirror
  mirror=$(debian_mirror)
  mkdir -p "$apt/lists/partial" "$apt/archives/partial" "$apt/etc/sources.list.d" "$apt/etc/preferences.d"
  echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror trixie main" >"$apt/etc/sources.list"
  local options=(-o "Dir::Etc=$apt/etc" -o "Dir::State=$apt" -o "Dir::State::Lists=$apt/lists"
                 -o "Dir::Cache=$apt" -o "Dir::Cache::Archives=$apt/archives" -o "Debug::NoLocking=1"
                 -o "APT::Sandbox::User=root")
  echo "wine32: fetching qemu-i386 (Debian 13's qemu-user) from $mirror..."
  # A mirror in the middle of a sync can fail one index: try the update once more.
  apt-get "${options[@]}" update -qq || apt-get "${options[@]}" update -qq
  (cd "$apt/archives" && apt-get "${options[@]}" download -qq qemu-user)
  rm -rf "$apt/unpacked"
  dpkg-deb -x "$apt"/archives/qemu-user_*.deb "$apt/unpacked"
  cp "$apt/unpacked/usr/bin/qemu-i386" "$wine32_qemu.new"
  rm -rf "$apt/unpacked"
  "$wine32_qemu.new" --version | head -n 1
  mv "$wine32_qemu.new" "$wine32_qemu"
}

# i386 ELF files run through qemu-i386. Flag F opens the emulator now, so the root needs
# no copy of it, and an entry of ours stays good whatever becomes of the file it named (it
# may be another build tree's, or another root's): it is kept. Any other emulator registered
# for them (an older qemu) is replaced.
wine32_register() {
  local binfmt=/proc/sys/fs/binfmt_misc entry
  [ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt"
  entry=$binfmt/aurelon-i386
  [ -e "$entry" ] && grep -qx enabled "$entry" && grep -qx 'flags: F' "$entry" && return 0
  for entry in "$binfmt"/*; do
    case $(basename "$entry") in register|status) continue ;; esac
    grep -q '^magic 7f454c46010101000000000000000000020003' "$entry" 2>/dev/null && echo -1 >"$entry"
  done
  printf '%s' ':aurelon-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xff\xff\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$wine32_qemu"':F' \
    >"$binfmt/register"
}

# What the root holds beyond its base system: 32-bit Wine and the fonts the tests draw with.
wine32_packages="wine wine32 fonts-wine fonts-sawarabi-gothic"

# The i386 Debian 12 root with those packages; a root made with fewer gets the rest.
wine32_make_root() {
  local ready="$wine32_root/.aurelon-ready" mirror start=$SECONDS
  [ -f "$ready" ] && [ "$(cat "$ready")" = "$wine32_packages" ] && return 0
  if [ ! -f "$ready" ]; then
    mirror=$(debian_mirror)
    echo "wine32: making the i386 Debian 12 root $wine32_root (once, about 6 min)..."
    # Never through a mount: a root left mounted holds this source tree.
    wine32_unmount
    rm -rf --one-file-system "$wine32_root"
    mkdir -p "$wine32_root"
    debootstrap --arch=i386 --variant=minbase bookworm "$wine32_root" "$mirror" >"$wine32_dir/debootstrap.log" 2>&1 || {
      tail -n 20 "$wine32_dir/debootstrap.log" >&2
      echo "wine32: debootstrap failed (log: $wine32_dir/debootstrap.log)" >&2
      return 1
    }
    cp /etc/resolv.conf "$wine32_root/etc/resolv.conf"
  fi
  wine32_mount
  chroot "$wine32_root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive \
    /bin/sh -c "apt-get update -qq || apt-get update -qq; apt-get install -y -qq --no-install-recommends $wine32_packages" \
    >"$wine32_dir/wine-install.log" 2>&1 || {
    tail -n 20 "$wine32_dir/wine-install.log" >&2
    echo "wine32: installing $wine32_packages in the root failed (log: $wine32_dir/wine-install.log)" >&2
    return 1
  }
  echo "$wine32_packages" >"$ready"
  echo "wine32: the root took $((SECONDS - start)) s"
}

# The wine server of 64-bit Debian Wine, as a multiarch installation has it, with the C
# library it needs, from the machine's own wine64. It runs natively and serves the 32-bit
# processes as their own server would: the emulator offers emulated programs no ptrace, so
# an emulated server cannot read or write another process's memory (a process list with
# names, another program's tooltip texts). Client and server must be one Wine version.
wine32_native_server() {
  local lib=/usr/lib/x86_64-linux-gnu root_version host_version
  [ -x "$wine32_root/usr/lib/wine/wineserver64" ] && return 0
  root_version=$(chroot "$wine32_root" dpkg-query -W -f='${Version}' wine32:i386)
  host_version=$(dpkg-query -W -f='${Version}' wine64)
  if [ "$root_version" != "$host_version" ]; then
    echo "wine32: the root's Wine is $root_version, this machine's wine64 $host_version: make the root again (rm -rf --one-file-system $wine32_root)" >&2
    return 1
  fi
  mkdir -p "$wine32_root$lib" "$wine32_root/lib64"
  cp "$lib/ld-linux-x86-64.so.2" "$lib/libc.so.6" "$wine32_root$lib/"
  ln -sf "$lib/ld-linux-x86-64.so.2" "$wine32_root/lib64/ld-linux-x86-64.so.2"
  cp /usr/lib/wine/wineserver64 "$wine32_root/usr/lib/wine/wineserver64.new"
  mv "$wine32_root/usr/lib/wine/wineserver64.new" "$wine32_root/usr/lib/wine/wineserver64"
}

wine32_mount_one() {
  local target=${*: -1}
  mountpoint -q "$target" && return 0
  mkdir -p "$target"
  mount "$@"
  wine32_mounts=("$target" "${wine32_mounts[@]}")
}

# What Wine needs inside the root: the kernel's file systems, the X server's sockets, and
# this source tree at the same path, so that every path means the same on both sides.
wine32_mount() {
  wine32_mount_one -t proc proc "$wine32_root/proc"
  wine32_mount_one -t sysfs sysfs "$wine32_root/sys"
  wine32_mount_one --rbind /dev "$wine32_root/dev"
  mount --make-rslave "$wine32_root/dev"
  wine32_mount_one -t tmpfs -o mode=1777 tmpfs "$wine32_root/dev/shm"
  mkdir -p /tmp/.X11-unix
  wine32_mount_one --bind /tmp/.X11-unix "$wine32_root/tmp/.X11-unix"
  wine32_mount_one --bind "$top" "$wine32_root$top"
}

# Ends the root's processes (a wine server, a desktop) and undoes the mounts, innermost first.
wine32_unmount() {
  local pid m
  for pid in /proc/[0-9]*; do
    [ "$(readlink "$pid/root" 2>/dev/null)" = "$wine32_root" ] && kill -9 "${pid#/proc/}" 2>/dev/null || true
  done
  for m in "${wine32_mounts[@]}"; do
    umount -R "$m" 2>/dev/null || umount -l "$m" 2>/dev/null || echo "wine32: could not unmount $m" >&2
  done
  wine32_mounts=()
}

# Makes what is missing, mounts the root, and puts its Wine commands first on PATH: from
# then on wine, wineboot, wineserver and regedit are the 32-bit ones, for the scripts, ctest
# and the tests alike.
wine32_setup() {
  wine32_need_root "making the emulated 32-bit Wine (debootstrap, binfmt_misc, mounts)"
  mkdir -p "$wine32_dir/bin"
  wine32_fetch_qemu
  wine32_register
  wine32_make_root
  wine32_native_server
  wine32_mount
  local command
  for command in wine wineboot wineserver regedit; do
    ln -sf "$top/scripts/lib/wine32-command" "$wine32_dir/bin/$command"
  done
  # AURELON_EMULATOR tells the tests that what they measure of a process includes the
  # emulator's own memory. A 64-bit server makes a new prefix a 64-bit one unless told.
  export AURELON_WINE32_ROOT="$wine32_root" PATH="$wine32_dir/bin:$PATH" AURELON_EMULATOR=qemu-i386
  export WINEARCH=win32
}
