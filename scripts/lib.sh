# Shared by the project's scripts: root rights, the packages the project needs, and the
# environment in which Wine runs the 32-bit handler.

# Runs the calling script again as root when it is not (apt and time namespaces need it).
ensure_root() {
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "run this as root" >&2; exit 1; }
    exec sudo --preserve-env=CI "$0" "$@"
  fi
}

PACKAGES="cmake make g++ libgtest-dev libgmock-dev g++-mingw-w64-i686 wine wine32:i386 wine64
  util-linux e2fsprogs procps clang libclang-rt-14-dev clang-tidy cppcheck libbenchmark-dev"

package_missing() {
  ! dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

# Installs whatever of the project's packages is missing, then makes sure that 32-bit
# Linux programs (Wine's 32-bit loader) can run: where the kernel's 32-bit support is
# switched off, they run through qemu-user instead.
ensure_dependencies() {
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  local missing=""
  for package in $PACKAGES; do
    package_missing "$package" && missing="$missing $package"
  done
  if [ -n "$missing" ]; then
    echo "installing:$missing"
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
  fi
  if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo "this kernel runs no 32-bit programs: running them through qemu-user"
    if package_missing qemu-user-static; then
      apt-get update -q
      DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends qemu-user-static
    fi
    [ -e /proc/sys/fs/binfmt_misc/register ] ||
      mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
    [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] ||
      printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
        >/proc/sys/fs/binfmt_misc/register
    /usr/lib/wine/wine --version >/dev/null || { echo "32-bit programs still do not run" >&2; exit 1; }
  fi
}

# The environment for a 64-bit Wine prefix at $1. Under qemu-user, a smaller guest address
# space spares Wine a long search for memory it cannot have; native runs ignore it.
use_wine_prefix() {
  export WINEPREFIX="$1" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  export QEMU_RESERVED_VA=0x81000000
  mkdir -p "$(dirname "$WINEPREFIX")"
  [ -e "$WINEPREFIX/system.reg" ] || /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
  wineserver -w
}
