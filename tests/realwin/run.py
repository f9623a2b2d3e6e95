#!/usr/bin/python3
"""Runs real-window tests, each on a desktop of its own (X server, window manager, session and
accessibility buses) with a freshly started program. Exit status: 0 passed, 1 failed, 77 skipped
(ctest's convention for a test that could not run here)."""

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
    function, out = program.SCENARIOS[name], os.path.join(args.out, name)
    try:
        with Desktop(args.program, args.sample_cd, out, **getattr(function, "desktop", {})) as d:
            session = program.Orvane(d, args.shots)
            try:
                function(session)
                d.check_alive()
            except Exception:
                keep_evidence(d, session, out)
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


def keep_evidence(d, session, out):
    """A failed test's screenshot and accessibility tree, as far as they can be had."""
    for name, write in (("failure.png", lambda path: d.save_png(d.shot(), path)),
                        ("tree.txt", lambda path: open(path, "w").write(session.app().dump()))):
        try:
            write(os.path.join(out, name))
        except Exception as error:
            print(f"(no {name}: {error})")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("scenarios", nargs="*", help=", ".join(program.SCENARIOS) + " (all)")
    for option, default in (("--program", "orvane"), ("--sample-cd", "sample-cd"),
                            ("--out", "realwin"), ("--shots", None)):
        parser.add_argument(option, type=os.path.abspath,  # the program starts elsewhere
                            default=default and os.path.join(HERE, "../../build", default))
    args = parser.parse_args()
    if not os.path.exists(os.path.join(args.sample_cd, "orvane.ini")):
        parser.error(f"{args.sample_cd} holds no sample CD; build first")
    if set(args.scenarios) - set(program.SCENARIOS):
        parser.error(f"unknown scenarios: {set(args.scenarios) - set(program.SCENARIOS)}")
    if len(args.scenarios) == 1:
        return run_one(args.scenarios[0], args)
    # The accessibility library joins one bus per process: each scenario runs in its own.
    options = [a for key, value in vars(args).items() if value and key != "scenarios"
               for a in ("--" + key.replace("_", "-"), value)]
    codes = [subprocess.run([sys.executable, __file__, *options, name]).returncode
             for name in args.scenarios or program.SCENARIOS]
    failed = len(codes) - codes.count(SKIPPED) - codes.count(0)
    print(f"{codes.count(0)} passed, {failed} failed, {codes.count(SKIPPED)} skipped")
    return 1 if failed else SKIPPED if codes.count(SKIPPED) == len(codes) else 0


if __name__ == "__main__":
    sys.exit(main())
