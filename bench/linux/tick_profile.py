#!/usr/bin/python3
"""Main-thread instructions per timer tick of the real trayvane binary under
callgrind (run through bench/linux/profile.sh): ITEMS items from ITEMS / 5
client processes on a private bus and X server, panel closed. Once they are
listed, the counters are zeroed, TICKS ticks pass untouched, and the main
thread's counters are dumped: the figure is its instructions over that window
divided by the scans that ran in it, so the timer's wake-ups, the X11 tray and
the bus traffic of those seconds count too. Prints the hottest functions of the
window for the curious.

    tick_profile.py TRAYVANE CLIENT [ITEMS] [TICKS]
"""
import glob
import os
import re
import subprocess
import sys
import tempfile
import time

from bench_tools import call_control as control, start_xvfb, stop_all

trayvane_binary, client_binary = sys.argv[1], sys.argv[2]
item_count = int(sys.argv[3]) if len(sys.argv) > 3 else 100
ticks = int(sys.argv[4]) if len(sys.argv) > 4 else 10
ITEMS_PER_CLIENT = 5
TICK_SECONDS = 3.0
SCAN = "Trayvane::MenuBarService::scan()"
root = tempfile.mkdtemp(prefix="trayvane-profile-")
env = dict(os.environ, HOME=root, XDG_RUNTIME_DIR=root, XDG_DATA_HOME=root + "/data", NO_AT_BRIDGE="1",
           QT_QPA_PLATFORM="xcb")
processes = []


def spawn(argv, **kwargs):
    process = subprocess.Popen(argv, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, **kwargs)
    processes.append(process)
    return process


def main_thread_costs(path):
    """Total instructions of a callgrind dump, and the calls of the scan with
    their inclusive instructions."""
    names, total, calls, inclusive = {}, 0, 0, 0
    callee, pending = None, 0
    compressed = re.compile(r"\((\d+)\)(?: (.*))?")

    def name(field):
        # callgrind writes a function's name once, after its number in
        # brackets, and from then on only the number
        match = compressed.match(field)
        if not match:
            return field
        if match.group(2):
            names[match.group(1)] = match.group(2)
        return names.get(match.group(1), "")

    with open(path) as dump:
        for line in dump:
            line = line.rstrip("\n")
            if line.startswith(("summary:", "totals:")):
                total = int(line.split()[1])
            elif line.startswith(("fn=", "cfn=")):
                function = name(line.split("=", 1)[1])
                callee = function if line.startswith("cfn=") else None
            elif line.startswith("calls="):
                pending = int(line[6:].split()[0])
            elif pending and line[:1] in "0123456789+-*":
                if callee == SCAN:
                    calls += pending
                    inclusive += int(line.split()[1])
                pending = 0
    return total, calls, inclusive


try:
    env["DISPLAY"] = start_xvfb(spawn)
    for i in range(item_count // ITEMS_PER_CLIENT):
        spawn([client_binary, "--id", f"profile-{i}", "--title", f"Item {i}", "--count", str(ITEMS_PER_CLIENT)])
    out = os.path.join(root, "callgrind.out")
    trayvane = spawn(["valgrind", "--tool=callgrind", "--separate-threads=yes", f"--callgrind-out-file={out}",
                      trayvane_binary])
    deadline = time.monotonic() + 300
    while control("Items").count('"id"') != item_count:
        if time.monotonic() > deadline or trayvane.poll() is not None:
            sys.exit(f"the {item_count} items were not listed")
        control("Refresh")
        time.sleep(1.0)
    time.sleep(2 * TICK_SECONDS)  # start-up work and the last answers settle
    subprocess.run(["callgrind_control", "-z", str(trayvane.pid)], check=True, stdout=subprocess.DEVNULL)
    time.sleep(ticks * TICK_SECONDS)
    subprocess.run(["callgrind_control", "-d", str(trayvane.pid)], check=True, stdout=subprocess.DEVNULL)
    dumps = sorted(glob.glob(out + ".*-01"))
    if not dumps:
        sys.exit("callgrind wrote no dump of the main thread")
    total, calls, inclusive = main_thread_costs(dumps[-1])
    if not calls:
        sys.exit("no scan ran in the window")
    print(f"{item_count} items, panel closed, {calls} scans in {ticks} ticks' time: "
          f"{total / calls / 1e3:.0f} k main-thread instructions per tick, of them "
          f"{inclusive / calls / 1e3:.0f} k in the scan")
    print(f"dump: {dumps[-1]}")
    annotated = subprocess.run(["callgrind_annotate", "--inclusive=yes", dumps[-1]], capture_output=True, text=True)
    lines = [line for line in annotated.stdout.splitlines() if re.match(r"\s*[\d,]+ \(", line)]
    print("\n".join(lines[:30]))
finally:
    stop_all(processes)
