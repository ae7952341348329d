#!/usr/bin/env bash
# Runs the Linux backend benchmarks on a private session bus.
#   bench/linux/run.sh [BUILD_DIR] [IDLE_SECONDS]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/session.sh"
seconds="${2:-60}"
dbus-run-session -- "$build/bench/bench_linux" "$client"
dbus-run-session -- /usr/bin/python3 "$here/bench_app.py" "$build/src/trayvane" "$client" "$seconds"
