#!/usr/bin/env python3
"""A small mutation check: does the test suite notice when the code is wrong?

Flips one comparison, constant or condition at a time in src/settings, src/board, src/controls and
the board's cookie text in src/cookies, rebuilds the test suites of that code and runs them. A mutant is killed when the suite fails, and
survives when it passes; one that does not compile is not counted. The mutants are chosen the same
way on every run (a fixed seed over the same sources), so two runs over the same code, with two
versions of the tests, can be compared.

Usage: scripts/mutation_check.py [--mutants N] [--build DIR] [--list]
"""
import argparse
import os
import random
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# The code mutated (a folder's .cpp files, or one file) and the suites that test it.
SUITES = {
    "settings": ["settings_tests"],
    "board": ["board_tests"],
    "controls": ["controls_tests"],
    "cookies/CookieDate.cpp": ["cookie_tests", "board_tests"],
    "cookies/CookieText.cpp": ["cookie_tests", "board_tests"],
}
ALL_SUITES = sorted({suite for suites in SUITES.values() for suite in suites})

# (pattern, replacement) pairs; each match of a pattern is one possible mutant.
MUTATIONS = [
    (r"(?<![=!<>])==(?!=)", "!="),
    (r"!=", "=="),
    (r"(?<![<>-])<=", ">"),
    (r"(?<![<>-])>=", "<"),
    (r"(?<![<>=-])<(?![<=])", ">="),
    (r"(?<![<>=-])>(?![>=])", "<="),
    (r"&&", "||"),
    (r"\|\|", "&&"),
    (r"\btrue\b", "false"),
    (r"\bfalse\b", "true"),
    (r"(?<![\w.])([1-9]\d*)(?![\w.])", lambda m: str(int(m.group(1)) + 1)),
    (r"(?<![\w.])0(?![\w.x])", "1"),
]

# Lines that are not logic: includes, comments, and templates' angle brackets.
SKIP = re.compile(r"^\s*(#|//)|template\s*<|static_cast<|reinterpret_cast<|std::\w+<|<\w+>")


def candidates():
    sites = []
    for folder in SUITES:
        place = os.path.join(ROOT, "src", folder)
        paths = [place] if place.endswith(".cpp") else [
            os.path.join(place, name) for name in sorted(os.listdir(place)) if name.endswith(".cpp")]
        for path in paths:
            with open(path, encoding="utf-8") as source:
                lines = source.read().split("\n")
            for number, line in enumerate(lines):
                if SKIP.search(line):
                    continue
                code = re.sub(r'"(\\.|[^"\\])*"', lambda m: " " * len(m.group(0)), line)
                code = code.split("//")[0]
                for index, (pattern, _) in enumerate(MUTATIONS):
                    for match in re.finditer(pattern, code):
                        sites.append((folder, path, number, match.start(), index))
    return sites


def mutate(line, column, index):
    pattern, replacement = MUTATIONS[index]
    match = re.compile(pattern).match(line, column)
    text = replacement(match) if callable(replacement) else replacement
    return line[:column] + text + line[match.end():], match.group(0), text


def run(command, timeout):
    try:
        return subprocess.run(command, cwd=ROOT, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=timeout).returncode
    except subprocess.TimeoutExpired:
        return -1  # a mutant that makes the suite hang counts as caught


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--mutants", type=int, default=48)
    parser.add_argument("--build", default=os.path.join(ROOT, "build", "linux"))
    parser.add_argument("--list", action="store_true", help="list the mutants and stop")
    args = parser.parse_args()

    sites = candidates()
    chosen = sorted(random.Random(20261207).sample(sites, min(args.mutants, len(sites))))
    if not args.list:
        if run(["cmake", "--build", args.build, "--target", *ALL_SUITES], 1800) != 0:
            sys.exit("the unmutated suites do not build")
    killed = survived = invalid = 0
    for folder, path, number, column, index in chosen:
        with open(path, encoding="utf-8") as source:
            original = source.read()
        lines = original.split("\n")
        lines[number], before, after = mutate(lines[number], column, index)
        where = f"{os.path.relpath(path, ROOT)}:{number + 1}: {before} -> {after}"
        if args.list:
            print(where)
            continue
        suites = SUITES[folder]
        try:
            with open(path, "w", encoding="utf-8") as source:
                source.write("\n".join(lines))
            if run(["cmake", "--build", args.build, "--target", *suites], 600) != 0:
                invalid += 1
                verdict = "does not compile"
            elif any(run([os.path.join(args.build, "bin", suite)], 120) != 0 for suite in suites):
                killed += 1
                verdict = "killed"
            else:
                survived += 1
                verdict = "SURVIVED"
        finally:
            with open(path, "w", encoding="utf-8") as source:
                source.write(original)
        print(f"{verdict:16} {where}", flush=True)
    if not args.list:
        run(["cmake", "--build", args.build, "--target", *ALL_SUITES], 1800)
        print(f"mutants: {killed + survived} (and {invalid} that do not compile); "
              f"killed {killed}, survived {survived}")


if __name__ == "__main__":
    main()
