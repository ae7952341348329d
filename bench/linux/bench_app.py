#!/usr/bin/python3
"""Benchmarks of the real trayvane binary on a private bus and X server (run
through bench/linux/run.sh): the time from start until items that were already
on the bus are listed, idle CPU with 20 items and the panel closed, main-thread
time per timer tick with 100 and 1 000 items (beside an empty wake-up of this
machine and the app's own tick with no items), the cost of the control
interface's Items() with 1 000 items, and peak RSS with the panel open.

    bench_app.py TRAYVANE CLIENT [SECONDS]
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

from bench_tools import call_control as control, main_thread_ns, process_ns, start_xvfb, status_kb, stop, stop_all

trayvane_binary, client_binary = sys.argv[1], sys.argv[2]
seconds = float(sys.argv[3]) if len(sys.argv) > 3 else 60.0
root = tempfile.mkdtemp(prefix="trayvane-bench-")
env = dict(os.environ, HOME=root, XDG_RUNTIME_DIR=root, XDG_DATA_HOME=root + "/data", NO_AT_BRIDGE="1",
           QT_QPA_PLATFORM="xcb")
processes = []
TICK_SECONDS = 3.0


def spawn(argv, **kwargs):
    process = subprocess.Popen(argv, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, **kwargs)
    processes.append(process)
    return process


def clients(first, count, items_each):
    for i in range(first, first + count):
        spawn([client_binary, "--id", f"bench-{i}", "--title", f"Item {i}", "--count", str(items_each)])


def listed():
    """Items as the app lists them now, without asking it to scan."""
    return control("Items").count('"id"')


def wait_listed(count, refresh=True, timeout=60.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if refresh:
            control("Refresh")
        if listed() == count:
            return
        time.sleep(0.2)
    sys.exit(f"the {count} items did not arrive")


def on_bus(pids):
    """Whether every process in `pids` has a connection on the bus."""
    from gi.repository import Gio, GLib
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    names = bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "ListNames",
                          None, GLib.VariantType("(as)"), Gio.DBusCallFlags.NONE, 2000, None).unpack()[0]
    owners = set()
    for name in names:
        if name.startswith(":"):
            try:
                owners.add(bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                         "GetConnectionUnixProcessID", GLib.Variant("(s)", (name,)),
                                         GLib.VariantType("(u)"), Gio.DBusCallFlags.NONE, 2000, None).unpack()[0])
            except GLib.Error:
                pass
    return set(pids) <= owners


def start_to_listed(count):
    """Seconds from starting trayvane until it lists `count` items that were
    on the bus before; trayvane is left running."""
    started = time.monotonic()
    trayvane = spawn([trayvane_binary])
    while time.monotonic() - started < 30.0:
        if listed() == count:
            return time.monotonic() - started, trayvane
        time.sleep(0.01)
    sys.exit("the items already on the bus were not listed")


def empty_wakeup_ms(count=5):
    """This thread's own time per wake-up from a 3 s sleep that does nothing:
    what any timer tick costs on this machine before it does any work."""
    own = os.getpid()
    before = main_thread_ns(own)
    for _ in range(count):
        time.sleep(TICK_SECONDS)
    return (main_thread_ns(own) - before) / count / 1e6


def per_tick_ms(pid, ticks):
    """Main-thread time per timer tick, over a window of exactly `ticks` ticks."""
    before = main_thread_ns(pid)
    time.sleep(ticks * TICK_SECONDS)
    return (main_thread_ns(pid) - before) / ticks / 1e6


try:
    env["DISPLAY"] = start_xvfb(spawn)

    # What a tick costs this machine before any item: the empty wake-up, and
    # the real app's tick with nothing to list.
    print(f"an empty wake-up after {TICK_SECONDS:.0f} s asleep, for comparison: {empty_wakeup_ms():.3f} ms")
    alone = spawn([trayvane_binary])
    while control("Items") != "[]":
        time.sleep(0.1)
    time.sleep(2.0)
    print(f"main-thread time per tick, no items, panel closed, for comparison: {per_tick_ms(alone.pid, 5):.3f} ms")
    stop(alone)
    processes.remove(alone)

    clients(0, 4, 5)
    pids = [process.pid for process in processes[-4:]]
    deadline = time.monotonic() + 30
    while not on_bus(pids):
        if time.monotonic() > deadline:
            sys.exit("the clients did not reach the bus")
        time.sleep(0.1)
    times = []
    for run in range(3):
        elapsed, trayvane = start_to_listed(20)
        times.append(elapsed)
        if run < 2:
            stop(trayvane)
            processes.remove(trayvane)
            time.sleep(0.5)  # the clients go back to waiting for a watcher
    print(f"start to listed, 20 items already on the bus: median {statistics.median(times):.2f} s, "
          f"max {max(times):.2f} s over {len(times)} starts (target <= 0.5 s)")

    time.sleep(1.0)  # let start-up work settle
    start_cpu, start = process_ns(trayvane.pid), time.monotonic()
    time.sleep(seconds)
    used = (process_ns(trayvane.pid) - start_cpu) / 1e9
    elapsed = time.monotonic() - start
    print(f"idle CPU, 20 items, panel closed: {100.0 * used / elapsed:.3f} % of one core over {elapsed:.0f} s "
          f"(target <= 0.2 %)")

    print(f"RSS with the panel closed: {status_kb(trayvane.pid, 'VmRSS') / 1024:.1f} MB")
    control("TogglePanel")
    time.sleep(3.0)
    print(f"peak RSS with the panel open: {status_kb(trayvane.pid, 'VmHWM') / 1024:.1f} MB "
          f"(now {status_kb(trayvane.pid, 'VmRSS') / 1024:.1f} MB; target <= 80 MB)")
    control("TogglePanel")

    clients(4, 16, 5)
    wait_listed(100)
    time.sleep(2.0)
    print(f"main-thread time per tick, 100 items from 20 processes, panel closed: "
          f"{per_tick_ms(trayvane.pid, 10):.3f} ms (target <= 0.3 ms)")

    # 1 000 items from 100 processes: 80 more clients bring 900 more items.
    clients(20, 20, 12)
    clients(40, 60, 11)
    wait_listed(1000)
    time.sleep(2.0)
    print(f"main-thread time per tick (one scan), 1000 items from 100 processes, panel closed: "
          f"{per_tick_ms(trayvane.pid, 10):.3f} ms (target <= 2 ms)")

    calls = 300
    walls = []
    before = main_thread_ns(trayvane.pid)
    for _ in range(calls):
        call_start = time.monotonic()
        answer = control("Items")
        walls.append(time.monotonic() - call_start)
    spent = (main_thread_ns(trayvane.pid) - before) / calls / 1e6
    print(f"Items() with {answer.count(chr(34) + 'id' + chr(34))} items: {spent:.3f} ms main-thread time per call "
          f"(the ticks meanwhile included; target <= 2 ms), round trip median "
          f"{1000 * statistics.median(walls):.2f} ms")
finally:
    stop_all(processes)
