#!/usr/bin/python3
"""Runs real-window tests: each scenario gets a desktop of its own (X server, window manager,
session and accessibility buses) and a freshly started program.

Exit status: 0 passed, 1 failed, 77 skipped (the ctest convention for a test that could not run
here)."""

import argparse
import os
import subprocess
import sys
import traceback

sys.dont_write_bytecode = True  # nothing written into the source tree
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import program  # noqa: E402
import scenarios  # noqa: E402,F401  (they register themselves)
from desktop import Desktop, Failure, Skip  # noqa: E402

SKIPPED = 77


def run_one(name, args):
    function = program.SCENARIOS[name]
    out = os.path.join(args.out, name)
    try:
        with Desktop(args.program, args.sample_cd, out, **getattr(function, "desktop", {})) as d:
            session = program.Orvane(d, args.shots)
            try:
                function(session)
                d.check_alive()
            except Exception:
                for what, keep in (("failure.png", lambda p: d.save_png(d.shot(), p)),
                                   ("tree.txt", lambda p: open(p, "w").write(session.app().dump()))):
                    try:
                        keep(os.path.join(out, what))
                    except Exception as error:
                        print(f"(no {what}: {error})")
                raise
    except Skip as skip:
        print(f"SKIP {name}: {skip}")
        return SKIPPED
    except Exception as error:
        if not isinstance(error, Failure):
            traceback.print_exc()
        print(f"FAIL {name}: {error}\n  (screenshot, tree and logs in {out})")
        return 1
    print(f"PASS {name}", flush=True)
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("scenarios", nargs="*", help="names (default: all)")
    path = os.path.abspath  # the program starts in a folder of its own
    parser.add_argument("--program", type=path, default=os.path.join(HERE, "../../build/orvane"))
    parser.add_argument("--sample-cd", type=path,
                        default=os.path.join(HERE, "../../build/sample-cd"))
    parser.add_argument("--out", type=path, default=os.path.join(HERE, "../../build/realwin"))
    parser.add_argument("--shots", type=path, help="keep the README screenshots in this folder")
    args = parser.parse_args()
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
    options = [a for key, value in vars(args).items() if value and key != "scenarios"
               for a in ("--" + key.replace("_", "-"), value)]
    codes = [subprocess.run([sys.executable, __file__, *options, n]).returncode for n in names]
    failed = len(codes) - codes.count(SKIPPED) - codes.count(0)
    print(f"{codes.count(0)} passed, {failed} failed, {codes.count(SKIPPED)} skipped")
    return 1 if failed else SKIPPED if codes.count(SKIPPED) == len(names) else 0


if __name__ == "__main__":
    sys.exit(main())
