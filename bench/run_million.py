#!/usr/bin/env python3
"""A library of a million tracks: the start, the store, the table.

usage: run_million.py BUILD_DIR [WORK_DIR] [--against OTHER_BUILD_DIR] [--real-size]

Makes a tree of 1,000,000 track files in 50,000 folders (20 a folder, nested
three deep) under WORK_DIR (/tmp/pitbox-bench by default) and remembers it
with `pitbox-cli list --scan --cache`. The files hold a few bytes each, which
a Scan finds damaged (about 4 GB of disk); with --real-size they are real
tracks of 18 KB, with authors and records (about 20 GB). Then times,
warm, medians of alternating runs:
- a start of the program on it (bench_start, Qt offscreen): to the filled
  table's first paint and to the end of the folder's check, with the peak
  memory, against `find -printf` of every file's size and time (what the check
  looks at);
- the store's bytes a track;
- a track added to one folder and removed while the program is open, until the
  table shows it, against the same program looking at the whole tree;
- the table's benchmarks at a million tracks (bench_fill_list, the /10 runs).
With --against, another build's programs run in the same turns, each on a
store of its own, for a before and after.
Kept out of CI: the tree takes a minute to make and the runs some more.
"""
import json
import os
import shutil
import statistics
import subprocess
import time

import bench_args

args = bench_args.parse("A library of a million tracks: the start, the store, the table.",
                        [("--real-size", "real tracks of 18 KB rather than files of a few bytes")])
build, work, against, real_size = args.build, args.work, args.against, args.real_size
os.makedirs(work, exist_ok=True)
builds = {"pitbox": build}
if against:
    builds["other"] = against

kind = "million-real" if real_size else "million"
tree = os.path.join(work, kind)
if not os.path.isdir(tree):
    print("making the tree of 1,000,000 tracks ...", flush=True)
    sizes = ["18", "18"] if real_size else []
    subprocess.run([os.path.join(build, "bin", "make_tree"), tree, "50000", "20", *sizes], check=True)
folder = tree + "/"


def state_of(name):
    return os.path.join(work, f"{kind}-state-{name}")


for name, b in builds.items():
    state = state_of(name)
    store = os.path.join(state, "kestrun-pitbox", "library.dat")
    if not os.path.exists(store):
        print(f"remembering the tree ({name}) ...", flush=True)
        env = dict(os.environ, XDG_STATE_HOME=state)
        begun = time.perf_counter()
        subprocess.run([os.path.join(b, "bin", "pitbox-cli"), "list", "--scan", "--cache", tree], check=True,
                       env=env, stdout=subprocess.DEVNULL)
        print(f"list --scan --cache of the 1,000,000 ({name}): {time.perf_counter() - begun:.1f} s", flush=True)
    with open(os.path.join(state, "kestrun-pitbox", "settings.conf"), "w") as f:
        f.write(f'load_folder = "{folder}"\n')
    print(f"store ({name}): {os.path.getsize(store) / 1e6:.1f} MB, {os.path.getsize(store) / 1e6:.1f} bytes a track",
          flush=True)


def start(name, *change):
    env = dict(os.environ, XDG_STATE_HOME=state_of(name), XDG_RUNTIME_DIR=os.path.join(work, "runtime"))
    os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700, exist_ok=True)
    out = subprocess.run([os.path.join(builds[name], "bin", "bench_start"), *change], check=True, env=env,
                         capture_output=True, text=True).stdout
    return json.loads(out)


def find_time():
    t = time.perf_counter()
    subprocess.run(["find", tree, "-iname", "*.trk", "-printf", "%s %T@\\n"], check=True, stdout=subprocess.DEVNULL)
    return (time.perf_counter() - t) * 1000


runs = {name: [] for name in builds}
finds = []
for turn in range(7):
    for name in builds:
        r = start(name)
        if turn >= 1:  # the first turn warms the cache
            runs[name].append(r)
    if turn >= 1:
        finds.append(find_time())
find_ms = statistics.median(finds)
print(f"{kind}: find -printf of the 1,000,000 files' size and time: median {find_ms:.0f} ms")
for name, rs in runs.items():
    table = statistics.median(r["table_ms"] for r in rs)
    checked = statistics.median(r["checked_ms"] for r in rs)
    peak = max(r["peak_kib"] for r in rs) / 1024
    table_peak = max(r.get("table_peak_kib", -1) for r in rs) / 1024
    print(f"start ({name}) on 1,000,000 remembered tracks: table {table:.0f} ms, checked {checked:.0f} ms "
          f"(ratio {checked / find_ms:.2f} to find -printf), peak memory {peak:.0f} MiB "
          f"({table_peak:.0f} MiB when the table was shown)", flush=True)

# A track added to one folder of the 50,000 while the program is open, and
# removed again, each until the table shows it: the watch's 300 ms of quiet
# included, against the same program looking at the whole tree at each change.
one_folder = next(os.path.join(root, "") for root, folders, _ in os.walk(tree) if not folders)
changes = {"where it changed": [], "the whole tree": []}
for turn in range(3):
    changes["where it changed"].append(start("pitbox", one_folder))
    changes["the whole tree"].append(start("pitbox", one_folder, "whole"))
for looked, rs in changes.items():
    added = statistics.median(r["added_shown_ms"] for r in rs)
    removed = statistics.median(r["removed_shown_ms"] for r in rs)
    print(f"a change looked at in {looked}: a track added shown in {added:.0f} ms, removed in {removed:.0f} ms",
          flush=True)

for name, b in builds.items():
    program = os.path.join(b, "bin", "bench_fill_list")
    out = subprocess.run([program, "--benchmark_format=json", "--benchmark_filter=/10/"], check=True,
                         capture_output=True, text=True,
                         env=dict(os.environ, XDG_RUNTIME_DIR=os.path.join(work, "runtime"))).stdout
    for bench in json.loads(out)["benchmarks"]:
        if bench.get("aggregate_name") == "median":
            print(f"{bench['run_name']} ({name}): median {bench['real_time']:.1f} ms", flush=True)
