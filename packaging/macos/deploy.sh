#!/usr/bin/env bash
# Makes a built Trayvane.app run on a Mac without Qt and signs it: Qt's
# frameworks, plugins and QML modules go into the bundle (macdeployqt), then
# the bundle is signed with the bundle identifier as its signing identifier.
#
# The accessibility permission is stored against the signature. With the
# default ad hoc signature ("-") the system knows the program by the hash of
# its code, so a rebuilt binary asks again (the stable identifier still lets
# "tccutil reset Accessibility org.trayvane.Trayvane" clear the old entry).
# Signed with a certificate (a self-signed one from Keychain Access will do),
# the grant survives rebuilds.
#
# Usage: deploy.sh <Trayvane.app> [<signing identity>]
set -euo pipefail
app="${1:?usage: deploy.sh <Trayvane.app> [<signing identity>]}"
identity="${2:--}"
identifier=org.trayvane.Trayvane
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

# The QML files name the Qt Quick modules the program imports.
"${MACDEPLOYQT:-macdeployqt}" "$app" -qmldir="$root/src/Views" -always-overwrite

# Nested code first (frameworks and plugins, each under its own identifier),
# then the bundle itself, which seals them.
codesign --force --deep --sign "$identity" --timestamp=none "$app"
codesign --force --sign "$identity" --identifier "$identifier" --timestamp=none "$app"
codesign --verify --deep --strict "$app"
