#!/usr/bin/python3
# Starts Trayvane where no display is available: a private session
# (session_tools) with a few sample tray clients and a tray host, then opens
# the panel, saves a screenshot and prints its path; everything started here
# is stopped before it returns. Run it inside dbus-run-session:
#   dbus-run-session -- /usr/bin/python3 scripts/headless_start.py BUILD_DIR [SCREENSHOT.png]
import os
import subprocess
import sys
import time
from types import SimpleNamespace

root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
sys.path.insert(0, os.path.join(root, "tests", "fixtures"))
from session_tools import Session  # noqa: E402

build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build")
if not os.environ.get("DBUS_SESSION_BUS_ADDRESS"):
    sys.exit("run this inside dbus-run-session")
client = next((path for path in (os.path.join(build, "tests/e2e/trayvane_sni_client"),
                                 os.path.join(build, "bench/trayvane_sni_client")) if os.access(path, os.X_OK)), None)
s = Session(SimpleNamespace(trayvane=os.path.join(build, "src/trayvane"), client=client,
                            ayatana=os.path.join(root, "tests", "fixtures", "ayatana_client.py")))
try:
    s.start_trayvane()
    expected = 1
    host = s.tray_host()  # a tray host on a connection of its own, so that active items count as shown
    if client:
        for item_id, title, *extra in (("network", "Netzwerk"), ("volume", "Lautstärke"),
                                       ("backup", "Sicherung", "--status", "Passive"), ("mail", "Post", "--count", "2")):
            s.client(item_id, title, *extra)
            expected += 2 if "--count" in extra else 1
    s.ayatana()
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline and len(s.items()) < expected:
        time.sleep(0.3)
    s.call(("org.trayvane.Trayvane", "/org/trayvane/Trayvane", "org.trayvane.Trayvane"), "TogglePanel")
    time.sleep(2.0)
    shot = os.path.abspath(sys.argv[2]) if len(sys.argv) > 2 else os.path.join(
        os.environ.get("TMPDIR", "/tmp"), f"trayvane-panel-{os.getpid()}.png")
    capture = ("import gi, sys; gi.require_version('Gdk', '3.0'); from gi.repository import Gdk; "
               "w = Gdk.get_default_root_window(); "
               "Gdk.pixbuf_get_from_window(w, 0, 0, w.get_width(), w.get_height()).savev(sys.argv[1], 'png', [], [])")
    subprocess.run(["/usr/bin/python3", "-c", capture, shot], env=s.env, check=True, timeout=30)
    print(shot)
    host.close_sync(None)
finally:
    s.close()
