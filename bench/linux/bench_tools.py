# What the Linux benchmarks add to the end-to-end session tools: the control
# interface called without a Session, CPU time from the scheduler's
# statistics, and stopping what a benchmark started.
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "fixtures"))
from session_tools import CONTROL, start_xvfb, status_kb, stop  # noqa: E402,F401


def call_control(method):
    # Calls the control interface; returns the string answer, if any.
    from gi.repository import Gio, GLib
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    try:
        result = bus.call_sync(*CONTROL, method, None, None, Gio.DBusCallFlags.NONE, 10000, None)
    except GLib.Error:
        return ""
    values = result.unpack() if result else ()
    return values[0] if values else ""


def main_thread_ns(pid):
    # CPU time of the process's main thread in nanoseconds (scheduler statistics).
    with open(f"/proc/{pid}/task/{pid}/schedstat") as f:
        return int(f.read().split()[0])


def process_ns(pid):
    # CPU time of all the process's threads in nanoseconds (scheduler statistics).
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                total += int(f.read().split()[0])
        except FileNotFoundError:  # the thread ended meanwhile
            pass
    return total


def stop_all(processes):
    # Stops the processes, the last started first.
    for process in reversed(processes):
        stop(process)
