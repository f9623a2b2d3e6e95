#!/usr/bin/env python3
"""Measures whether the tests catch faults: plants one-line faults in the program's own sources,
one at a time, and runs the tests against each.

    tools/mutants.py [--seeds 1,2,3] [--count 20] [--ctest ARGS] [--keep]

Works in a throwaway clone of HEAD, so an interrupted run leaves no fault in this tree. The clone
is built, and the tests must pass there unmutated before any fault is planted. A mutant is caught
when a test fails, and only counts as caught when a failing test passes again once the fault is
taken out; one that does not build is dropped. Prints a line for each mutant and the score."""

import argparse
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import time

FOLDERS = ("app/", "catalogue/", "mainwindow/", "viewer/", "dialogs/", "platform/")
# Each fault turns one operator into its neighbour: a flipped comparison, && for ||, a sign,
# a truth value, a negated return.
FAULTS = [(r"<=", "<"), (r">=", ">"), (r"(?<![<>=!])<(?![<=])", "<="),
          (r"(?<![<>=!-])>(?![>=])", ">="), (r"==", "!="), (r"!=", "=="), (r"&&", "||"),
          (r"\|\|", "&&"), (r"\+ 1\b", "- 1"), (r"- 1\b", "+ 1"), (r"\btrue\b", "false"),
          (r"\bfalse\b", "true"), (r"\breturn (?!;)", "return !")]


def sh(args, cwd, quiet=True):
    return subprocess.run(args, cwd=cwd, text=True, capture_output=quiet)


def candidates(root):
    files = sh(["git", "ls-files"], root).stdout.split()
    found = []
    for name in files:
        if not name.startswith(FOLDERS) or not name.endswith(".cpp") or "/win/" in name:
            continue
        with open(os.path.join(root, name), encoding="utf-8", errors="replace") as f:
            for number, line in enumerate(f):
                text = line.strip()
                if not text or text.startswith(("//", "#", "*", "/*")) or "template" in text:
                    continue
                for pattern, replacement in FAULTS:
                    for m in re.finditer(pattern, line):
                        if "<" in pattern and re.search(r"\w<\w", line[max(0, m.start() - 1):m.end() + 1]):
                            continue  # a template's bracket
                        found.append((name, number, m.start(), m.end(), replacement))
    return found


class Clone:
    def __init__(self, root, ctest_args):
        self.root, self.build, self.ctest_args = root, os.path.join(root, "build"), ctest_args

    def compiles(self):
        return sh(["ninja", "-C", self.build], self.root).returncode == 0

    def failing(self, only=None):
        args = ["ctest", "--test-dir", self.build, "-j2", "--timeout", "300", *self.ctest_args]
        if not only:  # one failure decides; the confirming run takes the failed ones
            args.append("--stop-on-failure")
        if only:
            args += ["-R", "^(" + "|".join(map(re.escape, only)) + ")$"]
        out = sh(args, self.root).stdout
        return set(re.findall(r"^\s*\d+ - (\S+) \(", out, re.M))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--seeds", default="1,2,3")
    parser.add_argument("--count", type=int, default=20, help="mutants for each seed")
    parser.add_argument("--ctest", default="-E ^package$ -LE roots", help="ctest's arguments")
    parser.add_argument("--keep", action="store_true", help="keep the clone")
    args = parser.parse_args()
    started = time.monotonic()
    here = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    root = tempfile.mkdtemp(prefix="orvane-mutants-")
    try:
        sh(["git", "clone", "--quiet", here, root], here)
        configure = ["cmake", "-S", root, "-B", os.path.join(root, "build"), "-G", "Ninja"]
        if shutil.which("ccache"):
            configure.append("-DCMAKE_CXX_COMPILER_LAUNCHER=ccache")
        sh(configure, root)
        clone = Clone(root, args.ctest.split())
        if not clone.compiles():
            sys.exit("mutants: the unmutated clone does not build")
        unmutated = clone.failing()
        if unmutated:
            sys.exit("mutants: tests fail unmutated: " + ", ".join(sorted(unmutated)))
        pool = candidates(root)
        caught = total = 0
        for seed in map(int, args.seeds.split(",")):
            order = list(pool)
            random.Random(seed).shuffle(order)
            made = 0
            for name, number, begin, end, replacement in order:
                if made == args.count:
                    break
                path = os.path.join(root, name)
                with open(path, encoding="utf-8") as f:
                    original = f.read()
                lines = original.split("\n")
                before = lines[number]
                lines[number] = before[:begin] + replacement + before[end:]
                with open(path, "w", encoding="utf-8") as f:
                    f.write("\n".join(lines))
                try:
                    t = time.monotonic()
                    if not clone.compiles():
                        continue
                    failed = clone.failing()
                finally:
                    with open(path, "w", encoding="utf-8") as f:
                        f.write(original)
                made += 1
                total += 1
                # A failure counts only if the test passes again without the fault.
                confirmed = failed and clone.compiles() and clone.failing(failed) != failed
                caught += bool(confirmed)
                verdict = "caught  " if confirmed else "FLAKY   " if failed else "SURVIVED"
                print(f"{verdict} seed {seed} {name}:{number + 1}  {before.strip()[:80]}  ->  "
                      f"{lines[number].strip()[:80]}  ({time.monotonic() - t:.0f} s) "
                      f"{','.join(sorted(failed))}", flush=True)
        clone.compiles()
        minutes = (time.monotonic() - started) / 60
        print(f"caught {caught} of {total} ({100 * caught // max(total, 1)} %) in {minutes:.0f} min")
    finally:
        if args.keep:
            print("clone kept in", root)
        else:
            shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    main()
