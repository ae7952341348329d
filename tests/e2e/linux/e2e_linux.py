#!/usr/bin/python3
"""End-to-end scenarios of the Linux backend.

Runs inside `dbus-run-session`: starts a private X server, the real trayvane
binary and tray client fixtures, and checks the result through trayvane's
control interface and the StatusNotifierWatcher. Every process started here is
ended here. Usage:

    e2e_linux.py SCENARIO --trayvane BIN --client BIN --ayatana SCRIPT --qt-client BIN
"""
import argparse
import ctypes
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

from gi.repository import Gio, GLib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "fixtures"))
from session_tools import start_xvfb, stop as stop_process  # noqa: E402

CONTROL = ("org.trayvane.Trayvane", "/org/trayvane/Trayvane", "org.trayvane.Trayvane")
WATCHER = ("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher", "org.kde.StatusNotifierWatcher")


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


class Session:
    def __init__(self, args):
        self.args = args
        self.root = tempfile.mkdtemp(prefix="trayvane-e2e-")
        self.processes = []
        self.trayvane = None
        self.env = dict(os.environ)
        home = os.path.join(self.root, "home")
        runtime = os.path.join(self.root, "runtime")
        share = os.path.join(self.root, "share")
        for folder in (home, runtime, os.path.join(share, "applications")):
            os.makedirs(folder, mode=0o700, exist_ok=True)
        self.data_home = os.path.join(home, ".local", "share")
        self.env.update({
            "HOME": home,
            "XDG_RUNTIME_DIR": runtime,
            "XDG_DATA_HOME": self.data_home,
            "XDG_CONFIG_HOME": os.path.join(home, ".config"),
            "XDG_CACHE_HOME": os.path.join(home, ".cache"),
            "XDG_DATA_DIRS": share + ":/usr/share",
            "NO_AT_BRIDGE": "1",
            "QT_QPA_PLATFORM": "xcb",
            "LANG": "de_DE.UTF-8",
            "LC_ALL": "",
            "XDG_CURRENT_DESKTOP": "",
        })
        self.env.pop("LC_ALL")
        with open(os.path.join(share, "applications", "org.example.Mail.desktop"), "w") as f:
            f.write("[Desktop Entry]\nType=Application\nName=Mail Program\nName[de]=Post-Programm\n"
                    "Icon=mail-unread\nExec=mailer\n")
        self.start_x()
        self.bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)

    # --- processes -------------------------------------------------------
    def start_x(self):
        def spawn(argv, **kwargs):
            process = subprocess.Popen(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, **kwargs)
            self.processes.append(process)
            return process
        self.env["DISPLAY"] = start_xvfb(spawn)

    def spawn(self, argv, stdin=False):
        # Each process's output goes to a file of its own, shown when a step fails.
        output = open(os.path.join(self.root, f"out-{len(self.processes)}-{os.path.basename(argv[0])}.txt"), "w")
        process = subprocess.Popen(argv, env=self.env, stdout=output, stderr=subprocess.STDOUT,
                                   stdin=subprocess.PIPE if stdin else subprocess.DEVNULL)
        output.close()
        self.processes.append(process)
        return process

    def start_trayvane(self):
        self.trayvane = self.spawn([self.args.trayvane])
        self.wait_for(lambda: self.name_has_owner(CONTROL[0]) and self.name_has_owner(WATCHER[0]),
                      "trayvane owns its name and the watcher")
        return self.trayvane

    def stop(self, process):
        stop_process(process)

    def client(self, item_id, title, *extra):
        return self.spawn([self.args.client, "--id", item_id, "--title", title, *extra], stdin=True)

    def log_path(self, name):
        return os.path.join(self.root, name + ".log")

    def close(self):
        for process in reversed(self.processes):
            self.stop(process)
        shutil.rmtree(self.root, ignore_errors=True)

    # --- D-Bus -----------------------------------------------------------
    def call(self, target, method, args=None, reply="()", timeout_ms=5000):
        name, path, interface = target
        result = self.bus.call_sync(name, path, interface, method, args, GLib.VariantType(reply),
                                    Gio.DBusCallFlags.NONE, timeout_ms, None)
        return result.unpack()

    def name_has_owner(self, name):
        return self.bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                  "NameHasOwner", GLib.Variant("(s)", (name,)), GLib.VariantType("(b)"),
                                  Gio.DBusCallFlags.NONE, 2000, None).unpack()[0]

    def pid_of(self, name):
        """The process of a bus name; None once the name has left the bus."""
        try:
            return self.bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                      "GetConnectionUnixProcessID", GLib.Variant("(s)", (name,)),
                                      GLib.VariantType("(u)"), Gio.DBusCallFlags.NONE, 2000, None).unpack()[0]
        except GLib.Error:
            return None

    def items(self):
        self.call(CONTROL, "Refresh")
        return self.listed()

    def listed(self):
        """The items as trayvane lists them now, without asking it to scan."""
        return json.loads(self.call(CONTROL, "Items", reply="(s)")[0])

    def bus_pids(self):
        names = self.call(("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus"), "ListNames",
                          reply="(as)")[0]
        pids = set()
        for name in names:
            if name.startswith(":"):
                try:
                    pids.add(self.pid_of(name))
                except GLib.Error:  # left meanwhile
                    pass
        return pids

    def watcher_items(self):
        # Read over a connection of its own that closes at once: a connection
        # that reads the list and stays counts as a tray showing the items.
        connection = private_connection()
        try:
            return connection.call_sync(WATCHER[0], WATCHER[1], "org.freedesktop.DBus.Properties", "Get",
                                        GLib.Variant("(ss)", (WATCHER[2], "RegisteredStatusNotifierItems")),
                                        GLib.VariantType("(v)"), Gio.DBusCallFlags.NONE, 5000, None).unpack()[0]
        finally:
            connection.close_sync(None)

    def activate(self, item_id):
        return self.call(CONTROL, "Activate", GLib.Variant("(s)", (item_id,)), reply="(b)")[0]

    def wait_for(self, predicate, what, timeout=20.0):
        deadline = time.monotonic() + timeout
        last_error = None
        while time.monotonic() < deadline:
            try:
                value = predicate()
                if value:
                    return value
            except GLib.Error as error:  # the peer may not be up yet
                last_error = error
            pump(0.1)
        raise Failure("timed out waiting for " + what + (f" ({last_error})" if last_error else ""))

    def wait_items(self, predicate, what, timeout=20.0):
        box = {}

        def probe():
            box["items"] = self.items()
            return predicate(box["items"])
        try:
            self.wait_for(probe, what, timeout)
        except Failure:
            items = box.get("items") or []
            # Names cut short, so that one huge title cannot hide the others.
            names = [str(item.get("displayName"))[:40] for item in items]
            raise Failure(f"timed out waiting for {what}; {len(items)} items: {names}; "
                          f"as listed: {json.dumps(items)[:2000]}")
        return box["items"]

    def read_log(self, name):
        try:
            with open(self.log_path(name)) as f:
                return f.read().splitlines()
        except FileNotFoundError:
            return []

    # --- X ---------------------------------------------------------------
    def screenshot(self, name):
        """Saves the screen to $TRAYVANE_E2E_SCREENSHOTS/NAME.png when that folder is set."""
        folder = os.environ.get("TRAYVANE_E2E_SCREENSHOTS")
        if not folder:
            return
        os.makedirs(folder, exist_ok=True)
        code = ("import gi,sys; gi.require_version('Gdk','3.0'); from gi.repository import Gdk;"
                "w=Gdk.get_default_root_window(); Gdk.pixbuf_get_from_window(w,0,0,w.get_width(),"
                "w.get_height()).savev(sys.argv[1],'png',[],[])")
        subprocess.run(["/usr/bin/python3", "-c", code, os.path.join(folder, name + ".png")], env=self.env,
                       timeout=20)

    def window_exists(self, title):
        result = subprocess.run(["xwininfo", "-name", title], env=self.env, capture_output=True, text=True)
        return result.returncode == 0 and "IsViewable" in result.stdout

    def x_pointer(self, x, y, click=False):
        """Moves the pointer (and clicks) through XTest."""
        xlib = ctypes.cdll.LoadLibrary("libX11.so.6")
        xtst = ctypes.cdll.LoadLibrary("libXtst.so.6")
        xlib.XOpenDisplay.restype = ctypes.c_void_p
        display = xlib.XOpenDisplay(self.env["DISPLAY"].encode())
        check(display, "cannot open the X display")
        display = ctypes.c_void_p(display)
        xtst.XTestFakeMotionEvent(display, -1, x, y, 0)
        if click:
            xtst.XTestFakeButtonEvent(display, 1, True, 0)
            xtst.XTestFakeButtonEvent(display, 1, False, 0)
        xlib.XFlush(display)
        xlib.XCloseDisplay(display)

    def window_geometry(self, title):
        """(x, y, w, h) of a viewable window with this title, if any."""
        result = subprocess.run(["xwininfo", "-name", title], env=self.env, capture_output=True, text=True)
        if result.returncode != 0 or "IsViewable" not in result.stdout:
            return None
        values = dict(line.strip().split(":", 1) for line in result.stdout.splitlines() if ":" in line)
        return tuple(int(values[key]) for key in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"))
    def viewable_popups(self):
        """Geometries (x, y, w, h) of viewable top-level windows larger than an icon."""
        result = subprocess.run(["xwininfo", "-root", "-children"], env=self.env, capture_output=True, text=True)
        found = []
        for line in result.stdout.splitlines():
            for part in line.split():
                if "x" in part and part.count("+") == 2 and part[0].isdigit():
                    size, px, py = part.split("+")
                    w, h = size.split("x")
                    if 40 < int(w) < 1280 and int(h) > 40:
                        state = subprocess.run(["xwininfo", "-id", line.split()[0]], env=self.env,
                                               capture_output=True, text=True).stdout
                        if "IsViewable" in state:
                            found.append((int(px), int(py), int(w), int(h)))
        return found

    def popup_at(self, x, y):
        """Geometry (x, y, w, h) of a viewable top-level window at this corner, if any."""
        result = subprocess.run(["xwininfo", "-root", "-children"], env=self.env, capture_output=True, text=True)
        for line in result.stdout.splitlines():
            parts = line.split()
            for part in parts:
                if "x" in part and part.count("+") == 2 and part[0].isdigit():
                    size, px, py = part.split("+")
                    w, h = size.split("x")
                    if abs(int(px) - x) <= 2 and abs(int(py) - y) <= 2 and int(w) > 20 and int(h) > 20:
                        return int(px), int(py), int(w), int(h)
        return None


    def window_tree(self):
        """The X window tree as (depth, window id, name, class) rows."""
        result = subprocess.run(["xwininfo", "-root", "-tree"], env=self.env, capture_output=True, text=True)
        rows = []
        for line in result.stdout.splitlines():
            stripped = line.lstrip()
            if not stripped.startswith("0x"):
                continue
            depth = len(line) - len(stripped)
            window, _, rest = stripped.partition(" ")
            name = rest.split('"')[1] if rest.startswith('"') else ""
            wm_class = rest.split("(", 1)[1].split(")", 1)[0] if "(" in rest else ""
            rows.append((depth, int(window, 16), name, wm_class))
        return rows

    def trayer_icons(self):
        """Names (or classes) of the icon windows docked in trayer's panel: the
        windows two levels below it, inside its sockets."""
        rows = self.window_tree()
        names = []
        for index, (depth, _, name, wm_class) in enumerate(rows):
            if name == "panel" and '"trayer"' in wm_class:
                levels = []
                for inner_depth, _, inner_name, inner_class in rows[index + 1:]:
                    if inner_depth <= depth:
                        break
                    if inner_depth not in levels:
                        levels.append(inner_depth)
                    if levels.index(inner_depth) == 1:
                        names.append(inner_name or inner_class.split('"')[-2] if '"' in inner_class else inner_name)
        return names

    def start_trayer(self):
        trayer = self.spawn(["trayer", "--widthtype", "request"])
        self.wait_for(lambda: any(name == "panel" for _, _, name, _ in self.window_tree()), "trayer's panel")
        return trayer


def pump(seconds):
    """Lets this process's own D-Bus objects answer for a while."""
    context = GLib.MainContext.default()
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        while context.pending():
            context.iteration(False)
        time.sleep(0.01)


WATCHER_XML = """<node><interface name="org.kde.StatusNotifierWatcher">
<method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>
<method name="RegisterStatusNotifierHost"><arg type="s" direction="in"/></method>
<property name="RegisteredStatusNotifierItems" type="as" access="read"/>
<property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
<property name="ProtocolVersion" type="i" access="read"/>
<signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
<signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
<signal name="StatusNotifierHostRegistered"/>
</interface></node>"""


def private_connection():
    address = Gio.dbus_address_get_for_bus_sync(Gio.BusType.SESSION, None)
    return Gio.DBusConnection.new_for_address_sync(
        address, Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION,
        None, None)


class FakeShellWatcher:
    """A desktop shell's watcher that replaces Trayvane's (served from this process). It lists a
    registration by object path as that path alone, as some watchers do."""

    def __init__(self):
        self.items = []
        self.hosts = ["org.kde.StatusNotifierHost-shell"]  # the shell's own bar shows the items
        self.connection = private_connection()
        info = Gio.DBusNodeInfo.new_for_xml(WATCHER_XML).interfaces[0]
        self.connection.register_object("/StatusNotifierWatcher", info, self.on_call, self.on_get, None)
        # DBUS_NAME_FLAG_REPLACE_EXISTING | DBUS_NAME_FLAG_DO_NOT_QUEUE
        reply = self.connection.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                          "RequestName", GLib.Variant("(su)", (WATCHER[0], 2 | 4)),
                                          GLib.VariantType("(u)"), Gio.DBusCallFlags.NONE, 5000, None)
        check(reply.unpack()[0] == 1, "the fake shell became the primary owner of the watcher name")

    def on_call(self, connection, sender, path, interface, method, parameters, invocation):
        argument = parameters.unpack()[0]
        if method == "RegisterStatusNotifierItem":
            entry = argument
            if "/" not in entry:
                entry += "/StatusNotifierItem"
            if entry not in self.items:
                self.items.append(entry)
                connection.emit_signal(None, "/StatusNotifierWatcher", WATCHER[2], "StatusNotifierItemRegistered",
                                       GLib.Variant("(s)", (entry,)))
        else:
            self.hosts.append(argument)
        invocation.return_value(None)

    def on_get(self, connection, sender, path, interface, name):
        if name == "RegisteredStatusNotifierItems":
            return GLib.Variant("as", self.items)
        if name == "IsStatusNotifierHostRegistered":
            return GLib.Variant("b", bool(self.hosts))
        return GLib.Variant("i", 0)

    def leave(self):
        self.connection.close_sync(None)


