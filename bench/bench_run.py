"""What the benchmark scripts share to run their commands: a tree made once
by make_tree, a command timed with its peak memory, and the page cache
dropped before a cold run."""
import os
import subprocess
import sys
import time


def tree(bin_dir, work, name, *sizes):
    """WORK/NAME, made by BIN_DIR's make_tree with SIZES unless it is there."""
    path = os.path.join(work, name)
    if not os.path.isdir(path):
        print(f"making {name} ...", flush=True)
        subprocess.run([os.path.join(bin_dir, "make_tree"), path, *map(str, sizes)], check=True)
    return path


def run(bin_dir, cmd):
    """Runs a command (a list, or a shell line) with its output thrown away;
    returns seconds and peak KiB, measured by BIN_DIR's peak_memory (the peak
    of a child of this Python would count this Python's memory)."""
    start = time.perf_counter()
    argv = ["sh", "-c", cmd] if isinstance(cmd, str) else cmd
    proc = subprocess.run([os.path.join(bin_dir, "peak_memory"), *argv], stdout=subprocess.DEVNULL,
                          stderr=subprocess.PIPE, text=True)
    elapsed = time.perf_counter() - start
    *errors, last = proc.stderr.splitlines() or [""]
    if errors:
        sys.stderr.write("\n".join(errors) + "\n")
    if proc.returncode != 0 or not last.startswith("peak_kib "):
        sys.exit(f"failed: {cmd}")
    return elapsed, int(last.split()[1])


def drop_caches():
    """Writes back and drops the page cache (needs root)."""
    subprocess.run(["sync"], check=True)
    with open("/proc/sys/vm/drop_caches", "w") as f:
        f.write("3\n")
