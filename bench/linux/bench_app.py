#!/usr/bin/python3
"""Benchmarks of the real trayvane binary on a private bus and X server (run
through bench/linux/run.sh): idle CPU with 20 items and the panel closed, and
peak RSS with the panel open.

    bench_app.py TRAYVANE CLIENT [SECONDS]
"""
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "fixtures"))
from session_tools import call_control as control, cpu_seconds, start_xvfb, status_kb, stop_all  # noqa: E402

trayvane_binary, client_binary = sys.argv[1], sys.argv[2]
seconds = float(sys.argv[3]) if len(sys.argv) > 3 else 60.0
root = tempfile.mkdtemp(prefix="trayvane-bench-")
env = dict(os.environ, HOME=root, XDG_RUNTIME_DIR=root, XDG_DATA_HOME=root + "/data", NO_AT_BRIDGE="1",
           QT_QPA_PLATFORM="xcb")
processes = []


def spawn(argv, **kwargs):
    process = subprocess.Popen(argv, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, **kwargs)
    processes.append(process)
    return process


try:
    env["DISPLAY"] = start_xvfb(spawn)

    trayvane = spawn([trayvane_binary])
    for i in range(4):
        spawn([client_binary, "--id", f"bench-{i}", "--title", f"Item {i}", "--count", "5"])
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline:
        control("Refresh")
        if control("Items").count('"id"') == 20:
            break
        time.sleep(0.2)
    else:
        sys.exit("the 20 items did not arrive")

    time.sleep(1.0)  # let start-up work settle
    start_cpu, start = cpu_seconds(trayvane.pid), time.monotonic()
    time.sleep(seconds)
    used = cpu_seconds(trayvane.pid) - start_cpu
    elapsed = time.monotonic() - start
    print(f"idle CPU, 20 items, panel closed: {100.0 * used / elapsed:.3f} % of one core over {elapsed:.0f} s "
          f"(target <= 0.2 %)")

    print(f"RSS with the panel closed: {status_kb(trayvane.pid, 'VmRSS') / 1024:.1f} MB")
    control("TogglePanel")
    time.sleep(3.0)
    print(f"peak RSS with the panel open: {status_kb(trayvane.pid, 'VmHWM') / 1024:.1f} MB "
          f"(now {status_kb(trayvane.pid, 'VmRSS') / 1024:.1f} MB; target <= 80 MB)")
finally:
    stop_all(processes)
