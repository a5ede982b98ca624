#!/usr/bin/env python3
"""The tables of bench/run.sh, from the files it leaves in its task directories.

  report.py summary DIR...
      one line per task directory (named after its task) and program: the
      median time of the paired rounds and its ratio to the block floor
      (DIR/paired.txt), instructions and mispredicted branches
      (PROGRAM.callgrind, --branch-sim=yes), system calls (PROGRAM.strace,
      strace -c) and peak resident memory (PROGRAM.peak, one reading per
      line, the median shown); then each budget beside its figure.

  report.py functions CALLGRIND [COUNT]
      the COUNT costliest functions (default 15) by their own instructions,
      with their instructions including callees. callgrind_annotate lists a
      function once per source file its code came from (inlined helpers
      count in their header's name) and once per recursion depth; these are
      added up here into one line per function.
"""

import os
import re
import subprocess
import sys

PROGRAMS = ["block_floor", "baseline", "splitter", "refuser"]

# The team's budgets, against the block floor of the same task and rounds.
SPLITTER_RATIO = 2.2
SPLITTER_AIM = 1.8
SPLITTER_MISPREDICTS = 12_000
REFUSER_RATIO = 1.4
# No higher than before the fast paths: 256 system calls (execve included)
# and 100 KiB of peak memory for the splitter, 199 and 44 KiB for the refuser;
# plus, for both, the one call since then that unblocks the fault signals.
SYSTEM_CALLS = {"splitter": 257, "refuser": 200}
PEAK_KIB = {"splitter": 100, "refuser": 44}


def read(path):
    with open(path) as f:
        return f.read()


def paired(dir):
    """{program: (median microseconds, median ratio to the first program)}."""
    rows = {}
    for line in read(os.path.join(dir, "paired.txt")).splitlines()[1:]:
        name, us, ratio = line.split()
        rows[name] = (float(us), float(ratio))
    return rows


def callgrind(dir, p):
    """(instructions, mispredicted branches) of one run."""
    text = read(os.path.join(dir, p + ".callgrind"))
    events = re.search(r"^events: (.*)$", text, re.M).group(1).split()
    totals = [int(x) for x in re.search(r"^(?:summary|totals): (.*)$", text, re.M).group(1).split()]
    counts = dict(zip(events, totals))
    return counts["Ir"], counts.get("Bcm", 0) + counts.get("Bim", 0)


def system_calls(dir, p):
    for line in read(os.path.join(dir, p + ".strace")).splitlines():
        fields = line.split()
        if fields and fields[-1] == "total":
            return int(fields[3])


def peak(dir, p):
    # The median of the runs: one reading varies by a page either way from
    # run to run (the floor's too), as the kernel batches its resident counts.
    runs = sorted(int(x) for x in read(os.path.join(dir, p + ".peak")).split())
    return runs[len(runs) // 2]


def verdict(ok):
    return "met" if ok else "NOT MET"


def summary(dirs):
    # "over floor" is a program's own work in time: its paired ratio less 1,
    # times the floor's median. It depends far less on what the machine's
    # system calls cost than the ratio does.
    line = "%-8s %-12s %10s %9s %10s %13s %12s %9s %9s"
    print(line % ("task", "program", "median us", "x floor", "over floor", "instructions",
                  "mispredicts", "syscalls", "peak KiB"))
    figures = {}
    for dir in dirs:
        task = os.path.basename(os.path.normpath(dir))
        times = paired(dir)
        floor_us = times["block_floor"][0]
        for p in PROGRAMS:
            us, ratio = times[p]
            ir, bcm = callgrind(dir, p)
            calls, kib = system_calls(dir, p), peak(dir, p)
            figures[task, p] = (ratio, bcm, calls, kib)
            print(line % (task, p, "%.1f" % us, "%.2f" % ratio, "%.1f" % ((ratio - 1) * floor_us),
                          format(ir, ","), format(bcm, ","), calls, kib))
    print()
    print("Budgets (x floor: the median of the paired ratios to the block floor):")
    for dir in dirs:
        task = os.path.basename(os.path.normpath(dir))
        ratio, bcm, calls, kib = figures[task, "splitter"]
        print("  %-6s splitter  %.2f x floor, budget %.1f: %s (aim %.1f: %s)" % (
            task, ratio, SPLITTER_RATIO, verdict(ratio <= SPLITTER_RATIO), SPLITTER_AIM,
            verdict(ratio <= SPLITTER_AIM)))
        print("  %-6s splitter  %s mispredicted branches, budget %s: %s" % (
            task, format(bcm, ","), format(SPLITTER_MISPREDICTS, ","),
            verdict(bcm <= SPLITTER_MISPREDICTS)))
        ratio, _, _, _ = figures[task, "refuser"]
        print("  %-6s refuser   %.2f x floor, budget %.1f: %s" % (
            task, ratio, REFUSER_RATIO, verdict(ratio <= REFUSER_RATIO)))
        for p in ("splitter", "refuser"):
            _, _, calls, kib = figures[task, p]
            print("  %-6s %-9s %d system calls, at most %d: %s; %d KiB peak, at most %d: %s" % (
                task, p, calls, SYSTEM_CALLS[p], verdict(calls <= SYSTEM_CALLS[p]), kib,
                PEAK_KIB[p], verdict(kib <= PEAK_KIB[p])))


ENTRY = re.compile(r"^\s*([\d,]+)\s+\(\s*[\d.]+%\)\s+(.+?)(?: \[[^\]]*\])?$")


def entries(callgrind, inclusive):
    """(function, recursion depth suffix, instructions) of each annotate line."""
    out = subprocess.run(["callgrind_annotate", "--threshold=100", "--auto=no",
                          "--inclusive=" + ("yes" if inclusive else "no"), callgrind],
                         check=True, capture_output=True, text=True).stdout
    body = out.split("file:function", 1)[1]
    for line in body.splitlines():
        m = ENTRY.match(line)
        if not m:
            continue
        name = m.group(2)
        if not name.startswith("(") and ":" in name:
            name = name.split(":", 1)[1] if not name.startswith("???") else name[4:]
        depth = re.search(r"'\d+$", name)
        if depth:
            name = name[: depth.start()]
        yield name, depth is not None, int(m.group(1).replace(",", ""))


def functions(callgrind, count):
    own = {}
    for name, _, ir in entries(callgrind, inclusive=False):
        own[name] = own.get(name, 0) + ir
    # The outermost call of a function holds its whole cost; deeper recursion
    # levels and per-file pieces hold parts of it.
    total = {}
    for name, recursive, ir in entries(callgrind, inclusive=True):
        if not recursive:
            total[name] = max(total.get(name, 0), ir)
    program = sum(own.values())
    print("%13s %7s %13s  %s" % ("own Ir", "own %", "with callees", "function"))
    for name, ir in sorted(own.items(), key=lambda kv: -kv[1])[:count]:
        short = name.replace("(anonymous namespace)::", "")
        short = short if short.startswith("(") else short.split("(", 1)[0]
        print("%13s %6.1f%% %13s  %s" % (format(ir, ","), 100 * ir / program,
                                        format(total.get(name, ir), ","), short))


def main():
    if len(sys.argv) >= 3 and sys.argv[1] == "summary":
        summary(sys.argv[2:])
    elif len(sys.argv) in (3, 4) and sys.argv[1] == "functions":
        functions(sys.argv[2], int(sys.argv[3]) if len(sys.argv) == 4 else 15)
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
