#!/usr/bin/env python3
"""Times TesselCustom from process start to its window painted, and its resident memory then.

Runs the window off screen on a board list of SECTIONS boards (32,767 by default) and an empty
cookie jar, REPEATS times, and prints the median start-up time and the largest resident size.
Usage: startup_window.py TESSELCUSTOM_BINARY [SECTIONS] [REPEATS]
"""
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

from board_list import write_board_list


def start_once(binary, board_list, jar):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", TESSEL_REPORT_STARTUP="1")
    started = time.perf_counter()
    result = subprocess.run([binary, "--board-list", board_list, "--cookie-store", f"jar:{jar}"],
                            env=env, capture_output=True, text=True, timeout=60, check=True)
    elapsed = time.perf_counter() - started
    match = re.search(r"painted rss_kb=(\d+)", result.stdout)
    if not match:
        raise SystemExit(f"no paint report: {result.stdout!r} {result.stderr!r}")
    return elapsed * 1000.0, int(match.group(1)) / 1024.0


def main():
    if len(sys.argv) < 2:
        raise SystemExit(__doc__)
    binary = sys.argv[1]
    sections = int(sys.argv[2]) if len(sys.argv) > 2 else 32767
    repeats = int(sys.argv[3]) if len(sys.argv) > 3 else 5
    with tempfile.TemporaryDirectory() as directory:
        board_list = os.path.join(directory, "boards.ini")
        write_board_list(board_list, sections)
        runs = [start_once(binary, board_list, os.path.join(directory, "cookies.txt"))
                for _ in range(repeats)]
    times = [ms for ms, _ in runs]
    print(f"boards: {sections}")
    print(f"start to painted: median {statistics.median(times):.0f} ms "
          f"(min {min(times):.0f}, max {max(times):.0f})")
    print(f"resident memory when painted: {max(mb for _, mb in runs):.1f} MB")


if __name__ == "__main__":
    main()
