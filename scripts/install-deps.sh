#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing KotoPA need, when any is
# missing, and configures the build. Sourced by test.sh and run.sh.
kotopa_packages=(
  g++ cmake ninja-build pkg-config git clang-format
  libgtest-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n
  libpulse-dev pulseaudio pulseaudio-utils
  fonts-ipafont-gothic
  xvfb xauth xdotool xclip x11-utils x11-xkb-utils libx11-dev libxtst-dev
  mecab mecab-ipadic-utf8 mecab-ipadic mecab-utils libmecab-dev
  dpkg-dev lintian desktop-file-utils fp-utils libchm-bin icoutils nsis
  g++-mingw-w64-x86-64-posix wine wine64 googletest
)

kotopa_install_deps() {
  local missing=()
  local p
  for p in "${kotopa_packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; return 1; }
    sudo=(sudo)
  fi
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# Configures the Release build in build/ (Ninja when there is no older Makefile tree).
kotopa_configure() {
  local generator=()
  command -v ninja >/dev/null && [ ! -f build/Makefile ] && generator=(-G Ninja)
  cmake -S . -B build "${generator[@]}" -DCMAKE_BUILD_TYPE=Release
}
