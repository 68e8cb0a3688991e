#!/usr/bin/env bash
# Installs the Debian 12 packages Zentra needs to build, test and run; only the
# missing ones, so a second run does nothing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  qt6-base-dev qt6-base-dev-tools libqt6svg6-dev qt6-webengine-dev
  libsqlite3-dev libtinyxml-dev libpcre2-dev libjsoncpp-dev libsodium-dev
  libpq-dev postgresql postgresql-client
  libgtest-dev googletest
  fonts-noto-cjk fonts-dejavu-core qt6-translations-l10n
  poppler-utils
  xdg-utils
  cups cups-daemon cups-client cups-bsd cups-filters printer-driver-cups-pdf ghostscript
  file librsvg2-bin lintian desktop-file-utils appstream
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
