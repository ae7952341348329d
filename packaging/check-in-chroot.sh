#!/usr/bin/env bash
# Installs a built trayvane .deb into a clean Debian 12 chroot (debootstrap)
# and checks that it starts under Xvfb and a private session bus and lists a
# sample tray client. Not part of CI: it downloads a base system.
#   bash packaging/check-in-chroot.sh build/trayvane_1.1_amd64.deb [CHROOT_DIR]
set -euo pipefail
deb="$(realpath "$1")"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
chroot_dir="${2:-$(mktemp -d /var/tmp/trayvane-chroot.XXXXXX)}"

command -v debootstrap >/dev/null || apt-get install -y -qq debootstrap
[ -x "$chroot_dir/bin/bash" ] || debootstrap --variant=minbase bookworm "$chroot_dir" http://deb.debian.org/debian
for fs in proc dev sys; do mountpoint -q "$chroot_dir/$fs" || mount --bind "/$fs" "$chroot_dir/$fs"; done
trap 'for fs in proc dev sys; do umount "$chroot_dir/$fs" 2>/dev/null || true; done' EXIT
cp /etc/resolv.conf "$chroot_dir/etc/"
cp "$deb" "$chroot_dir/tmp/trayvane.deb"
cp "$root/tests/fixtures/ayatana_client.py" "$chroot_dir/tmp/"

# Only the package itself, with what its Depends pull in...
chroot "$chroot_dir" bash -c 'export DEBIAN_FRONTEND=noninteractive; apt-get update -qq && apt-get install -y -qq --no-install-recommends /tmp/trayvane.deb'
# ...and, apart from it, the tools of the check: X server, bus, a sample client.
chroot "$chroot_dir" bash -c 'export DEBIAN_FRONTEND=noninteractive; apt-get install -y -qq --no-install-recommends xvfb xauth dbus libglib2.0-bin python3-gi gir1.2-ayatanaappindicator3-0.1 gir1.2-gtk-3.0'

cat > "$chroot_dir/tmp/check.sh" <<'CHECK'
#!/bin/bash
export NO_AT_BRIDGE=1 XDG_RUNTIME_DIR=$(mktemp -d) HOME=$(mktemp -d) DISPLAY=:57
chmod 700 "$XDG_RUNTIME_DIR"
Xvfb :57 -screen 0 1280x800x24 >/dev/null 2>&1 & sleep 1
trayvane >/tmp/trayvane.log 2>&1 & sleep 2
python3 /tmp/ayatana_client.py chroot-check /tmp/client-events.log >/tmp/client.log 2>&1 &
status=1
for i in $(seq 1 20); do
  gdbus call --session -d org.trayvane.Trayvane -o /org/trayvane/Trayvane -m org.trayvane.Trayvane.Refresh >/dev/null 2>&1
  out=$(gdbus call --session -d org.trayvane.Trayvane -o /org/trayvane/Trayvane -m org.trayvane.Trayvane.Items 2>&1)
  case "$out" in *"Ayatana Fixture"*) echo "$out"; status=0; break ;; esac
  sleep 0.5
done
[ $status = 0 ] || { echo "not listed: $out"; cat /tmp/trayvane.log; }
kill %1 %2 %3 2>/dev/null
exit $status
CHECK
chmod +x "$chroot_dir/tmp/check.sh"
chroot "$chroot_dir" dbus-run-session -- /tmp/check.sh
