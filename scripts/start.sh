#!/usr/bin/env bash
# Sets up the machine, builds Trayvane and starts it.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
exec "${TRAYVANE_BUILD_DIR:-$root/build}/src/trayvane" "$@"
