#!/usr/bin/env python3
"""Times whole tessel processes on a cookies.txt jar against Python's http.cookiejar doing the same
work in the same run, for each tessel binary given (the build users run, and the benchmark build):

- apply --all: 1,000 boards (each read first, then one durable write) into a jar of 10,000
  cookies of other sites, against MozillaCookieJar's load, 1,000 set_cookie and one save (which
  does not fsync);
- show: one board read from the same jar;
- --version: start-up alone.

Usage: compare_tessel_apply.py TESSEL_BINARY [TESSEL_BINARY...]
"""
import http.cookiejar
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

from board_list import write_board_list

BOARDS = 1000
OTHER_COOKIES = 10000
RUNS = 11


def write_jar(path):
    with open(path, "w", encoding="ascii") as out:
        out.write("# Netscape HTTP Cookie File\n\n")
        for i in range(OTHER_COOKIES):
            out.write(f".site{i % 1500}.example.com\tTRUE\t/p{i}\tFALSE\t2000000000\t"
                      f"session{i}\tv{i:08x}deadbeefcafe\n")


def python_apply(jar_path):
    jar = http.cookiejar.MozillaCookieJar(jar_path)
    jar.load(ignore_discard=True, ignore_expires=True)
    for i in range(BOARDS):
        jar.set_cookie(http.cookiejar.Cookie(
            0, f"http://bbs{i % 97}.example.jp/cgi-bin/bbs{i}.cgi", "%91%BE%98Y,,,,30,,0,1", None,
            False, f"bbs{i % 97}.example.jp", False, False, "/cgi-bin", True, False,
            2000000000, False, None, None, {}))
    jar.save(ignore_discard=True, ignore_expires=True)


def timed(run, prepare):
    """Median wall time in milliseconds over RUNS runs, prepare() done before each, untimed."""
    times = []
    for _ in range(RUNS):
        prepare()
        start = time.perf_counter()
        run()
        times.append((time.perf_counter() - start) * 1000.0)
    return statistics.median(times)


def main():
    if len(sys.argv) < 2:
        raise SystemExit(__doc__)
    with tempfile.TemporaryDirectory() as directory:
        boards = os.path.join(directory, "boards.ini")
        write_board_list(boards, BOARDS, modes=["Ferno-BBS", "Ferno-BBS Quill"])
        template = os.path.join(directory, "template.txt")
        write_jar(template)
        jar = os.path.join(directory, "cookies.txt")

        def fresh_jar():
            shutil.copyfile(template, jar)
            os.chmod(jar, 0o600)

        python_ms = timed(lambda: python_apply(jar), fresh_jar)
        print(f"python MozillaCookieJar, {BOARDS} cookies into {OTHER_COOKIES}: {python_ms:.1f} ms")
        for binary in sys.argv[1:]:
            # A private undo journal, which the repeated runs fill as a user's would (10 batches).
            state = os.path.join(directory, "state-" + str(sys.argv.index(binary)))
            env = dict(os.environ, XDG_STATE_HOME=state)

            def tessel(*args):
                subprocess.run([binary, "--board-list", boards, "--cookie-store", "jar:" + jar,
                                *args], check=True, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, env=env)

            apply_ms = timed(lambda: tessel("apply", "--all", "--name", "太郎",
                                            "--view-count", "30"), fresh_jar)
            show_ms = timed(lambda: tessel("show", "1"), lambda: None)
            version_ms = timed(lambda: tessel("--version"), lambda: None)
            print(f"{binary}: apply --all {apply_ms:.1f} ms ({python_ms / apply_ms:.1f}x python), "
                  f"show {show_ms:.1f} ms, --version {version_ms:.1f} ms")


if __name__ == "__main__":
    main()
