#!/usr/bin/python3
# End-to-end scenarios of the Linux backend: the real trayvane binary with
# real tray clients and desktop trays in a private session (session_tools),
# checked through trayvane's control interface and the watcher. Run inside
# dbus-run-session:
#   e2e_linux.py SCENARIO --trayvane BIN --client BIN --ayatana SCRIPT --qt-client BIN
import os
import signal
import sys
import time

from gi.repository import Gio, GLib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "fixtures"))
from session_tools import (BUS, CONTROL, FIXTURES, WATCHER, check, dbus_call, main, named, of,  # noqa: E402
                           private_connection, pump, stop)


def listed_within(s, predicate, what, bound=1.0):
    # Listed without a refresh within `bound` seconds: the list follows the bus by itself.
    started = time.monotonic()
    s.wait_for(lambda: predicate(s.items(refresh=False)), f"{what} without a refresh", 10.0, interval=0.02)
    elapsed = time.monotonic() - started
    check(elapsed <= bound, f"{what} after {elapsed:.2f} s (at most {bound} s)")


def scenario_discovery(s):
    # Items already on the bus are listed within a second of the start, grouped by process, and activated
    # though hidden: at the pointer, a plain QSystemTrayIcon as a trigger, a client leaving mid-way. Hidden
    # marks follow a tray host and the items' status; later changes arrive by themselves.
    mail = s.client("org.example.Mail", "Eingang", "--count", "2", "--log", s.log_path("mail"))
    tool = s.client("tool", "Werkzeug")
    passive = s.client("passive-tool", "Ruhend", "--status", "Passive")
    s.wait_for(lambda: {mail.pid, tool.pid, passive.pid} <= {
        s.pid_of(name) for name in s.call(BUS, "ListNames", reply="(as)")[0] if name.startswith(":")},
        "the clients on the bus")
    s.trayvane = s.spawn([s.args.trayvane])
    listed_within(s, lambda items: len(items) == 4, "the four items already on the bus")
    items = s.items()
    check(sorted(item["displayName"] for item in of(items, mail)) == ["Eingang", "Eingang 2"], f"mail items: {items}")
    check(all(item["isHidden"] for item in items), "without another host every item is hidden")
    s.wait_for(lambda: s.window("Trayvane Icon"), "the fallback icon window while nobody shows the tray icon")
    s.xdo("mousemove", 300, 200)
    s.activate(named(items, "Eingang")[0], "the mail item (pointer)", "mail", ["activate org.example.Mail 300 200"])
    check(not s.activate("no-such-id"), "Activate of an unknown id answers false")

    # libayatana registers by object path; counted once registered: until then
    # it may show a GTK status icon, which would dock in Trayvane's own X11 tray.
    s.wait_for(s.host_registered, "Trayvane's host at its watcher")
    ayatana, qt_client, leaver = s.ayatana(), s.qt_client(), s.client("leaver", "Abgang", "--exit-on-activate")
    # Qt registers by its unique name and titles the item with the application's name.
    items = s.wait_items(lambda items: len(items) == 7 and s.registered(ayatana, [
        e for e in s.watcher_items() if "/org/ayatana/NotificationItem/" in e]), "the ayatana, Qt and leaver", 45.0)
    check(sorted(item["displayName"] for item in of(items, ayatana, qt_client)) == ["Ayatana Fixture",
          "trayvane_qt_tray_client"], f"the ayatana item and the QSystemTrayIcon's, titled by Qt: {items}")
    check(not of(items, s.trayvane) and len({item["id"] for item in items}) == 7, "own item skipped, ids distinct")
    by_name = [e for e in s.watcher_items() if e.startswith(":") and e.endswith("/StatusNotifierItem")]
    check(s.registered(qt_client, by_name), f"Qt registered by its unique name: {by_name}")
    s.activate(of(items, qt_client)[0], "the Qt item, as a trigger", "qt", ["activated 3"])
    s.activate(named(items, "Abgang")[0], "the leaving client")
    leaver.wait(10)
    s.wait_items(6, "the leaver to vanish, trayvane surviving it")

    host = s.tray_host()
    items = s.wait_items(lambda items: not named(items, "Werkzeug")[0]["isHidden"], "the active item to show")
    check(named(items, "Ruhend")[0]["isHidden"], "a passive item stays hidden with a host")
    s.wait_for(lambda: not s.window("Trayvane Icon"), "the fallback window to give way to the tray icon")
    s.wait_for(lambda: s.registered(s.trayvane), "trayvane's own item at the watcher")
    s.tell(passive, "status Active")
    listed_within(s, lambda items: not named(items, "Ruhend")[0]["isHidden"], "the item that became active")
    s.tell(tool, "status Passive")
    listed_within(s, lambda items: named(items, "Werkzeug")[0]["isHidden"], "the item that became passive")
    late = s.client("late-tool", "Spät")
    listed_within(s, lambda items: named(items, "Spät"), "an item registered later")
    s.tell(late, "title Umbenannt")
    listed_within(s, lambda items: named(items, "Umbenannt"), "a changed title")
    stop(late)
    listed_within(s, lambda items: len(items) == 6, "the removal of an item")
    host.close_sync(None)
    s.wait_items(lambda items: all(item["isHidden"] for item in items), "everything hidden once the host left")
    s.wait_for(lambda: s.window("Trayvane Icon"), "the fallback window again")


