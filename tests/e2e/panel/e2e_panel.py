#!/usr/bin/python3
# End-to-end tests of the application shell in a private session
# (session_tools): the status icon (tray icon or fallback window) opens the
# panel under it, out of the taskbar and the pager, and the panel closes on a
# second click, on Escape and on a click outside; on X11 without any tray, with
# trayer coming and going and with trayer running first, and on a headless
# sway with swaybar as the tray host. Run inside dbus-run-session:
#   e2e_panel.py x11|sway --trayvane PATH
import os
import shutil
import subprocess
import sys
import time

from gi.repository import GLib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "fixtures"))
from session_tools import CONTROL, FIXTURES, Session, check, main, private_connection, stop  # noqa: E402

PANEL, ICON = "Trayvane Panel", "Trayvane Icon"
SCREEN = (1280, 800)  # the screen of the X server and of sway's output (desktops/sway.conf)
TRAYER = ("--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "120", "--height", "24",
          "--transparent", "false", "--SetDockType", "true")
SHADOW = 12  # where a compositor draws it, the 360 wide panel sits inside a shadow margin on every side


def check_drop_down(geometry, under=None):
    # The panel's own area is 360 wide, on screen, and under the point `under` (or near the top edge).
    x, y, w, h = geometry
    if w == 360 + 2 * SHADOW:
        x, y, w, h = x + SHADOW, y + SHADOW, w - 2 * SHADOW, h - 2 * SHADOW
    check(w == 360 and x >= 0 and y >= 0 and x + w <= SCREEN[0] and y + h <= SCREEN[1],
          f"the panel {w}x{h}+{x}+{y} is 360 wide and on screen")
    check(y <= 40 if under is None else x <= under[0] <= x + w and under[1] <= y <= under[1] + 16,
          f"the panel {w}x{h}+{x}+{y} drops down under {under or 'the top edge'}")


def centre(window):
    return window[3] + window[5] // 2, window[4] + window[6] // 2


def docked_icon(s):
    # Trayvane's own window inside trayer's panel, while no fallback window shows.
    host = next((w for w in s.windows() if w[1] == "panel" and s.viewable(w)), None)
    if host is None or s.window(ICON):
        return None
    return next((w for w in s.windows() if w[1] == "Trayvane" and w[5] > 1 and host[3] <= w[3] < host[3] + host[5]
                 and host[4] <= w[4] < host[4] + host[6] and s.viewable(w)), None)


def cycle(s, open, close, way, under=None):
    # Opens the panel by `open`, under the point `under`, and closes it by `close`.
    time.sleep(0.5)  # a just docked icon, or one whose panel just closed, takes clicks a moment later
    open()
    opened = s.wait_for(lambda: s.window(PANEL), f"the panel to open before closing by {way}", 5)
    check_drop_down(opened[3:7], under)
    state = s.run("xprop", "-id", opened[0], "_NET_WM_STATE")
    check("_NET_WM_STATE_SKIP_TASKBAR" in state and "_NET_WM_STATE_SKIP_PAGER" in state, f"skips: {state}")
    time.sleep(0.3)
    close()
    s.wait_for(lambda: not s.window(PANEL), f"the panel to close by {way}", 5)


def open_and_close(s, icon, *ways):
    # Clicks on the icon open the panel, which closes each of these ways in turn (a name or a function).
    closers = {"icon": lambda: s.click(*centre(icon)), "escape": lambda: s.xdo("key", "Escape"),
               "outside": lambda: s.click(40, SCREEN[1] - 40)}
    for way in ways:
        cycle(s, lambda: s.click(*centre(icon)), closers.get(way, way), way, (centre(icon)[0], icon[4] + icon[6]))


def scenario_x11(s):
    # No tray at start: the fallback window near the top-right corner; a second copy ends itself and leaves
    # the first untouched; a tray that starts later takes the icon, when it quits the fallback window returns,
    # and the next tray takes it again. Started while a tray runs, the icon docks there without a fallback window.
    first = s.start_trayvane()
    time.sleep(2.5)  # the icon settles once the program knows whether a host shows it
    fallback = s.wait_for(lambda: s.window(ICON), "the fallback window", 10)
    check(fallback[3] + fallback[5] >= SCREEN[0] - 60 and fallback[4] <= 40, f"at the top-right corner: {fallback}")

    def second_copy():
        check(s.spawn([s.args.trayvane]).wait(15) == 0, "the second copy ends itself cleanly")
        time.sleep(0.5)
        check(first.poll() is None and s.window(PANEL), "the first copy and its panel stay")
        s.xdo("key", "Escape")
    open_and_close(s, fallback, "icon", "escape", "outside", second_copy)

    trayer = s.start_trayer(*TRAYER)
    icon = s.wait_for(lambda: docked_icon(s), "the icon to move into the tray that started later", 10)
    open_and_close(s, icon, "icon")
    stop(trayer)
    fallback = s.wait_for(lambda: s.window(ICON), "the fallback window to come back without the tray", 10)
    open_and_close(s, fallback, "icon")
    s.start_trayer(*TRAYER)
    s.wait_for(lambda: docked_icon(s), "the icon to dock in a new tray", 10)

    stop(first)
    s.start_trayvane()
    time.sleep(2.5)  # docked_icon() also requires that no fallback window shows
    icon = s.wait_for(lambda: docked_icon(s), "the icon in the tray that ran first, and no fallback window", 10)
    open_and_close(s, icon, "icon", "escape", "outside")


