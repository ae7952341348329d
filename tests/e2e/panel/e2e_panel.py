#!/usr/bin/python3
"""End-to-end test of the application shell: the real trayvane binary on a
private X server and session bus, with a tray host (trayer) or without any
tray. In both the status icon (tray icon or fallback window) opens the panel
under it, and the panel closes on a second click, on Escape and on a click
outside; a second copy ends itself and leaves the first untouched. The panel
stays out of the taskbar and the pager. In "latetray" trayer starts after
Trayvane and quits again: the icon moves from the fallback window into the tray
and back.

Usage: e2e_panel.py tray|notray|latetray|sway --trayvane PATH --xinput PATH [--screenshot PNG]
(run inside dbus-run-session)."""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "fixtures"))
from session_tools import start_xvfb, stop_all  # noqa: E402

SCREEN_W, SCREEN_H = 1280, 800  # the screen start_xvfb makes
PANEL_TITLE = "Trayvane Panel"
ICON_TITLE = "Trayvane Icon"
WINDOW_LINE = re.compile(r'^\s*(0x[0-9a-f]+) "([^"]*)".*?\s(\d+)x(\d+)\+(-?\d+)\+(-?\d+)\s+\+(-?\d+)\+(-?\d+)')


def fail(message):
    print("FAIL:", message, flush=True)
    sys.exit(1)


def wait_for(predicate, timeout, what):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(0.1)
    fail("timed out waiting for " + what)


def windows():
    """Every window of the display: (id, name, x, y, width, height)."""
    out = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True, text=True).stdout
    found = []
    for line in out.splitlines():
        m = WINDOW_LINE.match(line)
        if m:
            wid, name, w, h, _, _, ax, ay = m.groups()
            found.append((wid, name, int(ax), int(ay), int(w), int(h)))
    return found


def viewable(wid):
    out = subprocess.run(["xwininfo", "-id", wid], capture_output=True, text=True).stdout
    return "Map State: IsViewable" in out


def viewable_window(title):
    for window in windows():
        if window[1] == title and viewable(window[0]):
            return window
    return None


def panel():
    return viewable_window(PANEL_TITLE)


def centre(window):
    return window[2] + window[4] // 2, window[3] + window[5] // 2


class Session:
    def __init__(self, args):
        self.args = args
        self.processes = []
        self.home = tempfile.mkdtemp(prefix="trayvane-e2e-")
        runtime = os.path.join(self.home, "runtime")
        os.mkdir(runtime, 0o700)
        self.env = dict(os.environ, NO_AT_BRIDGE="1", XDG_RUNTIME_DIR=runtime,
                        XDG_CONFIG_HOME=os.path.join(self.home, "config"),
                        XDG_DATA_HOME=os.path.join(self.home, "data"),
                        QT_QPA_PLATFORM="xcb")
        self.env.pop("WAYLAND_DISPLAY", None)

    def start_x(self):
        self.env["DISPLAY"] = start_xvfb(
            lambda argv, **kwargs: self.spawn(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, **kwargs))
        os.environ["DISPLAY"] = self.env["DISPLAY"]

    def spawn(self, argv, **kwargs):
        process = subprocess.Popen(argv, env=self.env, **kwargs)
        self.processes.append(process)
        return process

    def xinput(self, *words):
        subprocess.run([self.args.xinput, *map(str, words)], env=self.env, check=True)

    def close(self):
        stop_all(self.processes)
        shutil.rmtree(self.home, ignore_errors=True)


def find_icon(with_tray):
    """The window to click: the fallback window, or the tray host's area."""
    icon = viewable_window(ICON_TITLE)
    if icon or not with_tray:
        return icon
    # The icon may be embedded in the tray host instead: Trayvane's own window
    # inside the host's area.
    host = next((w for w in windows() if w[1] == "panel" and viewable(w[0])), None)
    if host is None or viewable_window(ICON_TITLE):
        return None
    for w in windows():
        inside = host[2] <= w[2] < host[2] + host[4] and host[3] <= w[3] < host[3] + host[5]
        if w[1] == "Trayvane" and inside and w[4] > 1 and viewable(w[0]):
            return (w[0], "tray", w[2], w[3], w[4], w[5])
    return None