class FakeShellWatcher:
    # A desktop shell's watcher that replaces Trayvane's, served from this
    # process; it lists a registration by object path as that path alone.
    def __init__(self):
        self.items, self.hosts = [], ["org.kde.StatusNotifierHost-shell"]  # the shell's own bar shows the items
        self.connection = private_connection()
        with open(os.path.join(FIXTURES, "../../src/Platform/linux/interfaces/org.kde.StatusNotifierWatcher.xml")) as f:
            info = Gio.DBusNodeInfo.new_for_xml(f.read()).interfaces[0]
        self.connection.register_object(WATCHER[1], info, self.on_call, self.on_get, None)
        reply = dbus_call(self.connection, BUS, "RequestName", GLib.Variant("(su)", (WATCHER[0], 2 | 4)), "(u)")
        check(reply[0] == 1, "the fake shell replaced Trayvane as the primary owner of the watcher name")

    def on_call(self, connection, sender, path, interface, method, parameters, invocation):
        argument = parameters.unpack()[0]
        entry = argument if "/" in argument else argument + "/StatusNotifierItem"
        if method == "RegisterStatusNotifierHost":
            self.hosts.append(argument)
        elif entry not in self.items:
            self.items.append(entry)
            connection.emit_signal(None, WATCHER[1], WATCHER[2], "StatusNotifierItemRegistered",
                                   GLib.Variant("(s)", (entry,)))
        invocation.return_value(None)

    def on_get(self, connection, sender, path, interface, name):
        return {"RegisteredStatusNotifierItems": GLib.Variant("as", self.items),
                "IsStatusNotifierHostRegistered": GLib.Variant("b", bool(self.hosts))}.get(name, GLib.Variant("i", 0))


def scenario_watcher(s):
    # The watcher's protocol, and the handover to a desktop shell's watcher and back.
    trayvane = s.start_trayvane()
    s.client("pointer-tool", "Zeiger")
    qt_client = s.qt_client()  # registers once, and again only when the watcher name appears anew
    check(all(item["isHidden"] for item in s.wait_items(2, "both items")), "hidden while Trayvane is the only host")
    props = s.call((*WATCHER[:2], "org.freedesktop.DBus.Properties"), "GetAll", GLib.Variant("(s)", (WATCHER[2],)),
                   reply="(a{sv})")[0]
    check(props["IsStatusNotifierHostRegistered"] is True and props["ProtocolVersion"] == 0, f"properties: {props}")

    # A peer registers by object path (twice, harmlessly) and with malformed arguments, then leaves.
    seen = []
    s.bus.signal_subscribe(WATCHER[0], WATCHER[2], None, WATCHER[1], None, Gio.DBusSignalFlags.NONE,
                           lambda *args: seen.append((args[4], *args[5].unpack())))
    peer = private_connection()
    for argument in ("/peer/item", "/peer/item", "not a bus name", "/bad//path"):
        dbus_call(peer, WATCHER, "RegisterStatusNotifierItem", GLib.Variant("(s)", (argument,)), None)
    entry = peer.get_unique_name() + "/peer/item"
    entries = s.watcher_items()
    check(entries.count(entry) == 1, f"registering twice keeps one entry: {entries}")
    check(not [e for e in entries if "bad" in e or " " in e], f"malformed registrations are ignored: {entries}")
    peer.close_sync(None)
    s.wait_for(lambda: entry not in s.watcher_items(), "the entry to vanish with its owner")
    s.wait_for(lambda: ("StatusNotifierItemUnregistered", entry) in seen, "the unregistration signal")
    check(seen.count(("StatusNotifierItemRegistered", entry)) == 1, f"registering twice announces once: {seen}")

    # A desktop shell takes the name over: Trayvane follows it as a host.
    shell = FakeShellWatcher()
    s.wait_for(lambda: f"org.kde.StatusNotifierHost-{trayvane.pid}" in shell.hosts, "Trayvane's host at the shell")
    s.wait_items(lambda items: len(items) == 2 and not any(item["isHidden"] for item in items),
                 "both items, shown by the shell's desktop")
    check(s.registered(qt_client, shell.items), f"the Qt item handed over: {shell.items}")
    s.wait_for(lambda: not s.window("Trayvane Icon"), "the tray icon instead of the fallback window")
    s.wait_for(lambda: s.registered(trayvane, shell.items), "Trayvane's own tray icon registered with the shell")
    ayatana = s.ayatana()
    s.wait_items(lambda items: of(items, ayatana), "the ayatana item, which the shell lists by its path alone")
    check([entry for entry in shell.items if entry.startswith("/org/ayatana/")], f"a bare path: {shell.items}")
    stop(ayatana)
    # The shell leaves: Trayvane takes the name back and the clients return to it.
    shell.connection.close_sync(None)
    s.wait_for(lambda: s.pid_of(WATCHER[0]) == trayvane.pid, "Trayvane's watcher again")
    s.wait_items(lambda items: len(items) == 2 and all(item["isHidden"] for item in items), "the items back, hidden")
    s.wait_for(s.host_registered, "Trayvane's host registered again")