def by_display_name(items, name):
    return [item for item in items if item["displayName"] == name]


# --- scenarios ---------------------------------------------------------------

def scenario_discovery(s):
    """Discovery, grouping by process, names from a desktop entry, own process skipped."""
    trayvane = s.start_trayvane()
    mail = s.client("org.example.Mail", "Eingang", "--count", "2")
    s.wait_items(lambda items: len(items) == 2, "the two mail items")
    other = s.client("other-tool", "Werkzeug")
    s.wait_items(lambda items: len(items) == 3, "the tool item")
    s.spawn([s.args.ayatana, "ayatana-fixture", s.log_path("ayatana")])
    # Counted once registered: until then libayatana may show a GTK status
    # icon instead, which would dock in Trayvane's own X11 tray meanwhile.
    items = s.wait_items(lambda items: len(items) == 4 and any(
        "/org/ayatana/NotificationItem/" in entry for entry in s.watcher_items()), "the ayatana item")

    names = [item["displayName"] for item in items]
    check(names == ["Eingang", "Eingang 2", "Werkzeug", "Ayatana Fixture"],
          f"items in registration order (left to right): {names}")
    first, second, tool, ayatana = items
    check(first["ownerPID"] == second["ownerPID"] == mail.pid, "both mail items belong to the mail process")
    check(first["ownerName"] == "Post-Programm", f"localized name from the desktop entry: {first['ownerName']}")
    check(first["bundleIdentifier"] == "org.example.Mail", "desktop-file id as bundle identifier")
    check(first["orderKey"] == "org.example.Mail:Eingang", f"order key {first['orderKey']}")
    check(tool["ownerPID"] == other.pid and tool["bundleIdentifier"] is None, "no entry: no bundle identifier")
    check(tool["ownerName"] == "trayvane_sni_client", f"no entry: the process name ({tool['ownerName']})")
    check(ayatana["ownerPID"] != mail.pid and ayatana["ownerName"], "ayatana item has its own process")
    check(all(item["ownerPID"] != trayvane.pid for item in items), "trayvane's own item is skipped")
    check(len({item["id"] for item in items}) == 4, "ids are distinct")
    # The ayatana client registered by object path on its own connection.
    check(any(entry.startswith(":") and "/org/ayatana/NotificationItem/" in entry for entry in s.watcher_items()),
          f"object-path registration: {s.watcher_items()}")

    # An item vanishes when its owner leaves the bus.
    s.stop(other)
    s.wait_items(lambda items: len(items) == 3 and not by_display_name(items, "Werkzeug"), "the tool item to vanish")


