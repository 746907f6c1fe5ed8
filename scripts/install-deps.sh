#!/usr/bin/env bash
# Installs what building and testing Sleevit needs on Debian 12. Safe to run again.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git python3
  qt6-base-dev libgl-dev qt6-translations-l10n
  libjpeg62-turbo-dev libpng-dev zlib1g-dev libcairo2-dev libcups2-dev
  libfontconfig-dev libfreetype-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format
  imagemagick poppler-utils xvfb cups cups-bsd
  # Real printer drivers for the disc tray tests (hplip-data holds the hpcups PPDs).
  printer-driver-gutenprint printer-driver-hpcups hplip-data printer-driver-escpr
  fonts-dejavu-core fonts-liberation fonts-droid-fallback fonts-urw-base35
  dpkg-dev file lintian desktop-file-utils appstream
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
