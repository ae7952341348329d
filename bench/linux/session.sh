# Sourced by the Linux benchmark scripts: the build folder (first argument),
# the tray client fixture, and a private runtime folder for the session.
here="$(cd "$(dirname "${BASH_SOURCE[1]}")" && pwd)"
build="${1:-$here/../../build}"
client="$build/tests/e2e/trayvane_sni_client"
[ -x "$client" ] || client="$build/bench/trayvane_sni_client"
export NO_AT_BRIDGE=1
XDG_RUNTIME_DIR="$(mktemp -d)"
export XDG_RUNTIME_DIR
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
