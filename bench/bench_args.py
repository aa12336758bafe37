"""The arguments the benchmark scripts share: the build to time, the folder
their trees are made in, and another build to time in the same turns."""
import argparse
import os


def parse(description, flags=()):
    """BUILD_DIR [WORK_DIR] [--against OTHER_BUILD_DIR], and the named flags,
    with every path made absolute."""
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("build", help="the build directory whose programs are timed")
    parser.add_argument("work", nargs="?", default="/tmp/pitbox-bench", help="where the trees are made")
    parser.add_argument("--against", help="another build directory, timed in the same turns")
    for flag, help_text in flags:
        parser.add_argument(flag, action="store_true", help=help_text)
    args = parser.parse_args()
    args.build = os.path.abspath(args.build)
    args.work = os.path.abspath(args.work)
    if args.against:
        args.against = os.path.abspath(args.against)
    return args