def scenario_startup(s):
    """Items on the bus before the start, and items that come or change later, are listed without a refresh."""
    bound = 1.0  # loose: the listing follows the desktop within a fraction of it

    def listed_within(predicate, what):
        started = time.monotonic()
        while time.monotonic() - started < 10.0:
            try:
                if predicate(s.listed()):
                    elapsed = time.monotonic() - started
                    check(elapsed <= bound, f"{what} after {elapsed:.2f} s (at most {bound} s)")
                    return
            except GLib.Error:  # not on the bus yet
                pass
            time.sleep(0.02)
        raise Failure(f"{what} never listed without a refresh")

    early = [s.client(f"early-{i}", f"Früh {i}", "--count", "3") for i in range(3)]
    s.wait_for(lambda: {client.pid for client in early} <= s.bus_pids(), "the clients on the bus")
    s.trayvane = s.spawn([s.args.trayvane])
    listed_within(lambda items: len(items) == 9, "the nine items already on the bus")

    late = s.client("late-tool", "Spät")
    listed_within(lambda items: by_display_name(items, "Spät"), "an item registered later")
    late.stdin.write(b"title Umbenannt\n")
    late.stdin.flush()
    listed_within(lambda items: by_display_name(items, "Umbenannt"), "a changed title")
    s.stop(late)
    listed_within(lambda items: len(items) == 9, "the removal of an item")


