#!/usr/bin/env python3
"""Times TesselCustom.exe under wine from process start to its window painted.

Runs the window on a private Xvfb display, on a Shift-JIS board list of SECTIONS boards (1,000 by
default), REPEATS times after one warm-up run, and prints the median. The wine prefix's
wineserver is started first (on that display) so that its start-up is not counted.
Usage: startup_window_wine.py WINE_RUN PREFIX TESSELCUSTOM_EXE [SECTIONS] [REPEATS]
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

from board_list import write_board_list


def start_display(directory):
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
                             "-nolisten", "tcp"], pass_fds=[write_end],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as answer:
        return xvfb, ":" + answer.readline().strip()


def start_once(env, exe, board_list):
    started = time.perf_counter()
    result = subprocess.run(["wine", exe, "--board-list", board_list], env=env,
                            stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=120)
    elapsed = time.perf_counter() - started
    if "painted" not in result.stdout:
        raise SystemExit(f"no paint report: {result.stdout!r} {result.stderr!r}")
    return elapsed * 1000.0


def main():
    if len(sys.argv) < 4:
        raise SystemExit(__doc__)
    wine_run, prefix, exe = sys.argv[1:4]
    sections = int(sys.argv[4]) if len(sys.argv) > 4 else 1000
    repeats = int(sys.argv[5]) if len(sys.argv) > 5 else 5
    with tempfile.TemporaryDirectory() as directory:
        xvfb, display = start_display(directory)
        env = dict(os.environ, DISPLAY=display, WINEPREFIX=prefix, WINEDEBUG="-all",
                   LC_ALL="ja_JP.UTF-8", TESSEL_REPORT_STARTUP="1")
        quiet = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                     stderr=subprocess.DEVNULL, env=env)
        try:
            subprocess.run([wine_run, prefix, "--stop"], check=True, **quiet)
            subprocess.run([wine_run, prefix, "--start"], check=True, **quiet)
            board_list = os.path.join(directory, "boards.ini")
            write_board_list(board_list, sections, encoding="cp932", newline="\r\n")
            windows_path = "Z:" + board_list
            start_once(env, exe, windows_path)
            times = [start_once(env, exe, windows_path) for _ in range(repeats)]
        finally:
            subprocess.run([wine_run, prefix, "--stop"], **quiet)
            xvfb.terminate()
    print(f"boards: {sections}")
    print(f"start to painted under wine: median {statistics.median(times):.0f} ms "
          f"(min {min(times):.0f}, max {max(times):.0f})")


if __name__ == "__main__":
    main()
