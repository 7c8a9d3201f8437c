#!/usr/bin/env bash
# Installs what building, running and testing Tarvelo needs on Debian 12.
set -euo pipefail

packages=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-translations-l10n  # catalogues, Qt's own texts
    libqt6gui6 qt6-qpa-plugins qt6-image-formats-plugins
    libavformat-dev libavutil-dev libavcodec-dev
    libswscale-dev libavfilter-dev                              # the tests' reading back
    ffmpeg
    fonts-dejavu-core
    help2man scdoc                                              # manual pages
    build-essential debhelper dpkg-dev lintian git man-db       # the Debian package and its test
    desktop-file-utils appstream xvfb x11-utils                 # menu entry, metainfo, window class
    dbus-daemon                                                 # a private session bus for the notice
    gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-libav  # reading outputs back
    mediainfo
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
        echo "Missing packages: ${missing[*]}" >&2
        echo "Run this script as root, or install sudo, to install them." >&2
        exit 1
    fi
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
