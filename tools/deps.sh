#!/usr/bin/env bash
# Installs every Debian package Kestro needs to build, run and test, when missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config
  qtbase5-dev qtbase5-dev-tools qtdeclarative5-dev qtquickcontrols2-5-dev
  qtwebengine5-dev libqt5websockets5-dev libqt5svg5
  qml-module-qtquick2 qml-module-qtquick-window2 qml-module-qtquick-layouts
  qml-module-qtquick-controls2 qml-module-qtquick-templates2
  qml-module-qtquick-dialogs qml-module-qtquick-privatewidgets
  qml-module-qtquick-controls qml-module-qt-labs-folderlistmodel
  qml-module-qt-labs-settings qml-module-qtqml-models2
  qml-module-qtwebengine qml-module-qtwebsockets
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-pulseaudio
  libgstreamer1.0-dev libpulse-dev pulseaudio pulseaudio-utils
  nlohmann-json3-dev libcpp-httplib-dev
  libespeak-ng-dev espeak-ng-data libopusenc-dev libopusfile-dev
  xvfb xauth libgl1-mesa-dri imagemagick fonts-dejavu-core chromium openssl
  dpkg-dev fakeroot lintian desktop-file-utils appstream man-db
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