def expect_listed(s, clients, hidden, what):
    # Exactly the clients' items listed, hidden those of the clients in `hidden`.
    return s.wait_items(lambda items: {item["ownerPID"] for item in items} == {c.pid for c in clients} and
                        all(item["isHidden"] == (item["ownerPID"] in {c.pid for c in hidden}) for item in items),
                        what, timeout=30.0)


def scenario_desktop(s):
    # A desktop's watcher that runs first (the real status-notifier-watcher) lists bare bus names, also for an
    # item at another path, and nothing shows the items; Trayvane, restarted too, lists them all and takes the
    # name once the watcher quits. xfce4-panel started then reads Trayvane's watcher without registering and
    # takes the name when Trayvane quits; either way the marks match what its tray draws. A row click on the
    # ayatana item closes the panel and leaves the item's menu open.
    watcher = s.spawn(["status-notifier-watcher"])
    s.wait_for(lambda: s.pid_of(WATCHER[0]) == watcher.pid, "the desktop's watcher")
    s.start_trayvane()
    # Qt decides at its first tray use whether a host is there.
    s.wait_for(s.host_registered, "Trayvane's host at the watcher")
    # A QSystemTrayIcon (registers once, by unique name), a libayatana item (by object path, re-registers by
    # itself), a plain item and a passive one.
    clients = [s.qt_client(), s.ayatana(), s.client("plain-tool", "Schlicht")]
    passive = s.client("passive-tool", "Ruhend", "--status", "Passive")
    everything = clients + [passive]
    expect_listed(s, everything, everything, "all items, hidden while no tray shows them")
    entries = s.client_entries()
    check(len(entries) == 4 and all("/" not in entry for entry in entries), f"bare bus names: {entries}")
    stop(s.trayvane)
    s.start_trayvane()
    expect_listed(s, everything, everything, "a restarted Trayvane lists them all again")
    check(s.pid_of(WATCHER[0]) == watcher.pid, "the desktop's watcher keeps its name")
    stop(watcher)
    s.wait_for(lambda: s.pid_of(WATCHER[0]) == s.trayvane.pid, "Trayvane's watcher once the desktop's quit")
    expect_listed(s, everything, everything, "all items at Trayvane's watcher")

    s.env["XDG_CONFIG_DIRS"] = os.path.join(FIXTURES, "desktops") + ":/etc/xdg"  # a panel of the status tray alone
    s.spawn(["xfce4-panel"])
    # Its tray waits for the watcher name behind Trayvane, in a process of its own.
    s.wait_for(lambda: len(s.call(BUS, "ListQueuedOwners", GLib.Variant("(s)", (WATCHER[0],)), "(as)")[0]) > 1,
               "xfce4-panel at the watcher name")
    expect_listed(s, everything, [passive], "the items the panel's tray draws marked as shown, the passive one hidden")
    gone = s.trayvane.pid
    stop(s.trayvane)
    s.wait_for(lambda: s.pid_of(WATCHER[0]) not in (None, gone), "the panel's watcher owning the name")
    s.wait_for(lambda: all(s.registered(c) for c in clients), "every item registered with the panel's watcher")
    s.start_trayvane()  # now after the panel
    expect_listed(s, everything, [passive], "a restarted Trayvane lists them all, marked as the panel draws them")

    stop(passive)
    expect_listed(s, clients, [], "the three shown items")
    s.call(CONTROL, "TogglePanel")
    panel = s.wait_for(lambda: s.window("Trayvane Panel"), "the panel")
    pump(0.5)
    rank = [item["ownerPID"] for item in s.items()].index(clients[1].pid)
    row = (panel[3] + 130, panel[4] + 109 + 40 * rank)  # rows are 40 pixels apart
    s.click(*row)
    menu = s.wait_for(lambda: s.popup_at(*row), "the ayatana item's menu at the row")
    pump(1.0)
    check(s.popup_at(*row) == menu, "the menu stays open after the panel closed")
    s.click(menu[3] + 30, menu[4] + 12)
    s.expect_log("ayatana", ["clicked Erster Eintrag"], "the click on the menu entry")