def scenario_hidden(s):
    """Hidden marks without and with another host, Passive, and the own icon's fallback window."""
    trayvane = s.start_trayvane()
    active = s.client("active-tool", "Aktiv")
    passive = s.client("passive-tool", "Ruhend", "--status", "Passive")
    items = s.wait_items(lambda items: len(items) == 2, "both items")
    check(all(item["isHidden"] for item in items), "without another host every item is hidden")
    s.wait_for(lambda: s.window_exists("Trayvane Icon"), "the fallback icon window while nobody shows the tray icon")

    host = s.spawn([s.args.client, "--host"])
    items = s.wait_items(lambda items: not by_display_name(items, "Aktiv")[0]["isHidden"], "the active item to show")
    check(by_display_name(items, "Ruhend")[0]["isHidden"], "a passive item stays hidden with a host")
    s.wait_for(lambda: not s.window_exists("Trayvane Icon"), "the fallback window to give way to the tray icon")
    # Qt's tray icon of trayvane registers with the watcher once it is shown.
    s.wait_for(lambda: any(s.pid_of(entry.split("/", 1)[0]) == trayvane.pid for entry in s.watcher_items()),
               "trayvane's own item at the watcher")

    # Status changes arrive through the item's signals.
    passive.stdin.write(b"status Active\n")
    passive.stdin.flush()
    s.wait_items(lambda items: not by_display_name(items, "Ruhend")[0]["isHidden"], "the item that became active")
    active.stdin.write(b"status Passive\n")
    active.stdin.flush()
    s.wait_items(lambda items: by_display_name(items, "Aktiv")[0]["isHidden"], "the item that became passive")

    s.stop(host)
    s.wait_items(lambda items: all(item["isHidden"] for item in items), "everything hidden once the host left")
    s.wait_for(lambda: s.window_exists("Trayvane Icon"), "the fallback window again")


def scenario_activation(s):
    """Activate on a Qt-style client, the dbusmenu of an ayatana client, a client leaving mid-activation."""
    s.start_trayvane()
    s.client("org.example.Mail", "Eingang", "--log", s.log_path("mail"))
    s.spawn([s.args.ayatana, "ayatana-fixture", s.log_path("ayatana")])
    leaver = s.client("leaver", "Abgang", "--exit-on-activate")
    qt_client = s.spawn([s.args.qt_client, "Qt-Symbol", s.log_path("qt")])
    items = s.wait_items(lambda items: len(items) == 4, "four items", timeout=45.0)

    s.x_pointer(300, 200)
    mail = by_display_name(items, "Eingang")[0]
    check(s.activate(mail["id"]), "Activate finds the item")
    lines = s.wait_for(lambda: s.read_log("mail"), "the Activate call at the client")
    check(lines == [f"activate org.example.Mail 300 200"], f"Activate(x, y) at the pointer: {lines}")
    check(not s.activate("no-such-id"), "Activate of an unknown id answers false")

    # A plain QSystemTrayIcon: Qt registers it by unique name and titles it
    # with the application's name; Activate reaches its activated() signal.
    qt_items = [item for item in items if item["ownerPID"] == qt_client.pid]
    check(len(qt_items) == 1 and qt_items[0]["displayName"] == "trayvane_qt_tray_client",
          f"the QSystemTrayIcon's item, titled by Qt: {items}")
    check(any(entry.startswith(":") and entry.endswith("/StatusNotifierItem") and
              s.pid_of(entry.split("/", 1)[0]) == qt_client.pid for entry in s.watcher_items()),
          "Qt registered by its unique name")
    check(s.activate(qt_items[0]["id"]), "Activate finds the Qt item")
    check(s.wait_for(lambda: s.read_log("qt"), "the activation in the Qt client") == ["activated 3"],
          "Activate arrives as a trigger")

    # The ayatana client has no Activate: its menu opens at the pointer.
    s.x_pointer(400, 300)
    ayatana = by_display_name(items, "Ayatana Fixture")[0]
    check(s.activate(ayatana["id"]), "Activate finds the ayatana item")
    clicked = []
    for _ in range(3):
        popup = s.wait_for(lambda: s.popup_at(400, 300), "the item's menu at the pointer")
        pump(0.3)  # a menu takes clicks once it is mapped and holds the pointer
        s.x_pointer(popup[0] + 30, popup[1] + 12, click=True)
        try:
            clicked = s.wait_for(lambda: s.read_log("ayatana"), "the click on the menu entry", timeout=3)
            break
        except Failure:
            if not s.popup_at(400, 300):  # the click closed the menu without choosing: open it again
                s.activate(ayatana["id"])
    check(clicked == ["clicked Erster Eintrag"], f"the first entry reached the client: {clicked}")

    leaving = by_display_name(items, "Abgang")[0]
    check(s.activate(leaving["id"]), "Activate of the leaving client")
    leaver.wait(10)
    s.wait_items(lambda items: len(items) == 3, "the leaver to vanish")
    check(s.trayvane.poll() is None, "trayvane survives a client that leaves mid-activation")


