# Installs the Debian packages given that are not installed yet.
# Sourced by the README's commands; needs root (or sudo) only when something is missing.
ensure_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing Debian packages: ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null 2>&1 || { echo "error: need root to install ${missing[*]}" >&2; return 1; }
    sudo=sudo
  fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq || true
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# The packages the build and the tests use.
NOTIFIER_BUILD_PACKAGES=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev libsqlite3-dev libdw-dev libjpeg62-turbo-dev ccache)
# The object database's benchmark measures against GObject (bench_objdb only).
NOTIFIER_BUILD_PACKAGES+=(libglib2.0-dev)
# The dialogs: Qt 6 Widgets, the dialog font (DejaVu Sans, measured with
# FreeType through fontconfig) and a font with the CJK languages' glyphs.
NOTIFIER_BUILD_PACKAGES+=(qt6-base-dev libfreetype-dev libfontconfig-dev fonts-dejavu-core fonts-wqy-microhei)
# The display probe: the connection Qt will make (X11 through xcb, Wayland).
NOTIFIER_BUILD_PACKAGES+=(libxcb1-dev libwayland-dev)
# The crash-dump test opens a minidump in a real debugger.
NOTIFIER_BUILD_PACKAGES+=(lldb)
# A document's default application (GIO) and the login session (sd-login):
# their headers; the programs load the libraries when they first need them.
NOTIFIER_BUILD_PACKAGES+=(libglib2.0-dev libsystemd-dev)
# The demonstration without a display: a virtual X server, keyboard input and
# screenshots.
NOTIFIER_DISPLAY_PACKAGES=(xvfb xauth xdotool imagemagick)
# The Debian package (scripts/package): Debian's build flags, the
# dependencies read from the binaries (dpkg-shlibdeps, which CPack finds the
# binaries for with file).
NOTIFIER_PACKAGE_PACKAGES=(dpkg-dev file)
