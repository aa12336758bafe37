#!/usr/bin/env python3
"""A Scan from a cold cache: `pitbox-cli list --scan` of 100,000 tracks of 20
to 60 KB against `cat` of the same files, the page cache dropped before each
run, then each once more warm.

usage: run_cold_scan.py BUILD_DIR [WORK_DIR] [--against OTHER_BUILD_DIR]

Needs root, to write /proc/sys/vm/drop_caches. Makes its tree (about 4 GB)
under WORK_DIR (/tmp/pitbox-bench by default). Kept out of CI.
"""
import os
import statistics
import subprocess
import time

import bench_args
import bench_run

args = bench_args.parse("A Scan from a cold cache against cat.")
build, work, against = args.build, args.work, args.against
tree = os.path.join(work, "cold-100k")
if not os.path.isdir(tree):
    print("making the tree of 100,000 tracks ...", flush=True)
    subprocess.run([os.path.join(build, "bin", "make_tree"), tree, "5000", "20", "20", "60"], check=True)
files = os.path.join(work, "cold-100k.list")
with open(files, "w") as f:
    f.write("\0".join(sorted(os.path.join(d, n) for d, _, ns in os.walk(tree) for n in ns)))

commands = {"pitbox": [os.path.join(build, "bin", "pitbox-cli"), "list", "--scan", tree]}
if against:
    commands["other"] = [os.path.join(against, "bin", "pitbox-cli"), "list", "--scan", tree]
commands["cat"] = ["sh", "-c", 'xargs -0 cat < "$0" > /dev/null', files]


def timed(command):
    begun = time.perf_counter()
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
    return time.perf_counter() - begun


times = {name: {"cold": [], "warm": []} for name in commands}
for _ in range(3):
    for name, command in commands.items():
        bench_run.drop_caches()
        times[name]["cold"].append(timed(command))
        times[name]["warm"].append(timed(command))
for how in ("cold", "warm"):
    cat = statistics.median(times["cat"][how])
    for name in commands:
        if name == "cat":
            continue
        ours = statistics.median(times[name][how])
        print(f"{how} list --scan of 100,000 tracks ({name}): {ours:.2f} s, cat {cat:.2f} s, ratio {ours / cat:.2f}",
              flush=True)