def scenario_hostile(s):
    """A hung client, a 1 MB title, bogus pixmaps and a FIFO as icon: nothing crashes, nothing stalls."""
    s.start_trayvane()
    fifo = os.path.join(s.root, "icon.png")
    os.mkfifo(fifo)  # opening it for reading would wait for a writer forever
    s.client("normal", "Normal")
    s.client("hung", "Haengt", "--hang")
    s.client("huge", "x", "--huge-title")
    s.client("bogus", "Kaputt", "--bogus-pixmap")
    s.client("fifo", "Rohr", "--icon-name", fifo)
    items = s.wait_items(lambda items: len(items) == 4, "the four answering items")
    check(by_display_name(items, "Rohr"), "the item whose icon is a FIFO is listed")
    check(not by_display_name(items, "Haengt"), "the hung client's item stays out until it answers")
    huge = [item for item in items if item["displayName"].startswith("TTTT")]
    check(len(huge) == 1 and len(huge[0]["displayName"]) == 512, "the 1 MB title is cut to 512 characters")
    check(by_display_name(items, "Kaputt"), "the item with bogus pixmaps is still listed")

    # While the hung client's calls are still pending, trayvane answers at once.
    worst = 0.0
    deadline = time.monotonic() + 4.0
    while time.monotonic() < deadline:
        started = time.monotonic()
        s.call(CONTROL, "Items", reply="(s)")
        s.watcher_items()
        worst = max(worst, time.monotonic() - started)
        time.sleep(0.05)
    check(worst < 0.5, f"the main thread and the watcher kept answering (worst {worst * 1000:.0f} ms)")
    check(s.trayvane.poll() is None, "trayvane is alive")


def scenario_order(s):
    """The first order file, and a restart that keeps the order."""
    s.start_trayvane()
    a = s.client("app-a", "Alpha")
    s.wait_items(lambda items: len(items) == 1, "Alpha")
    s.client("app-b", "Beta")
    s.wait_items(lambda items: len(items) == 2, "Beta")
    s.client("app-c", "Gamma")
    s.wait_items(lambda items: len(items) == 3, "Gamma")
    order_file = os.path.join(s.data_home, "Trayvane", "order.json")

    def saved():
        try:
            with open(order_file) as f:
                return json.load(f)
        except (OSError, ValueError):
            return None
    s.wait_for(saved, "the first order file")
    # The first scan that found items fixed the order of that moment: Alpha alone.
    check(saved() == ["trayvane_sni_client:Alpha"], f"first order file: {saved()}")
    items = s.items()
    check([item["displayName"] for item in items] == ["Alpha", "Beta", "Gamma"], "new items follow left to right")

    # Restart: Beta and Gamma re-register with the new watcher at once, Alpha
    # comes back last and so sits rightmost, yet its saved place wins.
    s.stop(s.trayvane)
    s.stop(a)
    s.start_trayvane()
    s.wait_items(lambda items: len(items) == 2, "Beta and Gamma re-registered with the new watcher")
    s.client("app-a", "Alpha")
    items = s.wait_items(lambda items: len(items) == 3, "Alpha again")
    names = [item["displayName"] for item in items]
    check(names[0] == "Alpha" and sorted(names[1:]) == ["Beta", "Gamma"],
          f"the saved order survives the restart: {names}")
    check(saved() == ["trayvane_sni_client:Alpha"], f"the order file is not extended by new items: {saved()}")


