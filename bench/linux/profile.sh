#!/usr/bin/env bash
# Main-thread instructions per timer tick of the real trayvane binary under
# callgrind, with ITEMS items (default 100) over TICKS ticks (default 10), on a
# private session bus and X server. Build with debug information (RelWithDebInfo,
# or Release with -g) to see names in the listing.
#   bench/linux/profile.sh [BUILD_DIR] [ITEMS] [TICKS]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/session.sh"
dbus-run-session -- /usr/bin/python3 "$here/tick_profile.py" "$build/src/trayvane" "$client" "${2:-100}" "${3:-10}"
