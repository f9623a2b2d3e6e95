#!/usr/bin/python3
"""Runs real-window tests: each scenario gets a desktop of its own (X server, window manager,
session and accessibility buses) and a freshly started program.

Exit status: 0 passed, 1 failed, 77 skipped (the ctest convention for a test that could not run
here)."""

import argparse
import os
import subprocess
import sys
import time
import traceback

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import program  # noqa: E402
import test_commands  # noqa: E402,F401  (scenarios register themselves)
import test_main_window  # noqa: E402,F401
import test_viewer  # noqa: E402,F401
from desktop import Desktop, Failure, Skip  # noqa: E402

SKIPPED = 77


def run_one(name, args):
    function = program.SCENARIOS[name]
    out = os.path.join(args.out, name)
    options = getattr(function, "desktop", {})
    try:
        with Desktop(args.program, args.sample_cd, out, **options) as desktop:
            session = program.Orvane(desktop, args.shots)
            try:
                function(session)
            except (Failure, Exception):
                keep_evidence(session, out)
                raise
    except Skip as skip:
        print(f"SKIP {name}: {skip}")
        return SKIPPED
    except Failure as failure:
        print(f"FAIL {name}: {failure}\n  (screenshot, tree and logs in {out})")
        return 1
    except Exception:
        traceback.print_exc()
        print(f"FAIL {name}: error (logs in {out})")
        return 1
    print(f"PASS {name}", flush=True)
    return 0


def keep_evidence(session, out):
    try:
        session.d.save_png(session.d.shot(), os.path.join(out, "failure.png"))
    except Exception as error:
        print(f"(no screenshot: {error})")
    try:
        with open(os.path.join(out, "tree.txt"), "w") as tree:
            tree.write(session.app().dump(limit=10))
    except Exception as error:
        print(f"(no accessibility tree: {error})")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("scenarios", nargs="*", help="names (default: all)")
    parser.add_argument("--program", default=os.path.join(here, "../../build/orvane"))
    parser.add_argument("--sample-cd", default=os.path.join(here, "../../build/sample-cd"))
    parser.add_argument("--out", default=os.path.join(here, "../../build/realwin"))
    parser.add_argument("--shots", help="keep the README screenshots in this folder")
    parser.add_argument("--list", action="store_true", help="list the scenarios")
    args = parser.parse_args()
    if args.list:
        print("\n".join(program.SCENARIOS))
        return 0
    args.program = os.path.abspath(args.program)
    args.sample_cd = os.path.abspath(args.sample_cd)
    args.out = os.path.abspath(args.out)
    for needed in (args.program, os.path.join(args.sample_cd, "orvane.ini")):
        if not os.path.exists(needed):
            print(f"FAIL: {needed} is missing; build first")
            return 1
    names = args.scenarios or list(program.SCENARIOS)
    unknown = [n for n in names if n not in program.SCENARIOS]
    if unknown:
        print("unknown scenarios: " + ", ".join(unknown))
        return 1
    if len(names) == 1:
        return run_one(names[0], args)
    # The accessibility library joins one bus per process: each scenario runs in its own.
    results = {}
    for name in names:
        started = time.monotonic()
        argv = [sys.executable, os.path.abspath(__file__), "--program", args.program,
                "--sample-cd", args.sample_cd, "--out", args.out, name]
        if args.shots:
            argv += ["--shots", args.shots]
        results[name] = subprocess.run(argv).returncode
        print(f"  ({time.monotonic() - started:.1f} s)", flush=True)
    failed = sum(1 for r in results.values() if r == 1)
    skipped = sum(1 for r in results.values() if r == SKIPPED)
    if len(names) > 1:
        print(f"{len(names) - failed - skipped} passed, {failed} failed, {skipped} skipped")
    if failed:
        return 1
    return SKIPPED if skipped == len(names) else 0


if __name__ == "__main__":
    sys.exit(main())