def scenario_watcher(s):
    """The watcher's protocol, and following a desktop shell that replaces it and leaves again."""
    trayvane = s.start_trayvane()
    s.client("pointer-tool", "Zeiger")
    items = s.wait_items(lambda items: len(items) == 1, "the client's item")
    check(items[0]["isHidden"], "hidden while Trayvane is the only host")
    # Registers once, and again only when the watcher name appears anew.
    qt_client = s.spawn([s.args.qt_client, "Qt-Symbol", s.log_path("qt")])
    s.wait_items(lambda items: len(items) == 2, "the Qt item")

    props = s.call(("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher", "org.freedesktop.DBus.Properties"),
                   "GetAll", GLib.Variant("(s)", (WATCHER[2],)), reply="(a{sv})")[0]
    check(props["IsStatusNotifierHostRegistered"] is True and props["ProtocolVersion"] == 0,
          f"watcher properties: {props}")

    # A second connection registers by object path (twice, harmlessly) and
    # with malformed arguments, then leaves the bus.
    seen = []
    s.bus.signal_subscribe(WATCHER[0], WATCHER[2], None, WATCHER[1], None, Gio.DBusSignalFlags.NONE,
                           lambda *args: seen.append((args[4], args[5].unpack())))
    peer = private_connection()
    for argument in ("/peer/item", "/peer/item", "not a bus name", "/bad//path"):
        peer.call_sync(*WATCHER, "RegisterStatusNotifierItem", GLib.Variant("(s)", (argument,)), None,
                       Gio.DBusCallFlags.NONE, 5000, None)
    entry = peer.get_unique_name() + "/peer/item"
    entries = s.watcher_items()
    check(entries.count(entry) == 1, f"registering twice keeps one entry: {entries}")
    check(not [e for e in entries if "bad" in e or " " in e], f"malformed registrations are ignored: {entries}")
    peer.close_sync(None)
    s.wait_for(lambda: entry not in s.watcher_items(), "the entry to vanish with its owner")
    s.wait_for(lambda: ("StatusNotifierItemUnregistered", (entry,)) in seen, "the unregistration signal")
    check(("StatusNotifierItemRegistered", (entry,)) in seen, f"the registration signal once: {seen}")
    check(seen.count(("StatusNotifierItemRegistered", (entry,))) == 1, "registering twice announces once")

    # A desktop shell takes the name over: Trayvane follows it as a host.
    shell = FakeShellWatcher()
    s.wait_for(lambda: f"org.kde.StatusNotifierHost-{trayvane.pid}" in shell.hosts, "Trayvane's host at the shell")
    items = s.wait_items(lambda items: len(items) == 2 and not any(item["isHidden"] for item in items),
                         "both items, shown by the shell's desktop")
    check(any(s.pid_of(entry.split("/", 1)[0]) == qt_client.pid for entry in shell.items),
          f"Trayvane handed the Qt item to the shell: {shell.items}")
    s.wait_for(lambda: not s.window_exists("Trayvane Icon"), "the tray icon instead of the fallback window")
    s.wait_for(lambda: any(s.pid_of(entry.split("/", 1)[0]) == trayvane.pid for entry in shell.items),
               "Trayvane's own tray icon registered with the shell")
    # Listed by its object path alone, the ayatana item is found on the bus.
    ayatana = s.spawn([s.args.ayatana, "ayatana-fixture", s.log_path("ayatana")])
    s.wait_items(lambda items: any(item["ownerPID"] == ayatana.pid for item in items), "the item listed by path alone")
    check([entry for entry in shell.items if entry.startswith("/org/ayatana/")], f"a bare path: {shell.items}")
    s.stop(ayatana)

    # The shell leaves: Trayvane takes the name back and the client returns to it.
    shell.leave()
    s.wait_for(lambda: s.pid_of(WATCHER[0]) == trayvane.pid, "Trayvane's watcher again")
    s.wait_items(lambda items: len(items) == 2 and all(item["isHidden"] for item in items),
                 "the items back at Trayvane's watcher")
    s.wait_for(lambda: s.call(("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher",
                               "org.freedesktop.DBus.Properties"), "Get",
                              GLib.Variant("(ss)", (WATCHER[2], "IsStatusNotifierHostRegistered")), reply="(v)")[0],
               "Trayvane's host registered again with its own watcher")


# --- the desktop's own tray ---------------------------------------------------

XFCE_PANEL = """<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="size" type="uint" value="30"/>
      <property name="icon-size" type="uint" value="22"/>
      <property name="plugin-ids" type="array"><value type="int" value="1"/></property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
"""


def start_desktop_tray(s, program):
    """Starts the real status-notifier-watcher or an xfce4-panel whose only plugin is the status tray."""
    if program == "xfce4-panel":
        config = os.path.join(s.root, "xdg")
        os.makedirs(os.path.join(config, "xfce4", "panel"), exist_ok=True)
        with open(os.path.join(config, "xfce4", "panel", "default.xml"), "w") as f:
            f.write(XFCE_PANEL)
        s.env["XDG_CONFIG_DIRS"] = config + ":/etc/xdg"
    process = s.spawn([program])
    trayvane = s.trayvane.pid if s.trayvane and s.trayvane.poll() is None else None

    def queued():
        return s.call(("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus"), "ListQueuedOwners",
                      GLib.Variant("(s)", (WATCHER[0],)), reply="(as)")[0]
    # It owns the watcher name, or waits for it behind Trayvane (xfce4-panel's
    # tray runs in a process of its own).
    s.wait_for(lambda: [owner for owner in queued() if s.pid_of(owner) not in (None, trayvane)],
               f"{program} at the watcher name")
    return process


def start_three_clients(s):
    """A Qt QSystemTrayIcon (registers once, by unique name), a libayatana item
    (by object path, re-registers by itself) and a plain item."""
    clients = [s.spawn([s.args.qt_client, "Qt-Symbol", s.log_path("qt")]),
               s.spawn([s.args.ayatana, "ayatana-fixture", s.log_path("ayatana")]),
               s.client("plain-tool", "Schlicht")]
    return clients


def own_entries(s, entries, clients):
    """The clients whose items these watcher entries name."""
    pids = {s.pid_of(entry.split("/", 1)[0]) for entry in entries}
    return {client.pid for client in clients} & pids


def expect_listed(s, clients, hidden, what):
    pids = {client.pid for client in clients}
    return s.wait_items(lambda items: {item["ownerPID"] for item in items} == pids and
                        all(item["isHidden"] == hidden for item in items), what, timeout=30.0)