SWAY_USER = "trayvane-e2e"


def sway_session(args):
    # sway refuses to run as root: it runs as an unprivileged user of its own, on a bus of its own.
    if os.geteuid() != 0 or not all(shutil.which(tool) for tool in (
            "useradd", "runuser", "sway", "swaybar", "Xwayland", "grim", "wtype", "xdotool")):
        print("SKIP: needs root, useradd, sway, swaybar, Xwayland, grim, wtype and xdotool", flush=True)
        sys.exit(77)
    if subprocess.run(["id", SWAY_USER], capture_output=True).returncode != 0:
        subprocess.run(["useradd", "--system", "--no-create-home", "--shell", "/usr/sbin/nologin", SWAY_USER],
                       check=True)
    s = Session(args, x_server=False, user=SWAY_USER)
    s.env.update(DBUS_SESSION_BUS_ADDRESS="unix:path=" + os.path.join(s.env["XDG_RUNTIME_DIR"], "bus"),
                 WLR_BACKENDS="headless", WLR_RENDERER="pixman", WLR_LIBINPUT_NO_DEVICES="1",
                 WLR_HEADLESS_OUTPUTS="1", XDG_SESSION_TYPE="wayland")
    return s


def start_sway(s):
    # The user's bus, which this process joins too, then sway with its XWayland.
    runtime = s.env["XDG_RUNTIME_DIR"]
    s.spawn(["dbus-daemon", "--config-file=" + os.path.join(FIXTURES, "desktops", "sway-bus.conf"), "--nofork",
             "--address=" + s.env["DBUS_SESSION_BUS_ADDRESS"]])
    s.wait_for(lambda: os.path.exists(os.path.join(runtime, "bus")), "the session bus", 10)
    s.bus = private_connection(s.env["DBUS_SESSION_BUS_ADDRESS"])
    s.spawn(["sway", "-c", os.path.join(FIXTURES, "desktops", "sway.conf")])
    s.wait_for(lambda: os.path.exists(os.path.join(runtime, "x-display")), "sway and its XWayland", 20)
    with open(os.path.join(runtime, "x-display")) as f:
        s.env["DISPLAY"] = f.read().strip()
    s.env["WAYLAND_DISPLAY"] = next(n for n in os.listdir(runtime)
                                    if n.startswith("wayland-") and not n.endswith(".lock"))


def find_teal(ppm, rows):
    # Centre of the teal pixels (the status icon) at the right end of the screen's top `rows` rows.
    w, h = map(int, ppm.split(maxsplit=3)[1:3])
    rgb = ppm[-w * h * 3:]
    points = [(x, y) for y in range(min(rows, h)) for x in range(w // 2, w)
              if any(all(abs(rgb[3 * (y * w + x) + i] - c[i]) < 30 for i in range(3))
                     for c in ((48, 176, 199), (64, 200, 224)))]
    if not points:
        return None
    right = max(x for x, _ in points)  # the tray sits at the right end of the bar: the rightmost cluster
    cluster = [(x, y) for x, y in points if x > right - 30]
    return (min(x for x, _ in cluster) + right) // 2, (min(y for _, y in cluster) + max(y for _, y in cluster)) // 2


def scenario_sway(s):
    # Trayvane's item in swaybar: TogglePanel opens the panel near the top edge, a click on the item under it;
    # it closes on a second click, on Escape and on a click outside.
    start_sway(s)
    s.trayvane = s.spawn([s.args.trayvane])
    icon = s.wait_for(lambda: find_teal(subprocess.run(s.command(["grim", "-t", "ppm", "-"]), capture_output=True,
                                                       timeout=20).stdout, 26), "Trayvane's icon in swaybar", 15)

    def toggle():  # closing the panel there takes the program up to about 8 s to answer
        s.call(CONTROL, "TogglePanel", timeout_ms=20000)
    cycle(s, toggle, toggle, "TogglePanel")
    # swaybar calls Activate with the pointer's place in the bar; the headless
    # seat has no pointer to click swaybar with, so the call is made as swaybar makes it.

    def activate():
        s.call((CONTROL[0], "/StatusNotifierItem", "org.kde.StatusNotifierItem"), "Activate",
               GLib.Variant("(ii)", icon), timeout_ms=20000)
    cycle(s, activate, activate, "a second click on the item", (icon[0], 26))
    # Escape, from a keyboard of the seat: the headless seat has one only
    # while wtype runs, and the panel gets the keyboard as it opens (half a
    # second after wtype starts, which types 2.5 s after that).
    typist = s.spawn(["wtype", "-s", "3000", "-k", "Escape"])
    cycle(s, activate, lambda: typist.wait(10), "Escape", (icon[0], 26))
    cycle(s, activate, lambda: s.click(200, 600), "a click outside", (icon[0], 26))  # through XWayland's own input


if __name__ == "__main__":
    sys.exit(main(globals(), sessions={"sway": sway_session}))
