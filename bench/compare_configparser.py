#!/usr/bin/env python3
"""Times Python's configparser and our reader on the same board list and prints the ratio, for the
settings_bench of the users' build flags (preset bench-linux) and of the bench preset, or for each
binary given.

Both read the file and then every section's four board keys, as start-up does.
Usage: compare_configparser.py [--sections N] [SETTINGS_BENCH_BINARY...]
"""
import argparse
import configparser
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time

from board_list import write_board_list
from builds import builds


def time_configparser(path, repeats=5):
    times = []
    for _ in range(repeats):
        start = time.perf_counter()
        parser = configparser.ConfigParser(interpolation=None)
        parser.read(path, encoding="utf-8")
        for name in parser.sections():
            section = parser[name]
            for key in ("name", "nickname", "url", "mode"):
                section.get(key, "")
        times.append(time.perf_counter() - start)
    return statistics.median(times) * 1000.0


def time_ours(binary, path):
    env = dict(os.environ, TESSEL_BENCH_FILE=path)
    output = subprocess.run(
        [binary, "--benchmark_filter=BM_LoadBoardListFile", "--benchmark_format=json",
         "--benchmark_repetitions=5", "--benchmark_report_aggregates_only=true"],
        env=env, check=True, capture_output=True, text=True).stdout
    for run in json.loads(output)["benchmarks"]:
        if run.get("aggregate_name") == "median":
            return run["real_time"]  # milliseconds, as the benchmark's unit
    raise SystemExit("no median in the benchmark output")


def main():
    arguments = argparse.ArgumentParser(description=__doc__)
    arguments.add_argument("--sections", type=int, default=32767)
    arguments.add_argument("binaries", nargs="*")
    options = arguments.parse_args()
    runs = builds("settings_bench", options.binaries, users_preset="bench-linux")
    with tempfile.TemporaryDirectory() as directory:
        path = os.path.join(directory, "boards.ini")
        write_board_list(path, options.sections)
        python_ms = time_configparser(path)
        print(f"sections: {options.sections}")
        print(f"configparser: {python_ms:.1f} ms")
        for label, binary in runs:
            ours_ms = time_ours(binary, path)
            print(f"{label}: {ours_ms:.1f} ms, {python_ms / ours_ms:.1f}x faster")


if __name__ == "__main__":
    main()
