#!/usr/bin/env python3
"""Runs a command several times and reports the peak resident set of each run, as the kernel
counts it for the process (ru_maxrss of wait4), so that two programs hosting the same JVM can
be compared whole.

  peak_memory.py --runs N --cwd DIR -- COMMAND...

Prints one JSON object: the runs in KiB, their median, and the exit statuses.
"""
import argparse
import json
import os
import statistics
import subprocess


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=20)
    parser.add_argument("--cwd", default=".")
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command

    peaks, statuses = [], []
    for _ in range(args.runs):
        child = subprocess.Popen(command, cwd=args.cwd, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL)
        _, status, usage = os.wait4(child.pid, 0)
        child.returncode = os.waitstatus_to_exitcode(status)
        peaks.append(usage.ru_maxrss)  # KiB on Linux
        statuses.append(child.returncode)
    print(json.dumps({"kib": peaks, "median_kib": statistics.median(peaks),
                      "exit_codes": sorted(set(statuses))}))


if __name__ == "__main__":
    main()
