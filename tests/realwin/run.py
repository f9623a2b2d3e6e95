#!/usr/bin/python3
"""Runs real-window scenarios (scenarios.py), each on a desktop of its own with a freshly started
program. Exit status: 0 passed, 1 failed, 77 skipped (ctest's code for a test that cannot run)."""

import argparse
import os
import subprocess
import sys
import traceback

sys.dont_write_bytecode = True  # nothing written into the source tree
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import scenarios  # noqa: E402
from desktop import Desktop, Failure, Skip  # noqa: E402


def run_one(name, args):
    function = getattr(scenarios, name)
    d = Desktop(args, os.path.join(args.out, name), **getattr(function, "desktop", {}))
    try:
        d.open()
        function(d)
        d.check_alive()
        print(f"PASS {name}")
        return 0
    except Skip as skip:
        print(f"SKIP {name}: {skip}")
        return 77
    except Exception as error:
        if not isinstance(error, Failure):
            traceback.print_exc()
        for file, write in (("failure.png", d.save_png), ("tree.txt", lambda path: open(
                path, "w").write("\n".join(map(repr, d.app().walk()))))):
            try:
                write(os.path.join(d.out, file))
            except Exception as missing:
                print(f"(no {file}: {missing})")
        print(f"FAIL {name}: {error}\n  (screenshot, accessibility tree and log in {d.out})")
        return 1
    finally:
        d.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("scenarios", nargs="+")
    for option, default in (("--program", "orvane"), ("--sample-cd", "sample-cd"),
                            ("--out", "realwin"), ("--shots", None)):
        parser.add_argument(option, type=os.path.abspath,  # the program starts elsewhere
                            default=default and os.path.join(HERE, "../../build", default))
    args = parser.parse_args()
    if len(args.scenarios) == 1:
        return run_one(args.scenarios[0], args)
    # The accessibility library joins one bus per process: each scenario runs in its own.
    options = [a for a in sys.argv[1:] if a not in args.scenarios]
    codes = {subprocess.run([sys.executable, __file__, *options, name]).returncode
             for name in args.scenarios}
    return 1 if codes - {0, 77} else 77 if codes == {77} else 0


if __name__ == "__main__":
    sys.exit(main())
