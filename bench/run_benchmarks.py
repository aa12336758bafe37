#!/usr/bin/env python3
"""Timed commands against their baseline tools on the same trees, warm cache.

usage: run_benchmarks.py BUILD_DIR [WORK_DIR]

Prints the median of several alternating runs of each command and its baseline,
their ratio, and the peak memory of pitbox-cli. Also runs the Google Benchmark
programs (preview, fill list).
"""
import functools
import json
import re
import os
import shutil
import statistics
import subprocess
import sys

import bench_run

build = os.path.abspath(sys.argv[1])
work = os.path.abspath(sys.argv[2] if len(sys.argv) > 2 else "/tmp/pitbox-bench")
bin_dir = os.path.join(build, "bin")
cli = os.path.join(bin_dir, "pitbox-cli")
os.makedirs(work, exist_ok=True)


tree = functools.partial(bench_run.tree, bin_dir, work)
run = functools.partial(bench_run.run, bin_dir)


def compare(title, ours, baseline, runs=7, before=None):
    ours_t, base_t, peak, base_peak = [], [], 0, 0
    for _ in range(2):  # warm the cache
        if before: before()
        run(ours)
        if before: before()
        run(baseline)
    for _ in range(runs):
        if before: before()
        t, rss = run(ours)
        ours_t.append(t)
        peak = max(peak, rss)
        if before: before()
        t, rss = run(baseline)
        base_t.append(t)
        base_peak = max(base_peak, rss)
    o, b = statistics.median(ours_t), statistics.median(base_t)
    print(f"{title}: pitbox {o * 1000:.1f} ms, baseline {b * 1000:.1f} ms, ratio {o / b:.2f}, "
          f"peak memory {peak / 1024:.1f} MiB (baseline {base_peak / 1024:.1f} MiB)", flush=True)


big = tree("list-100k", 5000, 20)
compare("list 100,000 tracks in 5,000 folders vs find -iname",
        [cli, "list", big], ["find", big, "-iname", "*.trk"])

# The check of a remembered, unchanged library: every file's size and time
# looked at and held against the store. find -printf looks at the same; plain
# find lists names alone.
state = os.path.join(work, "state")
os.environ["XDG_STATE_HOME"] = state
shutil.rmtree(state, ignore_errors=True)
run([cli, "list", "--scan", "--cache", big])  # remembers the library
compare("check of 100,000 remembered tracks (list --scan --cache) vs find -printf size and time",
        [cli, "list", "--scan", "--cache", big], ["find", big, "-iname", "*.trk", "-printf", "%s %T@\\n"])
compare("check of 100,000 remembered tracks (list --scan --cache) vs find -iname",
        [cli, "list", "--scan", "--cache", big], ["find", big, "-iname", "*.trk"])
del os.environ["XDG_STATE_HOME"]

scan = tree("scan-10k", 500, 20, 20, 60)
scan_files = sorted(os.path.join(dp, f) for dp, _, fs in os.walk(scan) for f in fs)
# cat gets the file names ready-made; pitbox-cli walks the folders as well.
compare("list --scan 10,000 tracks of 20-60 KB vs cat", [cli, "list", "--scan", scan], ["cat", *scan_files])
# Packs: 1,000 zips of 20 tracks each, made of those tracks. bsdtar inflates
# each pack once, to /dev/null; list --scan lists each pack (Load) and reads
# each in one pass (Scan).
packs = os.path.join(work, "packs-1k")
if not os.path.isdir(packs):
    import zipfile
    os.makedirs(packs)
    for p in range(1000):
        with zipfile.ZipFile(os.path.join(packs, f"pack{p:04}.zip"), "w", zipfile.ZIP_DEFLATED) as z:
            for k, source in enumerate(scan_files[p * 10:p * 10 + 20]):
                z.write(source, f"Week {k % 4}/{os.path.basename(source)}")
if shutil.which("bsdtar"):
    compare("list --scan of 1,000 zip packs of 20 tracks vs bsdtar -xOf each", [cli, "list", "--scan", packs],
            ["sh", "-c", 'for f in "$0"/*.zip; do bsdtar -xOf "$f"; done > /dev/null', packs])
    # An unchanged remembered library of packs: no pack is opened again.
    os.environ["XDG_STATE_HOME"] = os.path.join(work, "packs-state")
    shutil.rmtree(os.environ["XDG_STATE_HOME"], ignore_errors=True)
    run([cli, "list", "--scan", "--cache", packs])
    compare("unchanged re-scan of the 1,000 packs (list --scan --cache) vs a full list --scan",
            [cli, "list", "--scan", "--cache", packs], [cli, "list", "--scan", packs])
    del os.environ["XDG_STATE_HOME"]
    # Copying 1,000 members out of 50 packs (every other pack, so that no
    # member is in two) against bsdtar extracting the same packs whole into
    # one folder, then the same flush our copies make.
    out = os.path.join(work, "packs-out")

    def empty_out():
        shutil.rmtree(out, ignore_errors=True)
        os.makedirs(out)

    chosen = [os.path.join(packs, f"pack{p:04}.zip") for p in range(0, 100, 2)]
    members = [os.path.join(pack, f"Week {k % 4}", os.path.basename(source))
               for pack, p in zip(chosen, range(0, 100, 2)) for k, source in enumerate(scan_files[p * 10:p * 10 + 20])]
    compare("copy 1,000 members out of 50 packs vs bsdtar -x and sync -f", [cli, "copy", "--to", out, *members],
            ["sh", "-c", 'o=$0; for f; do bsdtar -xf "$f" -C "$o" --strip-components 1; done && sync -f "$o"',
             out, *chosen], runs=11, before=empty_out)
