#!/usr/bin/env bash
# Sets up the machine, builds Trayvane and starts it. Where no display is
# available, it starts Trayvane in a private X server and session bus with a
# few sample tray clients, opens the panel, saves a screenshot and prints its
# path.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TRAYVANE_BUILD_DIR:-$root/build}"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: starting Trayvane headless with sample tray clients." >&2
    exec dbus-run-session -- /usr/bin/python3 "$root/scripts/headless_start.py" "$build"
fi
exec "$build/src/trayvane" "$@"
