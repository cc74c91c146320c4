#!/usr/bin/env bash
# Installs the Debian packages that building, testing and looking at Pagelore
# need. Safe to run again: it installs only what is missing and is quiet
# when everything is there.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-l10n-tools qt6-translations-l10n
    libqt6svg6 qt6-image-formats-plugins
    fonts-noto-cjk
    xvfb xauth x11-utils imagemagick
    clang libclang-rt-dev
    python3
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
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
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