# Duplicates: 20,000 tracks of 20-60 KB, every seventh a copy of the one
# before. Files sharing a size are told apart by their first 4 KB, then by a
# hash of all their bytes, then byte by byte; cat reads every byte of every
# file; jdupes and fdupes (Debian's) find the same groups.
dups = tree("dup-20k", 1000, 20, 20, 60, 7)
dup_files = sorted(os.path.join(dp, f) for dp, _, fs in os.walk(dups) for f in fs)
cat_dups = ["sh", "-c", 'xargs -0 cat < "$0" > /dev/null', os.path.join(work, "dup-20k.list")]
with open(cat_dups[3], "w") as f:
    f.write("\0".join(dup_files))
compare("duplicates of 20,000 tracks vs cat", [cli, "duplicates", dups], cat_dups)
for finder in ("jdupes", "fdupes"):
    if shutil.which(finder):
        compare(f"duplicates of 20,000 tracks vs {finder} -r -q", [cli, "duplicates", dups], [finder, "-r", "-q", dups])
compare("duplicates --same-track of 20,000 tracks vs cat", [cli, "duplicates", "--same-track", dups], cat_dups)
# 2,000 distinct tracks of one size (200 KB): memory stays small.
same_size = tree("same-2k", 100, 20, 200, 200)
compare("duplicates of 2,000 tracks of 200 KB vs jdupes -r -q", [cli, "duplicates", same_size],
        ["jdupes", "-r", "-q", same_size] if shutil.which("jdupes") else ["find", same_size])

sources = scan_files[:1000]
target = os.path.join(work, "copy-target")


def empty_target():
    shutil.rmtree(target, ignore_errors=True)
    os.makedirs(target)


# Distinct names, so both copy the same 1,000 files under the same names. Our
# copies reach the disk before they replace anything (one flush of the file
# system); cp leaves that to the kernel, so it is timed both without and with the
# same flush. Flushes vary a lot on a shared disk: 15 runs each.
compare("copy 1,000 tracks vs cp", [cli, "copy", "--to", target, *sources], ["cp", *sources, target],
        runs=15, before=empty_target)
compare("copy 1,000 tracks vs cp and sync -f", [cli, "copy", "--to", target, *sources],
        ["sh", "-c", 'cp "$@" && sync -f "$0"', target, *sources, target], runs=15, before=empty_target)

# Keeping folders: the same 1,000 tracks, from 50 folders, each copied to its
# path below the tree's root rather than all into one folder.
compare("copy 1,000 tracks keeping folders vs flat", [cli, "copy", "--to", target, "--keep-folders", scan, *sources],
        [cli, "copy", "--to", target, *sources], runs=15, before=empty_target)

# Moving 1,000 tracks to the trash (a home trash of the benchmark's own, on the
# same file system) against mv of the same files into one folder: both rename
# each file, the trash also writes a small .trashinfo beside it.
trash_home = os.path.join(work, "trash-home")
doomed = os.path.join(work, "doomed")
moved = os.path.join(work, "moved")


def fresh_doomed():
    for folder in (trash_home, doomed, moved):
        shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(doomed)
    os.makedirs(moved)
    os.makedirs(trash_home)
    for i, source in enumerate(sources):
        shutil.copyfile(source, os.path.join(doomed, f"{i}.trk"))
    os.sync()  # the copies' writeback is not the trash's


doomed_files = [os.path.join(doomed, f"{i}.trk") for i in range(len(sources))]
home = os.environ.get("HOME")
os.environ["HOME"], os.environ["XDG_DATA_HOME"] = trash_home, os.path.join(trash_home, "data")
compare("trash 1,000 tracks vs mv", [cli, "trash", *doomed_files], ["mv", *doomed_files, moved], runs=9,
        before=fresh_doomed)
