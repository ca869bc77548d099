#!/usr/bin/env python3
"""Times Python's configparser and our reader on the same board list and prints the ratio.

Both read the file and then every section's four board keys, as start-up does.
Usage: compare_configparser.py BENCH_BINARY [SECTIONS]
"""
import configparser
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time

from board_list import write_board_list


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
    if len(sys.argv) < 2:
        raise SystemExit(__doc__)
    binary = sys.argv[1]
    sections = int(sys.argv[2]) if len(sys.argv) > 2 else 32767
    with tempfile.TemporaryDirectory() as directory:
        path = os.path.join(directory, "boards.ini")
        write_board_list(path, sections)
        python_ms = time_configparser(path)
        ours_ms = time_ours(binary, path)
    print(f"sections: {sections}")
    print(f"configparser: {python_ms:.1f} ms")
    print(f"TesselCustom: {ours_ms:.1f} ms")
    print(f"ratio: {python_ms / ours_ms:.1f}x faster")


if __name__ == "__main__":
    main()
