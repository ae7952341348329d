#!/usr/bin/env bash
# Figures under hostile peers: main-thread stall (slowest control call), CPU
# share and memory of the real trayvane binary under a flood of 10 000 change
# signals a second, under a picture bomb
# and 50 MB pixmaps sent 10 times a second, 100 000 made-up host
# registrations, 2 000 registrations of names nobody owns and registrations
# of unique names before they exist. Runs the matching
# end-to-end scenarios, each on a private session bus and X server, and prints
# their FIGURE lines.
#   bench/linux/hostile.sh [BUILD_DIR]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/session.sh"
for scenario in flood menu bomb hostflood bogus squat; do
    dbus-run-session -- /usr/bin/python3 "$here/../../tests/e2e/hardening/e2e_hardening.py" "$scenario" \
        --trayvane "$build/src/trayvane" --client "$client" \
        --qt-client "$build/tests/e2e/trayvane_qt_tray_client" \
        --ayatana "$here/../../tests/fixtures/ayatana_client.py" 2>/dev/null | grep -E '^(FIGURE|PASS|FAIL)'
done
