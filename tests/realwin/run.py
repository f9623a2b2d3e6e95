#!/usr/bin/python3
"""Runs real-window scenarios, each on a desktop of its own: exits 0 passed, 1 failed, 77 skipped."""

import argparse
import os
import sys
import traceback

sys.dont_write_bytecode = True  # nothing written into the source tree
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import scenarios  # noqa: E402
from desktop import Desktop, Skip  # noqa: E402


def run(name, args):
    function = getattr(scenarios, name)
    d = Desktop(args, name, **getattr(function, "desktop", {}))
    try:
        d.setup()
        function(d)
        d.check_alive()
        print(f"PASS {name}", flush=True)
        return 0
    except Skip as skip:
        print(f"SKIP {name}: {skip}")
        return 77
    except Exception as error:
        traceback.print_exc()
        try:
            d.save_png(d.out, "failure.png")
            with open(os.path.join(d.out, "tree.txt"), "w") as tree:
                tree.write("\n".join(map(repr, d.app().walk())))
        except Exception as missing:
            print(f"(no screenshot or tree: {missing!r})")
        print(f"FAIL {name}: {error}\n  (screenshot, accessibility tree and log in {d.out})")
        return 1
    finally:
        d.teardown()


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("scenarios", nargs="+")
    for option, default in (("--program", "orvane"), ("--sample-cd", "sample-cd"),
                            ("--out", "realwin"), ("--shots", None)):
        parser.add_argument(option, type=os.path.abspath,  # the program starts elsewhere
                            default=default and os.path.join(HERE, "../../build", default))
    args = parser.parse_args()
    codes = set()
    for name in args.scenarios:  # each in a process of its own: it joins its desktop's buses
        if not (pid := os.fork()):
            sys.exit(run(name, args))
        codes.add(os.waitstatus_to_exitcode(os.waitpid(pid, 0)[1]))
    return 1 if codes - {0, 77} else 77 if codes == {77} else 0


if __name__ == "__main__":
    sys.exit(main())
