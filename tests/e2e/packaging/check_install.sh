#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR, checks that every file a desktop
# expects and the control interface's description are in place and valid, and
# that the package's dependency list names the Qt runtime it needs and not the
# symbol font, which the program carries.
set -euo pipefail
build="$1"
dest="$(mktemp -d)"
trap 'rm -rf "$dest"' EXIT
DESTDIR="$dest" cmake --install "$build" --prefix /usr >/dev/null

for f in usr/bin/trayvane \
         usr/share/applications/org.trayvane.Trayvane.desktop \
         usr/share/metainfo/org.trayvane.Trayvane.metainfo.xml \
         usr/share/icons/hicolor/scalable/apps/org.trayvane.Trayvane.svg \
         usr/share/dbus-1/interfaces/org.trayvane.Trayvane.xml; do
    [ -e "$dest/$f" ] || { echo "missing: $f"; exit 1; }
done
desktop-file-validate "$dest/usr/share/applications/org.trayvane.Trayvane.desktop"
appstreamcli validate --no-net "$dest/usr/share/metainfo/org.trayvane.Trayvane.metainfo.xml"
grep -q '^Icon=org.trayvane.Trayvane$' "$dest/usr/share/applications/org.trayvane.Trayvane.desktop"
# The interface description is well-formed and names the interface it describes.
/usr/bin/python3 - "$dest/usr/share/dbus-1/interfaces/org.trayvane.Trayvane.xml" <<'EOF'
import sys, xml.etree.ElementTree as tree
names = [i.get("name") for i in tree.parse(sys.argv[1]).getroot().iter("interface")]
if names != ["org.trayvane.Trayvane"]:
    sys.exit(f"control interface description names {names}")
EOF

depends=$(grep -o 'CPACK_DEBIAN_PACKAGE_DEPENDS "[^"]*"' "$build/CPackConfig.cmake")
case "$depends" in *qml6-module-qtquick*) ;; *) echo "package dependency missing: qml6-module-qtquick ($depends)"; exit 1 ;; esac
case "$depends" in *fonts-material-design-icons-iconfont*) echo "needless dependency on the symbol font ($depends)"; exit 1 ;; esac
echo "install tree valid"
