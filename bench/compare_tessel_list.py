#!/usr/bin/env python3
"""Times the whole `tessel list` process against Python's configparser reading the same board list
in the same run, and compares the peak memory of `tessel list` and `tessel list --json`, for the
linux preset's tessel and the bench preset's, or for each binary given.

Usage: compare_tessel_list.py [--sections N] [TESSEL_BINARY...]
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

from board_list import write_board_list
from builds import builds
from compare_configparser import time_configparser


def command(binary, path, *extra):
    return [binary, "--board-list", path, "--cookie-store", "jar:" + path + ".jar", "list", *extra]


def time_tessel(binary, path, *extra):
    """Wall time in milliseconds of one run, the process started directly."""
    start = time.perf_counter()
    subprocess.run(command(binary, path, *extra), check=True, stdout=subprocess.DEVNULL)
    return (time.perf_counter() - start) * 1000.0


def peak_memory(binary, path, *extra):
    """Peak resident memory in MiB of one run, measured in a run of its own: /usr/bin/time's own
    start would otherwise count as tessel's time."""
    result = subprocess.run(["/usr/bin/time", "-f", "%M", *command(binary, path, *extra)],
                            check=True, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    return int(result.stderr.split()[-1]) / 1024.0


def main():
    arguments = argparse.ArgumentParser(description=__doc__)
    arguments.add_argument("--sections", type=int, default=32767)
    arguments.add_argument("binaries", nargs="*")
    options = arguments.parse_args()
    runs = builds("tessel", options.binaries)
    with tempfile.TemporaryDirectory() as directory:
        path = os.path.join(directory, "boards.ini")
        write_board_list(path, options.sections)
        python_ms = time_configparser(path)
        print(f"sections: {options.sections}")
        print(f"configparser: {python_ms:.1f} ms")
        for label, binary in runs:
            tessel_ms = statistics.median(time_tessel(binary, path) for _ in range(9))
            text_peak = max(peak_memory(binary, path) for _ in range(2))
            json_peak = max(peak_memory(binary, path, "--json") for _ in range(2))
            print(f"{label}: tessel list {tessel_ms:.1f} ms (whole process), "
                  f"{python_ms / tessel_ms:.1f}x faster; peak memory: list {text_peak:.1f} MiB, "
                  f"list --json {json_peak:.1f} MiB")


if __name__ == "__main__":
    main()
