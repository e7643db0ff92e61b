# Shared by the scripts in this folder: installs what the build needs and
# prepares Wine. Source it; it defines functions and QUILLMERE_ROOT only.

QUILLMERE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

quillmere_packages=(
  cmake make g++-mingw-w64-x86-64-win32 mingw-w64-x86-64-dev googletest fonts-wine
  wine wine64 xvfb xauth x11-utils imagemagick icoutils
  python3 # its json module reads quillmerec's /json report back in a test
  wixl osslsigncode openssl # the MSI, and its and the programs' signatures
)

# Installs the Debian packages that are missing (only as root; otherwise says
# which ones to install and stops).
quillmere_install() {
  local missing=() p
  for p in "${quillmere_packages[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages: ${missing[*]} (run as root, or apt-get install them)" >&2
    return 1
  fi
  echo "Installing ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Wine settings for every run of ours: a private prefix, no Mono/Gecko prompts,
# no debug chatter unless the caller asked for it.
quillmere_wine_env() {
  export WINEPREFIX=$1
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
  export WINEARCH=win64
}

# Creates the prefix given as $1 when it does not exist yet.
quillmere_prefix() {
  quillmere_wine_env "$1"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating Wine prefix $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
  fi
}

# Furnishes the current prefix with fonts as a Windows system has them: Wine's
# in the Fonts folder (the frames' Marlett glyphs, Tahoma), and for "MS Sans
# Serif" in the Arabic character set, which the bitmap font lacks, an
# Arabic-capable sans serif as the Windows font mapper would choose.
quillmere_fonts() {
  [ -f "$WINEPREFIX/drive_c/windows/Fonts/tahoma.ttf" ] && return 0
  cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
    /v 'MS Sans Serif,178' /d 'Tahoma,178' /f >/dev/null 2>&1
}

# Configures (once) and builds the given preset into the given folder: every
# target, or only the target given as $3.
quillmere_build() {
  local preset=$1 dir=$2
  [ -f "$dir/CMakeCache.txt" ] || cmake --preset "$preset" -B "$dir" >/dev/null
  cmake --build "$dir" -j"$(nproc)" ${3:+--target "$3"}
}
