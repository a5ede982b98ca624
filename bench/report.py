#!/usr/bin/env python3
"""The tables of bench/run.sh, from the files it leaves in its task directories.

  report.py summary PROGRAM,PROGRAM,... DIR...
      one line per task directory (named after its task) and program: the
      median wall time (hyperfine's DIR/PROGRAM.json), its ratio to the first
      program's, the fastest run, instructions (PROGRAM.callgrind), system calls
      (PROGRAM.strace, strace -c), peak resident memory (PROGRAM.peak, one
      reading per line, the largest shown) and GNU time's figure
      (PROGRAM.time); then the splitter against the team's budget.

  report.py functions CALLGRIND [COUNT]
      the COUNT costliest functions (default 15) by their own instructions,
      with their instructions including callees. callgrind_annotate lists a
      function once per source file its code came from (inlined helpers
      count in their header's name) and once per recursion depth; these are
      added up here into one line per function.
"""

import json
import math
import os
import re
import subprocess
import sys

BUFFER = 256  # the text-file buffer: a transfer per block of this size
BUDGET_RATIO = 1.35
BUDGET_INSTRUCTIONS = 2_000_000
BUDGET_PEAK_KIB = 400


def read(path):
    with open(path) as f:
        return f.read()


def summary(programs, dirs):
    """One table over every task directory; the first program is the reference."""
    def timing(dir, p):
        return json.loads(read(os.path.join(dir, p + ".json")))["results"][0]

    def median(dir, p):
        return timing(dir, p)["median"]

    def instructions(dir, p):
        text = read(os.path.join(dir, p + ".callgrind"))
        return int(re.search(r"^(?:summary|totals): (\d+)", text, re.M).group(1))

    def system_calls(dir, p):
        for line in read(os.path.join(dir, p + ".strace")).splitlines():
            fields = line.split()
            if fields and fields[-1] == "total":
                return int(fields[3])

    def peak(dir, p):
        return max(int(x) for x in read(os.path.join(dir, p + ".peak")).split())

    def time_kib(dir, p):
        text = read(os.path.join(dir, p + ".time"))
        return int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", text).group(1))

    line = "%-8s %-9s %10s %11s %8s %13s %9s %9s %12s"
    print(line % ("task", "program", "median us", "x " + programs[0], "min us", "instructions",
                  "syscalls", "peak KiB", "time -v KiB"))
    budget = []
    for dir in dirs:
        task = os.path.basename(os.path.normpath(dir))
        base = median(dir, programs[0])
        for p in programs:
            t, ir, calls, kib = median(dir, p), instructions(dir, p), system_calls(dir, p), peak(dir, p)
            fastest = timing(dir, p)["min"]
            print(line % (task, p, "%.1f" % (t * 1e6), "%.2f" % (t / base), "%.1f" % (fastest * 1e6),
                          format(ir, ","), calls, kib, time_kib(dir, p)))
            if p == "splitter":
                reads = math.ceil(os.path.getsize(os.path.join(dir, "input.txt")) / BUFFER)
                writes = math.ceil(os.path.getsize(os.path.join(dir, p, "output.txt")) / BUFFER)
                budget.append((task, t / base, ir, kib, calls, reads, writes))
    for task, ratio, ir, kib, calls, reads, writes in budget:
        print()
        print("splitter on the %s task against the budget:" % task)
        print("  wall time     %.2f x %s (budget %.2f)" % (ratio, programs[0], BUDGET_RATIO))
        print("  instructions  %s (budget %s)" % (format(ir, ","), format(BUDGET_INSTRUCTIONS, ",")))
        print("  peak memory   %d KiB (budget %d)" % (kib, BUDGET_PEAK_KIB))
        print("  system calls  %d: the %d-byte buffer implies %d reads and %d writes; %d others" % (
            calls, BUFFER, reads, writes, calls - reads - writes))


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
    if len(sys.argv) >= 4 and sys.argv[1] == "summary":
        summary(sys.argv[2].split(","), sys.argv[3:])
    elif len(sys.argv) in (3, 4) and sys.argv[1] == "functions":
        functions(sys.argv[2], int(sys.argv[3]) if len(sys.argv) == 4 else 15)
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
