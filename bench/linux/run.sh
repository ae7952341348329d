#!/usr/bin/env bash
# Runs the Linux backend benchmarks on a private session bus.
#   bench/linux/run.sh [BUILD_DIR] [IDLE_SECONDS]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="${1:-$here/../../build}"
seconds="${2:-60}"
client="$build/tests/e2e/trayvane_sni_client"
[ -x "$client" ] || client="$build/bench/trayvane_sni_client"
export NO_AT_BRIDGE=1
XDG_RUNTIME_DIR="$(mktemp -d)"
export XDG_RUNTIME_DIR
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
dbus-run-session -- "$build/bench/bench_linux" "$client"
dbus-run-session -- /usr/bin/python3 "$here/bench_app.py" "$build/src/trayvane" "$client" "$seconds"
