#!/usr/bin/env python3
"""Runs a command and prints what it cost: wall seconds, user and system CPU seconds, and peak
resident memory in KB, in total and split into anonymous memory and file pages.

    measure.py OUT COMMAND...

writes one line "wall user sys peak_rss_kb peak_anon_kb peak_file_kb" to OUT; the command's
standard output goes to /dev/null. Peak total RSS is the kernel's high-water mark of the process
(getrusage); the split is sampled from /proc/PID/status every 10 ms, because file pages (of a
memory-mapped file, which the system may write back and drop at any time) are counted in RSS
but are not memory the program holds on to.
"""
import os
import subprocess
import sys
import time


def sample(pid):
    anon = file_ = 0
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith("RssAnon:"):
                    anon = int(line.split()[1])
                elif line.startswith("RssFile:"):
                    file_ = int(line.split()[1])
    except OSError:
        pass
    return anon, file_


def main(argv):
    out, command = argv[0], argv[1:]
    start = time.monotonic()
    proc = subprocess.Popen(command, stdout=subprocess.DEVNULL)
    peak_anon = peak_file = 0
    while True:
        pid, status, usage = os.wait4(proc.pid, os.WNOHANG)
        if pid != 0:
            break
        anon, file_ = sample(proc.pid)
        peak_anon = max(peak_anon, anon)
        peak_file = max(peak_file, file_)
        time.sleep(0.01)
    wall = time.monotonic() - start
    with open(out, "w") as f:
        f.write(f"{wall:.2f} {usage.ru_utime:.2f} {usage.ru_stime:.2f} {usage.ru_maxrss} "
                f"{peak_anon} {peak_file}\n")
    code = os.waitstatus_to_exitcode(status)
    if code != 0:
        print(f"measure.py: {command[0]} exited with {code}", file=sys.stderr)
    return code


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