def start_trayer(session):
    process = session.spawn(["trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "120",
                             "--height", "24", "--transparent", "false", "--SetDockType", "true"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_for(lambda: any(w[1] == "panel" for w in windows()), 10, "the tray host")
    return process


def docked_icon():
    """Trayvane's icon inside the tray, while no fallback window shows."""
    icon = find_icon(True)
    return icon if icon and icon[1] == "tray" else None


def check_skips_taskbar(window):
    out = subprocess.run(["xprop", "-id", window[0], "_NET_WM_STATE"], capture_output=True, text=True).stdout
    for state in ("_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"):
        if state not in out:
            fail(f"the panel lacks {state}: {out.strip()}")


def open_and_close(session, icon, what):
    session.xinput("click", *centre(icon))
    opened = wait_for(panel, 5, f"the panel to open from {what}")
    check_panel_geometry(opened, icon)
    time.sleep(0.3)
    session.xinput("click", *centre(icon))
    wait_for(lambda: panel() is None, 5, f"the panel to close from {what}")
    print("opened under and closed from", what, icon, flush=True)
    time.sleep(0.4)


def late_tray(session, args):
    """No tray at start; trayer comes and goes."""
    session.spawn([args.trayvane])
    fallback = wait_for(lambda: viewable_window(ICON_TITLE), 10, "the fallback window")
    open_and_close(session, fallback, "the fallback window made at start")
    trayer = start_trayer(session)
    icon = wait_for(docked_icon, 10, "the icon to move into the tray that started later")
    if viewable_window(ICON_TITLE):
        fail("the fallback window stays beside the tray icon")
    open_and_close(session, icon, "the tray icon")
    trayer.terminate()
    trayer.wait(5)
    fallback = wait_for(lambda: viewable_window(ICON_TITLE), 10, "the fallback window to come back without the tray")
    open_and_close(session, fallback, "the fallback window after the tray quit")
    start_trayer(session)
    wait_for(docked_icon, 10, "the icon to dock in a new tray")


# Where a compositor draws the window, the 360 wide panel sits inside a shadow
# margin of 12 on every side; the checks look at the panel itself.
SHADOW = 12


def visible_panel(x, y, w, h):
    if w == 360 + 2 * SHADOW:
        return x + SHADOW, y + SHADOW, w - 2 * SHADOW, h - 2 * SHADOW
    return x, y, w, h


def check_panel_geometry(window, icon):
    _, _, x, y, w, h = window
    x, y, w, h = visible_panel(x, y, w, h)
    if w != 360:
        fail(f"panel is {w} wide")
    if x < 0 or y < 0 or x + w > SCREEN_W or y + h > SCREEN_H:
        fail(f"panel {w}x{h}+{x}+{y} is not fully on screen")
    if y < icon[3] + icon[5] or y > icon[3] + icon[5] + 16:
        fail(f"panel at y {y} is not under the icon (bottom {icon[3] + icon[5]})")
    if not (x <= centre(icon)[0] <= x + w):
        fail(f"panel {w}x{h}+{x}+{y} is not under the icon at x {centre(icon)[0]}")
    check_skips_taskbar(window)


# --- Wayland: headless sway with swaybar as the tray host -------------------

SWAY_USER = "trayvane-e2e"
SWAY_W, SWAY_H = 1280, 800
SKIP = 77  # ctest's skip code
SWAY_CONFIG = """output HEADLESS-1 resolution {w}x{h} position 0 0
xwayland enable
default_border none
bar {{
    position top
    height 26
    tray_output *
    status_command while :; do echo; sleep 600; done
}}
exec sh -c 'echo "$DISPLAY" > "$XDG_RUNTIME_DIR/x-display.new" && mv "$XDG_RUNTIME_DIR/x-display.new" "$XDG_RUNTIME_DIR/x-display"'
"""


class SwaySession:
    """sway refuses to run as root: everything on the Wayland side runs as an
    unprivileged user of its own, on a private bus of that user's."""

    def __init__(self, args):
        self.args = args
        self.processes = []
        self.home = tempfile.mkdtemp(prefix="trayvane-sway-")
        os.chmod(self.home, 0o755)
        if subprocess.run(["id", SWAY_USER], capture_output=True).returncode != 0:
            subprocess.run(["useradd", "--system", "--no-create-home", "--shell", "/usr/sbin/nologin", SWAY_USER],
                           check=True)
        self.runtime = os.path.join(self.home, "runtime")
        for folder in (self.runtime, os.path.join(self.home, "config"), os.path.join(self.home, "data")):
            os.mkdir(folder, 0o700)
            shutil.chown(folder, SWAY_USER)
        shutil.chown(self.home, SWAY_USER)
        self.config = os.path.join(self.home, "sway.conf")
        with open(self.config, "w") as f:
            f.write(SWAY_CONFIG.format(w=SWAY_W, h=SWAY_H))
        bus = "unix:path=" + os.path.join(self.runtime, "bus")
        self.env = {"PATH": "/usr/bin:/bin", "HOME": self.home, "XDG_RUNTIME_DIR": self.runtime,
                    "XDG_CONFIG_HOME": os.path.join(self.home, "config"),
                    "XDG_DATA_HOME": os.path.join(self.home, "data"), "NO_AT_BRIDGE": "1",
                    "DBUS_SESSION_BUS_ADDRESS": bus, "WLR_BACKENDS": "headless", "WLR_RENDERER": "pixman",
                    "WLR_LIBINPUT_NO_DEVICES": "1", "WLR_HEADLESS_OUTPUTS": "1", "XDG_SESSION_TYPE": "wayland"}

    def as_user(self, argv):
        return ["runuser", "-u", SWAY_USER, "--", "env", "-i", *[f"{k}={v}" for k, v in self.env.items()], *argv]

    def spawn(self, argv, **kwargs):
        process = subprocess.Popen(self.as_user(argv), **kwargs)
        self.processes.append(process)
        return process

    def run(self, argv, **kwargs):
        return subprocess.run(self.as_user(argv), capture_output=True, text=True, **kwargs)

    def start(self):
        self.spawn(["dbus-daemon", "--session", "--nofork", "--address=" + self.env["DBUS_SESSION_BUS_ADDRESS"]])
        wait_for(lambda: os.path.exists(os.path.join(self.runtime, "bus")), 10, "the session bus")
        self.sway_log = open(os.path.join(self.home, "sway.log"), "w")
        self.spawn(["sway", "-c", self.config], stdout=self.sway_log, stderr=subprocess.STDOUT)
        display_file = os.path.join(self.runtime, "x-display")
        wait_for(lambda: os.path.exists(display_file), 20, "sway and its XWayland")
        with open(display_file) as f:
            self.env["DISPLAY"] = f.read().strip()
        self.env["WAYLAND_DISPLAY"] = next(n for n in os.listdir(self.runtime)
                                           if n.startswith("wayland-") and not n.endswith(".lock"))

    def screenshot(self, path=None):
        """The screen as a PPM; also saved as PNG to `path` when given."""
        if path:
            shot = os.path.join(self.home, "shot.png")
            self.run(["grim", shot])
            shutil.copy(shot, path)
        return subprocess.run(self.as_user(["grim", "-t", "ppm", "-"]), capture_output=True).stdout

    def control(self, method):
        return self.run(["dbus-send", "--session", "--print-reply", "--dest=org.trayvane.Trayvane",
                         "/org/trayvane/Trayvane", "org.trayvane.Trayvane." + method])

    def close(self):
        stop_all(self.processes)
        if hasattr(self, "sway_log"):
            self.sway_log.close()
        shutil.rmtree(self.home, ignore_errors=True)


def parse_ppm(data):
    """(width, height, rgb bytes) of a binary PPM."""
    parts = data.split(maxsplit=4)
    return int(parts[1]), int(parts[2]), parts[4][:int(parts[1]) * int(parts[2]) * 3]


def find_teal(data, top, bottom):
    """Centre of the teal pixels (the status icon) in rows top..bottom."""
    w, h, rgb = parse_ppm(data)
    xs, ys = [], []
    for y in range(top, min(bottom, h)):
        row = rgb[y * w * 3:(y + 1) * w * 3]
        for x in range(w // 2, w):
            r, g, b = row[3 * x], row[3 * x + 1], row[3 * x + 2]
            if abs(r - 48) < 30 and abs(g - 176) < 30 and abs(b - 199) < 30 or \
                    abs(r - 64) < 30 and abs(g - 200) < 30 and abs(b - 224) < 30:
                xs.append(x)
                ys.append(y)
    if not xs:
        return None
    # The tray sits at the right end of the bar: the rightmost cluster.
    right = max(xs)
    cluster = [(x, y) for x, y in zip(xs, ys) if x > right - 30]
    return (min(x for x, _ in cluster) + right) // 2, (min(y for _, y in cluster) + max(y for _, y in cluster)) // 2


def sway_item_owner(session):
    """The bus name under which swaybar shows Trayvane's item."""
    out = session.run(["gdbus", "call", "--session", "-d", "org.freedesktop.DBus", "-o", "/org/freedesktop/DBus",
                       "-m", "org.freedesktop.DBus.GetNameOwner", "org.trayvane.Trayvane"]).stdout
    match = re.search(r"'([^']+)'", out)
    return match.group(1) if match else None


def sway_panel(session):
    out = session.run(["xwininfo", "-name", PANEL_TITLE]).stdout
    if "IsViewable" not in out:
        return None
    value = {k: int(re.search(k + r":\s+(-?\d+)", out).group(1))
             for k in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height")}
    return (value["Absolute upper-left X"], value["Absolute upper-left Y"], value["Width"], value["Height"])


def check_drop_down(geometry, what, under=None):
    x, y, w, h = visible_panel(*geometry)
    if w != 360:
        fail(f"{what}: the panel is {w} wide")
    if x < 0 or x + w > SWAY_W or y + h > SWAY_H:
        fail(f"{what}: the panel {w}x{h}+{x}+{y} is not on screen")
    if under is None:
        if y > 40:
            fail(f"{what}: the panel at y {y} is not near the top edge")
    elif not (x <= under[0] <= x + w and under[1] <= y <= under[1] + 16):
        fail(f"{what}: the panel {w}x{h}+{x}+{y} is not under the icon at {under}")
    print(what, "->", geometry, flush=True)


def sway_scenario(args):
    if os.geteuid() != 0 or not shutil.which("useradd") or not shutil.which("runuser"):
        print("SKIP: needs root and useradd to run sway as a user of its own", flush=True)
        sys.exit(SKIP)
    if not all(shutil.which(tool) for tool in ("sway", "swaybar", "Xwayland", "grim", "wtype")):
        print("SKIP: sway, swaybar, Xwayland, grim or wtype is missing", flush=True)
        sys.exit(SKIP)
    session = SwaySession(args)
    try:
        session.start()
        session.spawn([args.trayvane])
        # Trayvane's item in swaybar: teal at the bar's right end.
        icon = wait_for(lambda: find_teal(session.screenshot(), 0, 26), 15, "Trayvane's icon in swaybar")
        print("icon in swaybar at", icon, flush=True)

        # The hotkey's way: near the top edge, at the pointer or the right end.
        session.control("TogglePanel")
        check_drop_down(wait_for(lambda: sway_panel(session), 5, "the panel after TogglePanel"), "TogglePanel")
        session.control("TogglePanel")
        wait_for(lambda: sway_panel(session) is None, 5, "the panel to close on TogglePanel")

        # A click on the item: swaybar calls Activate with the pointer's place
        # in the bar. The headless seat has no pointer to click swaybar with,
        # so the call is made as swaybar makes it for a click on the icon.
        owner = sway_item_owner(session)
        activate = ["gdbus", "call", "--session", "-d", owner, "-o", "/StatusNotifierItem",
                    "-m", "org.kde.StatusNotifierItem.Activate", str(icon[0]), str(icon[1])]
        result = session.run(activate)
        if result.returncode != 0:
            fail("Activate on Trayvane's item failed: " + result.stderr)
        opened = wait_for(lambda: sway_panel(session), 5, "the panel after a click on the item")
        check_drop_down(opened, "click on the item", under=(icon[0], 26))
        time.sleep(0.5)
        session.screenshot(args.screenshot)
        session.run(activate)
        wait_for(lambda: sway_panel(session) is None, 5, "the panel to close on a second click on the item")

        # Escape, from a keyboard of the seat: the headless seat has one only
        # while wtype runs, and the panel gets the keyboard as it opens.
        typist = session.spawn(["wtype", "-s", "2500", "-k", "Escape"])
        time.sleep(0.5)
        session.run(activate)
        wait_for(lambda: sway_panel(session), 5, "the panel to open again")
        typist.wait(10)
        wait_for(lambda: sway_panel(session) is None, 5, "the panel to close on Escape")

        # A click outside, through XWayland's own input.
        time.sleep(0.5)  # a click right after the panel closed itself does not reopen it
        session.run(activate)
        wait_for(lambda: sway_panel(session), 5, "the panel to open once more")
        time.sleep(0.3)
        session.run([args.xinput, "click", "200", "600"])
        wait_for(lambda: sway_panel(session) is None, 5, "the panel to close on a click outside")
        print("opened and closed under sway", flush=True)
    finally:
        session.close()
    print("PASS", flush=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("scenario", choices=["tray", "notray", "latetray", "sway"])
    parser.add_argument("--trayvane", required=True)
    parser.add_argument("--xinput", required=True)
    parser.add_argument("--screenshot", help="sway: where to save the screen with the panel open")
    args = parser.parse_args()
    if args.scenario == "sway":
        sway_scenario(args)
        return
    with_tray = args.scenario == "tray"

    session = Session(args)
    try:
        session.start_x()
        if args.scenario == "latetray":
            late_tray(session, args)
            print("PASS", flush=True)
            return
        if with_tray:
            start_trayer(session)

        first = session.spawn([args.trayvane])
        # The icon settles once the program knows whether a host shows it.
        time.sleep(2.5)
        icon = wait_for(lambda: find_icon(with_tray), 10, "the status icon")
        print("icon:", icon, flush=True)
        if not with_tray and icon[1] != ICON_TITLE:
            fail("no fallback window without a tray")
        if with_tray and icon[1] == ICON_TITLE:
            fail("the fallback window shows although the tray host could show the icon")
        if icon[1] == ICON_TITLE:
            if icon[2] + icon[4] < SCREEN_W - 60 or icon[3] > 40:
                fail(f"fallback window at {icon[2]},{icon[3]} is not near the top-right corner")

        for attempt, close_by in enumerate(["icon", "escape", "outside", "icon"]):
            session.xinput("click", *centre(icon))
            opened = wait_for(panel, 5, f"the panel to open (round {attempt})")
            check_panel_geometry(opened, icon)
            time.sleep(0.3)
            if close_by == "icon":
                session.xinput("click", *centre(icon))
            elif close_by == "escape":
                session.xinput("key", "Escape")
            else:
                session.xinput("click", 40, SCREEN_H - 40)
            wait_for(lambda: panel() is None, 5, f"the panel to close by {close_by}")
            print("opened and closed by", close_by, flush=True)
            time.sleep(0.4)

        # A second copy ends itself during start and leaves the first alone.
        session.xinput("click", *centre(icon))
        wait_for(panel, 5, "the panel to open before the second copy")
        second = session.spawn([args.trayvane])
        try:
            code = second.wait(15)
        except subprocess.TimeoutExpired:
            fail("the second copy kept running")
        if code != 0:
            fail(f"the second copy exited with {code}")
        time.sleep(0.5)
        if first.poll() is not None:
            fail("the first copy ended")
        if panel() is None:
            fail("the first copy's panel closed when the second copy started")
        print("second copy exited; first copy untouched", flush=True)
    finally:
        session.close()
    print("PASS", flush=True)


if __name__ == "__main__":
    main()
