#!/usr/bin/env python3
"""Benchmark inputs for the splitter, and a check of its answers.

  gen_input.py make --variant random|equal|deepening [--seed S] [--count N] OUT
      writes a task of N items (default 5010, the maximum) with h:mm:ss
      durations and CR LF line ends, and a length in minutes at which the
      longest-first greedy pass succeeds, so the answer has one line per item.
      random: every duration drawn independently, most under 25 minutes and
      every 250th between one and two hours; equal: one duration for all;
      deepening: the order that drives the quicksort one level deeper per
      item (the longest item still to sort always in the middle of its part),
      for the splitter alone: its length is beyond what the refuser reads.
      Otherwise the length stays within 65535 minutes, the most the refuser
      accepts, so both programs run to their normal end. The same seed
      always gives the same file.

  gen_input.py verify INPUT ANSWER
      exits non-zero unless ANSWER is the greedy pass's answer for INPUT: one
      line per item, each 1 or 2 with CR LF, half 1 holding exactly as many
      seconds as the greedy pass puts there, and both halves within capacity.
"""

import argparse
import random
import sys

MAX_ITEMS = 5010
MAX_MINUTES = 65535


def greedy(durations, capacity):
    """Seconds on each half after the longest-first greedy pass."""
    first = second = 0
    for d in sorted(durations, reverse=True):
        if first + d <= capacity:
            first += d
        else:
            second += d
    return first, second


def shortest_length(durations):
    """The smallest length in minutes at which the greedy pass succeeds."""
    total = sum(durations)
    minutes = -(-total // 60)  # both halves together must hold every second
    while greedy(durations, minutes * 30)[1] > minutes * 30:
        minutes += 1
    return minutes


def deepening(count):
    """Durations such that at every level the middle item of the part still
    to sort is its longest: the partition swaps it to the front and sorts the
    rest one level deeper."""
    at_slot = list(range(count + 1))  # which input position sits in each slot
    duration = [0] * (count + 1)
    for low in range(1, count + 1):
        middle = (low + count) // 2
        duration[at_slot[middle]] = 100000 - low
        at_slot[low], at_slot[middle] = at_slot[middle], at_slot[low]
    return duration[1:]


def make(args):
    rng = random.Random(args.seed)
    if args.variant == "random":
        durations = [
            rng.randint(3600, 7199) if i % 250 == 249 else rng.randint(1, 1499)
            for i in range(args.count)
        ]
    elif args.variant == "equal":
        durations = [rng.randint(1, 700)] * args.count
    else:
        durations = deepening(args.count)
    minutes = shortest_length(durations)
    if minutes > MAX_MINUTES and args.variant != "deepening":
        sys.exit("gen_input.py: a length of %d minutes is more than the refuser reads" % minutes)
    lines = [str(minutes), str(args.count)]
    lines += ["%d:%02d:%02d" % (d // 3600, d // 60 % 60, d % 60) for d in durations]
    with open(args.out, "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("ascii"))


def seconds(text):
    fields = [int(x) for x in text.split(":")]
    while len(fields) < 3:
        fields.insert(0, 0)
    h, m, s = fields
    return h * 3600 + m * 60 + s


def verify(args):
    lines = open(args.input, "rb").read().decode("ascii").splitlines()
    minutes, count = int(lines[0]), int(lines[1])
    durations = [seconds(x) for x in lines[2 : 2 + count]]
    capacity = minutes * 30
    answer = open(args.answer, "rb").read()
    expected_first, expected_second = greedy(durations, capacity)
    if expected_second > capacity:
        ok = answer == b"-1\r\n"
        problem = "expected -1"
    else:
        halves = answer.split(b"\r\n")
        problem = "expected %d lines of 1 or 2 with CR LF" % count
        ok = halves[-1] == b"" and len(halves) == count + 1
        ok = ok and all(h in (b"1", b"2") for h in halves[:-1])
        if ok:
            first = sum(d for d, h in zip(durations, halves) if h == b"1")
            second = sum(durations) - first
            problem = "half 1 holds %d s, half 2 %d s; greedy gives %d, %d; capacity %d" % (
                first, second, expected_first, expected_second, capacity)
            ok = first == expected_first and second == expected_second
    if not ok:
        sys.exit("gen_input.py: wrong answer in %s: %s" % (args.answer, problem))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    commands = parser.add_subparsers(dest="command", required=True)
    p = commands.add_parser("make")
    p.add_argument("--variant", choices=["random", "equal", "deepening"], default="random")
    p.add_argument("--seed", type=int, default=1)
    p.add_argument("--count", type=int, default=MAX_ITEMS)
    p.add_argument("out")
    p.set_defaults(run=make)
    p = commands.add_parser("verify")
    p.add_argument("input")
    p.add_argument("answer")
    p.set_defaults(run=verify)
    args = parser.parse_args()
    args.run(args)


if __name__ == "__main__":
    main()