def scenario_foreign_watcher(s):
    """The real status-notifier-watcher (it exits when the name is taken, so it runs first): it lists
    bare bus names, also for an item at another path; nothing shows the items."""
    watcher = start_desktop_tray(s, "status-notifier-watcher")
    s.start_trayvane()
    # Qt decides at its first tray use whether a host is there.
    s.wait_for(lambda: s.call((WATCHER[0], WATCHER[1], "org.freedesktop.DBus.Properties"), "Get",
                              GLib.Variant("(ss)", (WATCHER[2], "IsStatusNotifierHostRegistered")), reply="(v)")[0],
               "Trayvane's host registered with the desktop's watcher")
    clients = start_three_clients(s)
    expect_listed(s, clients, True, "all three items, hidden while no tray shows them")
    # Trayvane's own item registers there too; the clients' entries are checked.
    entries = [entry for entry in s.watcher_items() if s.pid_of(entry.split("/", 1)[0]) != s.trayvane.pid]
    check(len(entries) == 3 and all("/" not in entry for entry in entries),
          f"the watcher lists bare bus names: {entries}")

    s.stop(s.trayvane)
    s.start_trayvane()
    expect_listed(s, clients, True, "a restarted Trayvane lists them all again")
    check(s.pid_of(WATCHER[0]) == watcher.pid, "the desktop's watcher keeps its name")


def scenario_xfce_later(s):
    """xfce4-panel started after Trayvane reads Trayvane's watcher without registering, then takes it over."""
    s.start_trayvane()
    clients = start_three_clients(s)
    passive = s.client("passive-tool", "Ruhend", "--status", "Passive")
    expect_listed(s, clients + [passive], True, "all items hidden before the panel runs")
    start_desktop_tray(s, "xfce4-panel")

    def drawn_marks(items):
        return len(items) == 4 and all(item["isHidden"] == (item["ownerPID"] == passive.pid) for item in items)
    s.wait_items(drawn_marks, "the items the panel's tray draws marked as shown, the passive one hidden",
                 timeout=30.0)
    s.screenshot("xfce-later")

    gone = s.trayvane.pid
    s.stop(s.trayvane)
    s.wait_for(lambda: s.pid_of(WATCHER[0]) not in (None, gone), "the panel's watcher owning the name")
    s.wait_for(lambda: own_entries(s, s.watcher_items(), clients) == {c.pid for c in clients},
               "every item registered with the panel's watcher")
    s.start_trayvane()
    s.wait_items(drawn_marks, "a restarted Trayvane lists them all, marked as the panel draws them", timeout=30.0)
    s.screenshot("xfce-later-restarted")


def scenario_xfce_first(s):
    """xfce4-panel running before Trayvane: its watcher, its marks."""
    start_desktop_tray(s, "xfce4-panel")
    s.start_trayvane()
    clients = start_three_clients(s)
    expect_listed(s, clients, False, "every item shown by the panel")
    s.screenshot("xfce-first")

    # A row click on the ayatana item: the panel closes, the item's menu stays open.
    s.call(CONTROL, "TogglePanel")
    panel = s.wait_for(lambda: s.window_geometry("Trayvane Panel"), "the panel")
    pump(0.5)
    rank = [item["ownerPID"] for item in s.items()].index(clients[1].pid)
    row = (panel[0] + 130, panel[1] + 109 + 40 * rank)  # rows are 40 pixels apart
    s.x_pointer(*row, click=True)
    menu = s.wait_for(lambda: s.popup_at(*row), "the ayatana item's menu at the row")
    pump(1.0)
    s.screenshot("xfce-first-menu")
    check(s.popup_at(*row) == menu, "the menu stays open after the panel closed")
    s.x_pointer(menu[0] + 30, menu[1] + 12, click=True)
    check(s.wait_for(lambda: s.read_log("ayatana"), "the click on the menu entry") == ["clicked Erster Eintrag"],
          "the menu entry reached the client")


def host_registered(s):
    return s.call(("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher", "org.freedesktop.DBus.Properties"),
                  "Get", GLib.Variant("(ss)", (WATCHER[2], "IsStatusNotifierHostRegistered")), reply="(v)")[0]


def scenario_xembed_tray(s):
    """Trayer shows the only tray: a Qt and a libayatana client still dock there, and Trayvane lists both."""
    s.start_trayer()
    trayvane = s.start_trayvane()
    check(not host_registered(s), "the watcher reports no host while trayer is the desktop's tray")
    qt_client = s.spawn([s.args.qt_client, "Qt-Symbol", s.log_path("qt")])
    ayatana = s.spawn([s.args.ayatana, "ayatana-fixture", s.log_path("ayatana")])
    s.wait_for(lambda: {"trayvane_qt_tray_client", "Ayatana Fixture"} <= set(s.trayer_icons()),
               "both icons docked in trayer")
    check(s.watcher_items() == [], f"no client registered with Trayvane's watcher: {s.watcher_items()}")
    items = s.wait_items(lambda items: {qt_client.pid, ayatana.pid} <= {item["ownerPID"] for item in items},
                         "both icons listed")
    qt_item = [item for item in items if item["ownerPID"] == qt_client.pid]
    check(len(qt_item) == 1 and qt_item[0]["displayName"] == "trayvane_qt_tray_client",
          f"the Qt icon is listed once, named by its window title: {items}")
    check([item["displayName"] for item in items if item["ownerPID"] == ayatana.pid] == ["Ayatana Fixture"],
          f"the ayatana client's fallback icon, named by its window title: {items}")
    check(all(not item["isHidden"] for item in items), f"trayer shows them: none is hidden: {items}")
    check(all(item["ownerPID"] != trayvane.pid for item in items), "Trayvane's own icon is not listed")
    check("Trayvane" in s.trayer_icons(), f"Trayvane's own icon docked in trayer too: {s.trayer_icons()}")

    # A click synthesized at the icon in trayer reaches the program.
    check(s.activate(qt_item[0]["id"]), "Activate finds the Qt icon")
    check(s.wait_for(lambda: s.read_log("qt"), "the click at the Qt client") == ["activated 3"],
          "the click arrives as a trigger")

    # A program that quits leaves the list.
    s.stop(qt_client)
    s.wait_items(lambda items: all(item["ownerPID"] != qt_client.pid for item in items), "the Qt icon to vanish")


