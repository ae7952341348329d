#!/usr/bin/env bash
# Installs the Debian 12 packages Trayvane needs to build, run and test.
# Idempotent: packages already present are left alone, so running it again is cheap.
set -euo pipefail

packages=(
  # build
  cmake g++ make pkg-config
  qt6-base-dev qt6-declarative-dev qt6-svg-dev qt6-qpa-plugins libgl-dev
  libx11-dev libxtst-dev libxcomposite-dev libxres-dev libxfixes-dev
  # checks the macOS backend's files compile (Objective-C++), see the mac_compiles_* tests in tests/CMakeLists.txt
  clang
  # QML runtime modules
  qml6-module-qtqml qml6-module-qtqml-models qml6-module-qtqml-workerscript
  qml6-module-qtquick qml6-module-qtquick-window qml6-module-qtquick-templates
  qml6-module-qtquick-controls qml6-module-qtquick-layouts qml6-module-qtquick-shapes
  qml6-module-qttest
  # symbol font (Apache-2.0) used for every symbol in the panel
  fonts-material-design-icons-iconfont
  # packaging checks: .deb dependencies, desktop entry and metainfo validation
  dpkg-dev fakeroot desktop-file-utils appstream
  # headless runs, private session bus, tray hosts and sample tray clients
  xvfb xauth dbus-x11 dbus trayer x11-utils xdotool
  # a Wayland desktop for the panel's end-to-end test: headless sway with
  # swaybar, XWayland, screenshots and a virtual keyboard; gdbus calls the item
  sway xwayland grim wtype libglib2.0-bin
  # desktops' own trays: a standalone watcher (lists bare bus names) and xfce4-panel's status tray
  haskell-status-notifier-item-utils xfce4-panel
  python3-gi gir1.2-ayatanaappindicator3-0.1 gir1.2-gtk-3.0
  # legacy X11 tray clients (XEmbed)
  yad parcellite
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
