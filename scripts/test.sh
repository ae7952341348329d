#!/usr/bin/env bash
# Sets up the machine, builds Trayvane and runs every test.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
cd "${TRAYVANE_BUILD_DIR:-$root/build}"
ctest --output-on-failure --timeout 300 "$@"