# The least any freedesktop trash does: a new .trashinfo file for each track,
# then the rename (Python, started once).
least_trash = ("import os, sys\n"
               "info, files = sys.argv[1], sys.argv[2]\n"
               "os.makedirs(info); os.makedirs(files)\n"
               "for p in sys.argv[3:]:\n"
               "    n = os.path.basename(p)\n"
               "    fd = os.open(os.path.join(info, n + '.trashinfo'), os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o600)\n"
               "    os.write(fd, ('[Trash Info]\\nPath=' + p + '\\nDeletionDate=2026-12-08T12:00:00\\n').encode())\n"
               "    os.close(fd)\n"
               "    os.rename(p, os.path.join(files, n))\n")
compare("trash 1,000 tracks vs the least a trash does (a .trashinfo and a rename each, Python)",
        [cli, "trash", *doomed_files],
        ["python3", "-c", least_trash, os.path.join(moved, "info"), os.path.join(moved, "files"), *doomed_files],
        runs=9, before=fresh_doomed)
del os.environ["XDG_DATA_HOME"]
if home is not None:
    os.environ["HOME"] = home

# The HTML catalogue of 1,000 tracks against drawing the same pictures one by
# one with render (a program start each, as a script would). Two trees: the
# demo tracks copied to 1,000 files, pictures like those of real tracks; and
# 1,000 tracks strewn with thousands of random objects, the hardest pictures
# to compress.
demo_1k = os.path.join(work, "catalogue-demo-1k")
if not os.path.isdir(demo_1k):
    demos = [os.path.join(d, f) for d, _, fs in os.walk(os.path.join(os.path.dirname(__file__), "..", "examples"))
             for f in fs if f.lower().endswith(".trk") and "Old" not in f]
    for i in range(1000):
        folder = os.path.join(demo_1k, f"pack{i // 100}")
        os.makedirs(folder, exist_ok=True)
        shutil.copyfile(demos[i % len(demos)], os.path.join(folder, f"Track {i}.trk"))
noise_1k = tree("catalogue-1k", 50, 20, 20, 60)
site = os.path.join(work, "catalogue-site")
pictures = os.path.join(work, "pictures-one-by-one")


def empty_pictures():
    shutil.rmtree(pictures, ignore_errors=True)
    os.makedirs(pictures)


render_each = ('i=0; find "$1" -iname "*.trk" | while IFS= read -r f; do i=$((i+1)); '
               '"$0" render --no-records -o "$2/$i.png" "$f"; done')
for title, folder in (("demo tracks", demo_1k), ("tracks of random objects", noise_1k)):
    compare(f"catalogue of 1,000 {title} vs render of each, one by one",
            [cli, "catalogue", "-o", site, folder], ["sh", "-c", render_each, cli, folder, pictures],
            runs=5, before=empty_pictures)
    png = [os.path.getsize(os.path.join(site, "tracks", f)) for f in os.listdir(os.path.join(site, "tracks"))]
    print(f"catalogue of 1,000 {title}: {len(png)} pictures, {sum(png) / len(png) / 1024:.1f} KB each on average",
          flush=True)

# A file manager's thumbnail of a typical track (a demo track) at its large
# size, against drawing the same map to PNG with render: each one process,
# as the file manager starts it.
typical = os.path.join(demo_1k, "pack0", "Track 0.trk")
compare("thumbnail -s 256 of a demo track vs render --no-records of it",
        [cli, "thumbnail", "-s", "256", typical, os.path.join(work, "thumb.png")],
        [cli, "render", "--no-records", "-o", os.path.join(work, "render.png"), typical], runs=21)

os.environ["PITBOX_SCAN_TREE"] = scan
os.environ["PITBOX_LONG_WORK_TREE"] = big
for program in ("bench_preview", "bench_fill_list", "bench_viewer_key", "bench_scan", "bench_long_work"):
    if not os.path.exists(os.path.join(bin_dir, program)):
        print(f"{program}: not built (Google Benchmark missing)")
        continue
    # The table's runs at a million tracks are run_million.py's.
    out = subprocess.run([os.path.join(bin_dir, program), "--benchmark_format=json", "--benchmark_filter=-/10/"],
                         check=True, capture_output=True, text=True).stdout
    runs = json.loads(out)["benchmarks"]
    medians = {re.sub(r"/repeats:\d+$", "", b["run_name"]): b["real_time"] for b in runs
               if b.get("aggregate_name") == "median"}
    for name, ms in medians.items():
        print(f"{name}: median {ms:.2f} ms", flush=True)
    # Counters of single runs: the longest turn of the event loop.
    for b in runs:
        if "longest_stall_ms" in b and b.get("run_type") == "iteration":
            print(f"{b['run_name'].split('/')[0]}: longest turn {b['longest_stall_ms']:.1f} ms", flush=True)
    if program == "bench_scan":
        ratio = medians["BM_ScanUnchanged"] / medians["BM_ScanEveryFile"]
        print(f"Scan of an unchanged library vs Scan reading every file: ratio {ratio:.3f}")
