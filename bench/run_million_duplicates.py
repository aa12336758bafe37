#!/usr/bin/env python3
"""Duplicates among a million tracks: `pitbox-cli duplicates` against
`jdupes -r -q`, warm, with the peak memory of each.

usage: run_million_duplicates.py BUILD_DIR [WORK_DIR] [--against OTHER_BUILD_DIR] [--cold]

Makes a tree of 1,000,000 real tracks of 18 KB in 50,000 folders, every seventh
a copy of the one before (about 20 GB of disk; the page cache should hold it
for warm runs), under WORK_DIR (/tmp/pitbox-bench by default). Times medians of
three alternating runs after one to warm the cache, each through peak_memory,
and says whether the groups found are jdupes'. With --against, another build
runs in the same turns. With --cold (as root), the page cache is dropped
before every run, the first turn's too. Kept out of CI.
"""
import os
import statistics
import subprocess
import time

import bench_args
import bench_run

args = bench_args.parse("Duplicates among a million tracks against jdupes.",
                        [("--cold", "drop the page cache before each run (needs root)")])
tree = os.path.join(args.work, "dup-1m")
if not os.path.isdir(tree):
    print("making the tree of 1,000,000 tracks ...", flush=True)
    subprocess.run([os.path.join(args.build, "bin", "make_tree"), tree, "50000", "20", "18", "18", "7"], check=True)
peak_memory = os.path.join(args.build, "bin", "peak_memory")
commands = {"pitbox": [os.path.join(args.build, "bin", "pitbox-cli"), "duplicates", tree]}
if args.against:
    commands["other"] = [os.path.join(args.against, "bin", "pitbox-cli"), "duplicates", tree]
commands["jdupes"] = ["jdupes", "-r", "-q", tree]


def groups_of(text):
    return sorted(tuple(sorted(line for line in group.splitlines() if line)) for group in text.split("\n\n")
                  if group.strip())


def timed(command):
    if args.cold:
        bench_run.drop_caches()
    begun = time.perf_counter()
    proc = subprocess.run([peak_memory, *command], check=True, capture_output=True, text=True)
    return time.perf_counter() - begun, int(proc.stderr.splitlines()[-1].split()[1]), proc.stdout


times = {name: [] for name in commands}
peaks = {name: 0 for name in commands}
found = {}
for turn in range(4):
    for name, command in commands.items():
        seconds, peak, out = timed(command)
        if turn == 0:
            found[name] = groups_of(out)
            continue
        times[name].append(seconds)
        peaks[name] = max(peaks[name], peak)
jdupes = statistics.median(times["jdupes"])
for name in commands:
    ours = statistics.median(times[name])
    same = "the same groups as jdupes" if found[name] == found["jdupes"] else "OTHER GROUPS than jdupes"
    print(f"duplicates of 1,000,000 tracks ({name}, {'cold' if args.cold else 'warm'}): {ours:.1f} s, ratio {ours / jdupes:.2f} to jdupes, "
          f"peak {peaks[name] / 1024:.0f} MiB, {len(found[name])} groups, {same}", flush=True)