def scenario_xembed(s):
    # Without an X11 tray Trayvane embeds the XEmbed icons itself; a real tray (trayer) that comes takes them,
    # Qt and libayatana clients then dock there too, and Trayvane lists and activates them all.
    s.start_trayvane()
    yad = s.spawn(["yad", "--notification", "--image=mail-unread", "--text=Yad-Symbol",
                   "--command=sh -c 'echo clicked >> " + s.log_path("yad") + "'"])
    clipboard = s.spawn(["parcellite"])
    items = s.wait_items(lambda items: len(of(items, yad, clipboard)) == 2, "the yad and parcellite icons", 30.0)
    check(of(items, yad)[0]["displayName"] == "YAD", f"yad's icon, named by its window class: {items}")
    check(all(item["isHidden"] for item in items) and not s.trayer_icons(), "no tray of the desktop shows them")
    s.xdo("mousemove", 500, 400)  # a click at the icon's own window, brought under the pointer
    s.activate(of(items, yad)[0], "yad's icon, running its command", "yad", ["clicked"])
    s.xdo("mousemove", 700, 300)
    s.activate(of(items, clipboard)[0], "parcellite's icon")
    s.wait_for(lambda: [w for w in s.windows() if w[7] == 0 and 40 < w[5] < 1280 and w[6] > 40 and
                        abs(w[3] - 700) < 120 and abs(w[4] - 300) < 120 and s.viewable(w)],
               "parcellite's menu near the pointer")
    s.click(20, 20)  # closes the menu
    # Trayvane's own tray takes the selection for a moment after that, and a
    # tray that starts then finds it taken and runs without one.
    pump(1.5)

    trayer = s.start_trayer("--widthtype", "request")
    s.wait_for(lambda: len(icons := s.trayer_icons()) == 3 and "Trayvane" in icons, "all three docked in trayer")
    s.wait_items(lambda items: len(items) == 2 and not any(item["isHidden"] for item in items), "both shown")
    s.wait_for(lambda: not s.host_registered(), "the watcher reporting no host while trayer is the desktop's tray")
    qt_client, ayatana = s.qt_client(), s.ayatana()
    s.wait_for(lambda: {"trayvane_qt_tray_client", "Ayatana Fixture"} <= set(s.trayer_icons()),
               "the Qt and the ayatana icon docked in trayer")
    check(not s.client_entries(), f"no client registered with Trayvane's watcher: {s.client_entries()}")
    items = s.wait_items(lambda items: len(of(items, qt_client, ayatana)) == 2, "both listed")
    check(sorted(item["displayName"] for item in of(items, qt_client, ayatana)) == ["Ayatana Fixture",
          "trayvane_qt_tray_client"], f"each listed once, named by its window title: {items}")
    check(not any(item["isHidden"] for item in items) and not of(items, s.trayvane), f"all shown, own not: {items}")
    s.activate(of(items, qt_client)[0], "the Qt icon in trayer, clicked there as a trigger", "qt", ["activated 3"])
    stop(ayatana)
    # Trayer goes: Trayvane takes the selection back, the icons return to it.
    stop(trayer)
    s.wait_items(lambda items: len(of(items, yad, clipboard, qt_client)) == 3
                 and all(item["isHidden"] for item in items), "all three back in Trayvane's tray, hidden")

    # A program that hangs: its icon stays listed, clicks on it and the control interface answer at once.
    os.kill(clipboard.pid, signal.SIGSTOP)  # ended by force with the session if a check fails
    started = time.monotonic()
    stuck = of(s.items(), clipboard)
    check(stuck and s.activate(stuck[0]), "the hanging program's icon is listed and activated")
    s.items()
    elapsed = time.monotonic() - started
    check(elapsed < 1.0, f"Trayvane answered at once while parcellite hangs ({elapsed * 1000:.0f} ms)")
    os.kill(clipboard.pid, signal.SIGCONT)
    stop(yad)
    s.wait_items(lambda items: not of(items, yad), "yad's icon to vanish")


if __name__ == "__main__":
    sys.exit(main(globals()))
