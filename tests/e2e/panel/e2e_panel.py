#!/usr/bin/python3
"""End-to-end test of the application shell: the real trayvane binary on a
private X server and session bus, with a tray host (trayer) or without any
tray. In both the status icon (tray icon or fallback window) opens the panel
under it, and the panel closes on a second click, on Escape and on a click
outside; a second copy ends itself and leaves the first untouched. The panel
stays out of the taskbar and the pager. In "latetray" trayer starts after
Trayvane and quits again: the icon moves from the fallback window into the tray
and back.

Usage: e2e_panel.py tray|notray|latetray --trayvane PATH --xinput PATH
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


def check_panel_geometry(window, icon):
    _, _, x, y, w, h = window
    if w != 360:
        fail(f"panel is {w} wide")
    if x < 0 or y < 0 or x + w > SCREEN_W or y + h > SCREEN_H:
        fail(f"panel {w}x{h}+{x}+{y} is not fully on screen")
    if y < icon[3] + icon[5] or y > icon[3] + icon[5] + 16:
        fail(f"panel at y {y} is not under the icon (bottom {icon[3] + icon[5]})")
    if not (x <= centre(icon)[0] <= x + w):
        fail(f"panel {w}x{h}+{x}+{y} is not under the icon at x {centre(icon)[0]}")
    check_skips_taskbar(window)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("scenario", choices=["tray", "notray", "latetray"])
    parser.add_argument("--trayvane", required=True)
    parser.add_argument("--xinput", required=True)
    args = parser.parse_args()
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
