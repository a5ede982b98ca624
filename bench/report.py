#!/usr/bin/env python3
"""The tables of bench/run.sh, from the files it leaves in its task directories.

  report.py summary RANDOM EQUAL DEEPENING
      one line per task directory (named after its task) and program: the
      median time of the paired rounds and its ratio to the block floor
      (DIR/paired.txt), instructions and mispredicted branches
      (PROGRAM.callgrind, --branch-sim=yes), system calls (PROGRAM.strace,
      strace -c), and peak resident memory and minor page faults
      (PROGRAM.peak, one reading of both per line, the medians shown); the
      ports' instructions (DIR/ports.txt: port, program, count); the
      splitter's instructions on the deepening order (DEEPENING holds its
      callgrind file and the ports' counts); then each budget beside its
      figure.

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

# The budgets, on the random task of the maximum size unless said: against
# the block floor of the same task and rounds, in x86-64 instructions, the
# ports' instructions against the same program's x86-64 ones, and no more
# system calls, peak memory or page faults than before this round of work
# (measured here by this script on that code), nor instructions on the
# equal task or the deepening order, on any processor.
SPLITTER_RATIO = 1.35
REFUSER_RATIO = 1.05
INSTRUCTIONS = {"splitter": 750_000, "refuser": 100_000}
PORT_FACTOR = 1.3
SYSTEM_CALLS = {"splitter": 257, "refuser": 200}
PEAK_KIB = {"splitter": 100, "refuser": 36}
MINOR_FAULTS = {"splitter": 19, "refuser": 4}
EQUAL_INSTRUCTIONS = {"x86-64": 1_234_380, "arm64": 2_203_221, "riscv64": 1_938_211}
DEEPENING_INSTRUCTIONS = {"x86-64": 16_475_261, "arm64": 73_833_798, "riscv64": 32_707_850}
PORTS = ["arm64", "riscv64"]


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
    """The medians of the runs' peak memory and minor faults: one reading
    varies by a page either way from run to run (the floor's too), as the
    kernel batches its resident counts."""
    runs = [line.split() for line in read(os.path.join(dir, p + ".peak")).splitlines()]
    kib = sorted(int(r[0]) for r in runs)
    faults = sorted(int(r[1]) for r in runs)
    return kib[len(kib) // 2], faults[len(faults) // 2]


def ports(dir):
    """{(port, program): instructions}."""
    counts = {}
    for line in read(os.path.join(dir, "ports.txt")).splitlines():
        port, program, count = line.split()
        counts[port, program] = int(count)
    return counts


def verdict(ok):
    return "met" if ok else "NOT MET"


def summary(dirs):
    # "over floor" is a program's own work in time: its paired ratio less 1,
    # times the floor's median. It depends far less on what the machine's
    # system calls cost than the ratio does.
    random_dir, equal_dir, deepening_dir = dirs
    line = "%-8s %-12s %10s %9s %10s %13s %12s %9s %9s %7s"
    print(line % ("task", "program", "median us", "x floor", "over floor", "instructions",
                  "mispredicts", "syscalls", "peak KiB", "faults"))
    figures = {}
    for dir in (random_dir, equal_dir):
        task = os.path.basename(os.path.normpath(dir))
        times = paired(dir)
        floor_us = times["block_floor"][0]
        for p in PROGRAMS:
            us, ratio = times[p]
            ir, bcm = callgrind(dir, p)
            calls, (kib, faults) = system_calls(dir, p), peak(dir, p)
            figures[task, p] = (ratio, ir, calls, kib, faults)
            print(line % (task, p, "%.1f" % us, "%.2f" % ratio, "%.1f" % ((ratio - 1) * floor_us),
                          format(ir, ","), format(bcm, ","), calls, kib, faults))
    floor_us = paired(random_dir)["block_floor"][0]
    print()
    print("The ports' instructions (qemu-user's execution log), and their ratio to x86-64's:")
    counts = {task: ports(dir) for task, dir in (("random", random_dir), ("equal", equal_dir))}
    for task in counts:
        for p in ("splitter", "refuser"):
            x86 = figures[task, p][1]
            print("  %-6s %-9s " % (task, p) + "   ".join(
                "%s %s (%.2f)" % (port, format(counts[task][port, p], ","),
                                  counts[task][port, p] / x86) for port in PORTS))
    deepening_ir, _ = callgrind(deepening_dir, "splitter")
    print()
    print("Budgets (random task unless said; x floor: the median of the paired ratios to the")
    print("block floor, whose median here was %.0f us a run):" % floor_us)
    ratio, ir, _, _, _ = figures["random", "splitter"]
    print("  splitter  %.2f x floor, at most %.2f: %s" % (
        ratio, SPLITTER_RATIO, verdict(ratio <= SPLITTER_RATIO)))
    ratio, _, _, _, _ = figures["random", "refuser"]
    print("  refuser   %.2f x floor, at most %.2f: %s" % (
        ratio, REFUSER_RATIO, verdict(ratio <= REFUSER_RATIO)))
    for p in ("splitter", "refuser"):
        ir = figures["random", p][1]
        print("  %-9s %s x86-64 instructions, at most %s: %s" % (
            p, format(ir, ","), format(INSTRUCTIONS[p], ","), verdict(ir <= INSTRUCTIONS[p])))
        for port in PORTS:
            n = counts["random"][port, p]
            print("  %-9s %s %s instructions, %.2f x x86-64's, at most %.1f: %s" % (
                p, format(n, ","), port, n / ir, PORT_FACTOR, verdict(n <= PORT_FACTOR * ir)))
    for task in ("random", "equal"):
        for p in ("splitter", "refuser"):
            _, _, calls, kib, faults = figures[task, p]
            print("  %-6s %-9s %d system calls, at most %d: %s; %d KiB peak, at most %d: %s; "
                  "%d minor faults, at most %d: %s" % (
                      task, p, calls, SYSTEM_CALLS[p], verdict(calls <= SYSTEM_CALLS[p]), kib,
                      PEAK_KIB[p], verdict(kib <= PEAK_KIB[p]), faults, MINOR_FAULTS[p],
                      verdict(faults <= MINOR_FAULTS[p])))
    deepening = ports(deepening_dir)
    for processor in ["x86-64"] + PORTS:
        x86 = processor == "x86-64"
        for task, ir, most in (
                ("equal", figures["equal", "splitter"][1] if x86
                 else counts["equal"][processor, "splitter"], EQUAL_INSTRUCTIONS[processor]),
                ("deepening", deepening_ir if x86 else deepening[processor, "splitter"],
                 DEEPENING_INSTRUCTIONS[processor])):
            print("  %-9s splitter %s %s instructions, at most %s: %s" % (
                task, format(ir, ","), processor, format(most, ","), verdict(ir <= most)))


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
    if len(sys.argv) == 5 and sys.argv[1] == "summary":
        summary(sys.argv[2:])
    elif len(sys.argv) in (3, 4) and sys.argv[1] == "functions":
        functions(sys.argv[2], int(sys.argv[3]) if len(sys.argv) == 4 else 15)
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