def scenario_xembed_own(s):
    """No X11 tray: Trayvane embeds the icons, hands them to trayer and takes them back when it quits."""
    s.start_trayvane()
    yad = s.spawn(["yad", "--notification", "--image=mail-unread", "--text=Yad-Symbol",
                   "--command=sh -c 'echo clicked >> " + s.log_path("yad") + "'"])
    clipboard = s.spawn(["parcellite"])
    items = s.wait_items(lambda items: {yad.pid, clipboard.pid} <= {item["ownerPID"] for item in items},
                         "the yad and parcellite icons", timeout=30.0)
    yad_item = [item for item in items if item["ownerPID"] == yad.pid]
    check(len(yad_item) == 1 and yad_item[0]["displayName"] == "YAD" and yad_item[0]["isHidden"],
          f"yad's icon, named by its window class, hidden: {items}")
    check(all(item["isHidden"] for item in items), "no tray of the desktop shows them")
    check(not s.trayer_icons(), "nothing docked anywhere else")

    # A click at the icon's own window, brought under the pointer.
    s.x_pointer(500, 400)
    check(s.activate(yad_item[0]["id"]), "Activate finds yad's icon")
    check(s.wait_for(lambda: s.read_log("yad"), "yad's command") == ["clicked"], "yad ran its command")
    parcellite_item = [item for item in items if item["ownerPID"] == clipboard.pid][0]
    s.x_pointer(700, 300)
    check(s.activate(parcellite_item["id"]), "Activate finds parcellite's icon")
    s.wait_for(lambda: any(abs(x - 700) < 120 and abs(y - 300) < 120
                           for x, y, _, _ in s.viewable_popups()), "parcellite's menu near the pointer")
    s.x_pointer(20, 20, click=True)  # closes the menu

    # A real tray comes: the icons dock there and count as shown.
    trayer = s.start_trayer()
    # Trayvane's own icon moves into the new tray as well.
    s.wait_for(lambda: len([name for name in s.trayer_icons() if name != "Trayvane"]) == 2,
               "the icons docked in trayer")
    s.wait_items(lambda items: len([i for i in items if i["ownerPID"] in (yad.pid, clipboard.pid)]) == 2
                 and all(not item["isHidden"] for item in items), "both listed as shown")
    # From now on a Qt program docks there too, rather than with Trayvane's watcher.
    qt_client = s.spawn([s.args.qt_client, "Qt-Symbol", s.log_path("qt")])
    s.wait_for(lambda: "trayvane_qt_tray_client" in s.trayer_icons(), "the Qt icon docked in trayer")
    ours = (yad.pid, clipboard.pid, qt_client.pid)

    # It goes: Trayvane takes the selection back, the icons return to it.
    s.stop(trayer)
    s.wait_items(lambda items: len([i for i in items if i["ownerPID"] in ours]) == 3
                 and all(item["isHidden"] for item in items), "all three back in Trayvane's tray, hidden")

    # A program that hangs: its icon stays listed, clicks on it and the
    # control interface answer at once.
    os.kill(clipboard.pid, signal.SIGSTOP)
    try:
        started = time.monotonic()
        items = s.items()
        stuck = [item for item in items if item["ownerPID"] == clipboard.pid]
        check(stuck and s.activate(stuck[0]["id"]), "the hanging program's icon is listed and activated")
        s.items()
        elapsed = time.monotonic() - started
        check(elapsed < 1.0, f"Trayvane answered at once while parcellite hangs ({elapsed * 1000:.0f} ms)")
    finally:
        os.kill(clipboard.pid, signal.SIGCONT)

    s.stop(yad)
    s.wait_items(lambda items: all(item["ownerPID"] != yad.pid for item in items), "yad's icon to vanish")


SCENARIOS = {
    "discovery": scenario_discovery,
    "startup": scenario_startup,
    "hidden": scenario_hidden,
    "activation": scenario_activation,
    "hostile": scenario_hostile,
    "order": scenario_order,
    "watcher": scenario_watcher,
    "foreign_watcher": scenario_foreign_watcher,
    "xfce_later": scenario_xfce_later,
    "xfce_first": scenario_xfce_first,
    "xembed_tray": scenario_xembed_tray,
    "xembed_own": scenario_xembed_own,
}


def main(scenarios=None):
    """Runs one scenario of `scenarios` (these by default) named on the command line."""
    scenarios = scenarios or SCENARIOS
    parser = argparse.ArgumentParser()
    parser.add_argument("scenario", choices=sorted(scenarios))
    parser.add_argument("--trayvane", required=True)
    parser.add_argument("--client", required=True)
    parser.add_argument("--ayatana", required=True)
    parser.add_argument("--qt-client", required=True)
    args = parser.parse_args()
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(2))
    session = Session(args)
    try:
        scenarios[args.scenario](session)
    except Failure as failure:
        print(f"FAIL {args.scenario}: {failure}", file=sys.stderr)
        for name in sorted(os.listdir(session.root)):
            if name.startswith("out-"):
                with open(os.path.join(session.root, name), errors="replace") as output:
                    text = output.read()[-2000:]
                if text.strip():
                    print(f"--- {name}:\n{text}", file=sys.stderr)
        return 1
    finally:
        session.close()
    print(f"PASS {args.scenario}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
