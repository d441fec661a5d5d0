#!/usr/bin/env bash
# Installs the Debian packages Pelimo needs that are missing, then configures and builds into build/.
# Sourced by ./run and ./test; a second run installs nothing and only rebuilds what changed.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-multimedia-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools libgl-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  libsmbclient-dev
  fonts-liberation
  libcap2-bin
)
TEST_PACKAGES=(
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  samba smbclient wsdd tshark xvfb xauth imagemagick poppler-utils iproute2 util-linux procps
  cups cups-client cups-filters
  desktop-file-utils appstream lintian man-db dpkg-dev file
  dbus python3-dbus at-spi2-core python3-gi gir1.2-atspi-2.0 nftables clang-tidy
  clang-format
)

pelimo_install_missing() {
  local missing=() pkg
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "ok installed"; then
      missing+=("$pkg")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  echo "wireshark-common wireshark-common/install-setuid boolean false" | "${sudo[@]}" debconf-set-selections
  "${sudo[@]}" apt-get update -qq || true
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# pelimo_build TOP [FOLDER [CMAKE OPTIONS...]]: configures TOP/FOLDER (default build) once, builds it.
pelimo_build() {
  local top="$1" dir="$top/${2:-build}"
  shift $(($# < 2 ? $# : 2))
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  fi
  cmake --build "$dir"
}
