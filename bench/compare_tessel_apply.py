#!/usr/bin/env python3
"""Times whole tessel processes on a cookies.txt jar against Python's http.cookiejar doing the same
work in the same run, for the linux preset's tessel (the build users run) and the bench preset's,
or for each tessel binary given:

- apply --all: 1,000 boards (each read first, then one durable write) into a jar of 10,000
  cookies of other sites, against MozillaCookieJar's load, 1,000 set_cookie and one save (which
  does not fsync), timed as a whole Python process as tessel is (and, for reference, inside this
  one, without the interpreter's start);
- show: one board read from the same jar;
- --version: start-up alone.

Each timed run starts from a settled disk: the jar copied for it, and whatever the runs before
left unflushed (Python's saves never flush), are flushed first, untimed. Otherwise a durable
writer's first flush also waits for those writes, which the peer never does (1.2 to 1.4 ms of
tessel's time on the development machine before tessel wrote its jar ahead, less since).
--unsettled leaves that out, to show it. Each build first runs untimed until its journal holds
the ten batches a user's repeated runs leave. The first build given runs straight after the peer,
which costs it about 0.5 ms against a build run second: the linux build goes first.

Usage: compare_tessel_apply.py [--unsettled] [TESSEL_BINARY...]
"""
import http.cookiejar
import os
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

from board_list import write_board_list
from builds import builds

BOARDS = 1000
OTHER_COOKIES = 10000
RUNS = 11
JOURNAL_BATCHES = 10


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


def children_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def paired(runs, prepare):
    """Median wall time and median processor time (user and system), in milliseconds, of each of
    runs, taken in turn RUNS times with prepare() done before each, untimed, so that another load
    on the machine weighs on each alike. A run's processor time is its child processes' when it
    starts any, else this process's own."""
    times = [([], []) for _ in runs]
    for _ in range(RUNS):
        for run, (walls, cpus) in zip(runs, times):
            prepare()
            children, own = children_cpu(), time.process_time()
            start = time.perf_counter()
            run()
            walls.append((time.perf_counter() - start) * 1000.0)
            children, own = children_cpu() - children, time.process_time() - own
            cpus.append((children if children > 0 else own) * 1000.0)
    return [(statistics.median(walls), statistics.median(cpus)) for walls, cpus in times]


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--python-apply":
        python_apply(sys.argv[2])
        return
    arguments = sys.argv[1:]
    settle = "--unsettled" not in arguments
    runs = builds("tessel", [argument for argument in arguments if argument != "--unsettled"])
    with tempfile.TemporaryDirectory() as directory:
        boards = os.path.join(directory, "boards.ini")
        write_board_list(boards, BOARDS, modes=["Ferno-BBS", "Ferno-BBS Quill"])
        template = os.path.join(directory, "template.txt")
        write_jar(template)
        jar = os.path.join(directory, "cookies.txt")

        def fresh_jar():
            shutil.copyfile(template, jar)
            os.chmod(jar, 0o600)
            if settle:
                os.sync()

        def tessel(number, binary, *args):
            # A private undo journal, filled before the timed runs as a user's would be.
            env = dict(os.environ, XDG_STATE_HOME=os.path.join(directory, f"state-{number}"))
            subprocess.run([binary, "--board-list", boards, "--cookie-store", "jar:" + jar, *args],
                           check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                           env=env)

        def python_process():
            subprocess.run([sys.executable, os.path.abspath(__file__), "--python-apply", jar],
                           check=True)

        def applies(number, binary):
            return lambda: tessel(number, binary, "apply", "--all", "--name", "太郎",
                                  "--view-count", "30")

        for number, (_, binary) in enumerate(runs):
            for _ in range(JOURNAL_BATCHES):
                fresh_jar()
                applies(number, binary)()
        applied = paired([python_process, lambda: python_apply(jar)] +
                         [applies(number, binary) for number, (_, binary) in enumerate(runs)],
                         fresh_jar)
        (python_ms, python_cpu), (inside_ms, inside_cpu) = applied[0], applied[1]
        print(f"python MozillaCookieJar, {BOARDS} cookies into {OTHER_COOKIES}: {python_ms:.1f} ms "
              f"as a whole process, {inside_ms:.1f} ms inside one already started (processor "
              f"time {python_cpu:.1f} ms, {inside_cpu:.1f} ms)")
        shown = paired([lambda b=binary, n=number: tessel(n, b, "show", "1")
                        for number, (_, binary) in enumerate(runs)], lambda: None)
        started = paired([lambda b=binary, n=number: tessel(n, b, "--version")
                          for number, (_, binary) in enumerate(runs)], lambda: None)
        for (label, _), (apply_ms, apply_cpu), show, version in zip(runs, applied[2:], shown,
                                                                     started):
            print(f"{label}:\n"
                  f"  apply --all {apply_ms:.1f} ms ({python_ms / apply_ms:.1f}x python's process, "
                  f"{inside_ms / apply_ms:.1f}x its work alone); processor time {apply_cpu:.1f} ms "
                  f"({python_cpu / apply_cpu:.1f}x, {inside_cpu / apply_cpu:.1f}x)\n"
                  f"  show {show[0]:.1f} ms (processor {show[1]:.1f} ms), --version {version[0]:.1f} "
                  f"ms (processor {version[1]:.1f} ms)")


if __name__ == "__main__":
    main()
