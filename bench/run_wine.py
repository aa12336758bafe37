#!/usr/bin/env python3
"""The Windows build's benchmarks under Wine, against the same baseline tools
run natively in the same turns. Indicative only: Wine is not Windows, and each
file a Windows program opens is a few requests to the Wine server.

usage: run_wine.py BUILD_WINDOWS_DIR [WORK_DIR] [--million] [--against OTHER_BUILD]

Uses a Wine prefix of its own in WORK_DIR/wineprefix and the trees the other
benchmark scripts make (made here when missing, with the Linux build's
make_tree given by --tools, build-rel/bin by default). With --million, also
the check of a remembered library of a million tracks (WORK_DIR/million, made
by run_million.py) and the table's benchmarks at a million rows. With
--against, another Windows build's pitbox-cli.exe runs in the same turns.
"""
import argparse
import functools
import os
import shutil
import statistics
import subprocess
import sys

import bench_run

here = os.path.dirname(os.path.abspath(__file__))
parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
parser.add_argument("build", help="the Windows build directory (scripts/build-windows.sh)")
parser.add_argument("work", nargs="?", default="/tmp/pitbox-bench", help="where the trees are made")
parser.add_argument("--tools", default=os.path.join(here, "..", "build-rel", "bin"),
                    help="the Linux build's bin folder, for make_tree and peak_memory")
parser.add_argument("--million", action="store_true", help="also at a million tracks")
parser.add_argument("--against", help="another Windows build directory, timed in the same turns")
args = parser.parse_args()
bin_dir = os.path.join(os.path.abspath(args.build), "bin")
tools = os.path.abspath(args.tools)
work = os.path.abspath(args.work)
prefix = os.path.join(work, "wineprefix")
wine_dir = os.path.join(here, "..", "tests", "wine")
os.environ.update(WINEPREFIX=prefix, WINEDEBUG="-all", LANG="C.UTF-8", LC_ALL="C.UTF-8",
                  XDG_DATA_HOME=os.path.join(prefix, "xdg-data"))
if not os.path.isdir(os.path.join(prefix, "drive_c")):
    subprocess.run([os.path.join(wine_dir, "prefix.sh"), prefix, "make"], check=True)
# One server for every run, as a session has: its start is not the program's.
subprocess.run(["wineserver", "-k"], stderr=subprocess.DEVNULL)
subprocess.run(["wineserver", "-p"], check=True)
cli = ["wine", os.path.join(bin_dir, "pitbox-cli.exe")]
other = ["wine", os.path.join(os.path.abspath(args.against), "bin", "pitbox-cli.exe")] if args.against else None
for _ in range(3):  # a prefix's first starts finish setting it up
    subprocess.run([*cli, "--help"], stdout=subprocess.DEVNULL, check=True)


def windows(path):
    """A Linux path as the Windows program names it, on Wine's drive Z:."""
    return "Z:" + path.replace("/", "\\") + ("\\" if os.path.isdir(path) and not path.endswith("/") else "")


tree = functools.partial(bench_run.tree, tools, work)
run = functools.partial(bench_run.run, tools)


def compare(title, ours, baseline, runs=5):
    """`ours` is the command line's arguments after the program; the other
    build, if any, runs the same in each turn."""
    builds = [cli] + ([other] if other else [])
    times = [[] for _ in builds]
    base_t, peak = [], 0
    for build in builds:
        run([*build, *ours])
    run(baseline)
    for _ in range(runs):
        for build, spent in zip(builds, times):
            t, rss = run([*build, *ours])
            spent.append(t)
            if build is cli:
                peak = max(peak, rss)
        base_t.append(run(baseline)[0])
    o, b = statistics.median(times[0]), statistics.median(base_t)
    against = f" (the other build {statistics.median(times[1]):.2f} s)" if other else ""
    print(f"{title}: pitbox-cli.exe {o:.2f} s{against}, baseline {b:.2f} s, ratio {o / b:.2f}, "
          f"peak memory of the Wine process {peak / 1024:.1f} MiB", flush=True)


started = statistics.median(run([*cli, "--help"])[0] for _ in range(5))
print(f"a start of pitbox-cli.exe under Wine: {started * 1000:.0f} ms (in every figure below)", flush=True)

big = tree("list-100k", 5000, 20)
compare("list 100,000 tracks vs find -iname", ["list", windows(big)], ["find", big, "-iname", "*.trk"])


def forget_library():
    users = os.path.join(prefix, "drive_c", "users")
    for folder, _, names in os.walk(users):
        if folder.endswith(os.path.join("Local", "Kestrun Pitbox")) and "library.dat" in names:
            os.remove(os.path.join(folder, "library.dat"))


def check(title, folder, runs=5):
    forget_library()
    run([*cli, "list", "--scan", "--cache", windows(folder)])  # remembers the library
    compare(f"check of {title} remembered tracks (list --scan --cache) vs find -printf size and time",
            ["list", "--scan", "--cache", windows(folder)], ["find", folder, "-iname", "*.trk", "-printf", "%s %T@\\n"], runs)
    forget_library()


check("100,000", big)

scan = tree("scan-10k", 500, 20, 20, 60)
scan_files = sorted(os.path.join(dp, f) for dp, _, fs in os.walk(scan) for f in fs)
compare("list --scan 10,000 tracks of 20-60 KB vs cat", ["list", "--scan", windows(scan)],
        ["cat", *scan_files])
dups = tree("dup-20k", 1000, 20, 20, 60, 7)
if shutil.which("jdupes"):
    compare("duplicates of 20,000 tracks vs jdupes -r -q", ["duplicates", windows(dups)],
            ["jdupes", "-r", "-q", dups], runs=3)
if args.million:
    million = os.path.join(work, "million")
    if not os.path.isdir(million):
        sys.exit("no million tree: run_million.py makes it")
    check("1,000,000", million, runs=3)

# The table in the Win32 list view, in an X server of its own.
for hundreds in ["1", "10"] if args.million else ["1"]:
    subprocess.run([os.path.join(wine_dir, "in_xvfb.sh"), prefix, os.path.join(bin_dir, "bench_fill_list_win32.exe"),
                    hundreds], check=True)
subprocess.run(["wineserver", "-k"], stderr=subprocess.DEVNULL)
