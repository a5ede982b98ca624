#!/usr/bin/env bash
# Whole-process benchmark on tasks of the maximum size (5010 items), once with
# random durations and once with one duration for all. Programs: the block
# floor (raw system calls, reading and writing 256 bytes a call: what any
# program that keeps the text files' 256-byte blocks must do), the one-shot
# baseline (one read, one write), splitter and refuser. For each: the median
# time and its ratio to the block floor, paired round by round (bench/paired),
# the instructions and mispredicted branches of one run (callgrind), its
# system calls (strace -c -f, execve included) and its peak resident memory
# (VmHWM at exit). Then each budget beside its figure, met or not; the
# splitter's costliest functions; and the microbenchmarks.
#
# Needs cmake, ninja, g++, hyperfine, valgrind, strace, python3 and Google
# Benchmark; tools/setup bench installs what is missing (as root), and run by
# another user the script stops at once with that command.
#
# Usage: bench/run.sh
# Environment: BENCH_BUILD_DIR (default build/bench), ROUNDS (60) and BATCH
# (20) of the paired timing, SEED (1), MICRO (1; 0 skips the microbenchmarks).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${BENCH_BUILD_DIR:-$root/build/bench}")
rounds=${ROUNDS:-60}
batch=${BATCH:-20}
seed=${SEED:-1}
micro=${MICRO:-1}

# The build's and the benchmark's tools, installed where one is missing (as
# root), or the one command that would install them.
"$root/tools/setup" bench

# Files on tmpfs where there is one, so the disk does not time the runs.
if [[ -d /dev/shm && -w /dev/shm ]]; then
  work=$(mktemp -d /dev/shm/halves-bench.XXXXXX)
else
  work=$(mktemp -d)
fi
trap 'rm -rf "$work"' EXIT

# The release preset's settings (RelWithDebInfo, -O2, the same flags), in a
# build directory of its own that also holds the floors, the timer and the
# microbenchmarks.
echo "Building in $build ..."
if ! { cmake --preset release -B "$build" -DHALVES_BENCH=ON &&
  cmake --build "$build"; } >"$work/build.log" 2>&1; then
  cat "$work/build.log" >&2
  exit 1
fi

declare -A exe=(
  [block_floor]=$build/bench/block_floor
  [baseline]=$build/bench/baseline
  [splitter]=$build/splitter/splitter
  [refuser]=$build/refuser/refuser
)
programs=(block_floor baseline splitter refuser)

# Runs a program once in its directory; fails the script unless it ends
# normally with nothing on standard output.
run_once() {
  local dir=$1 program=$2 status=0
  (cd "$dir" && "${exe[$program]}") >"$dir/stdout" 2>&1 || status=$?
  if [[ $status -ne 0 || -s $dir/stdout ]]; then
    echo "run.sh: $program ended with status $status in $dir:" >&2
    cat "$dir/stdout" >&2
    exit 1
  fi
}

measure() {
  local variant=$1 dir=$work/$1 specs=()
  mkdir -p "$dir"
  python3 "$root/bench/gen_input.py" make --variant "$variant" --seed "$seed" "$dir/input.txt"

  # Each program works in a directory of its own, so every timed run
  # overwrites that program's answer of the run before.
  for program in "${programs[@]}"; do
    mkdir -p "$dir/$program"
    cp "$dir/input.txt" "$dir/$program/"
    run_once "$dir/$program" "$program"
    specs+=("$program=$dir/$program:${exe[$program]}")
  done
  python3 "$root/bench/gen_input.py" verify "$dir/input.txt" "$dir/splitter/output.txt"
  for floor in block_floor baseline; do
    if [[ $(stat -c %s "$dir/$floor/output.txt") != $(stat -c %s "$dir/splitter/output.txt") ]]; then
      echo "run.sh: the $floor's answer is not the size of the splitter's" >&2
      exit 1
    fi
  done
  if [[ $(cat "$dir/refuser/output.txt") != "-1" ]]; then
    echo "run.sh: the refuser did not answer -1" >&2
    exit 1
  fi

  echo "=== $variant durations: $rounds paired rounds of $batch runs each ==="
  "$build/bench/paired" "$rounds" "$batch" "${specs[@]}" | tee "$dir/paired.txt"

  for program in "${programs[@]}"; do
    local d=$dir/$program
    (cd "$d" && valgrind --tool=callgrind --branch-sim=yes \
      --callgrind-out-file="$dir/$program.callgrind" "${exe[$program]}") >/dev/null 2>&1
    (cd "$d" && strace -f -c -o "$dir/$program.strace" "${exe[$program]}") >/dev/null
    for _ in 1 2 3 4 5; do
      (cd "$d" && python3 "$root/bench/peak_rss.py" "${exe[$program]}") >>"$dir/$program.peak"
    done
  done

  echo
  echo "--- $variant durations: the splitter's system calls (strace -c -f) ---"
  sed -n '3,$p' "$dir/splitter.strace"
  echo
  echo "--- $variant durations: the splitter's costliest functions (callgrind) ---"
  python3 "$root/bench/report.py" functions "$dir/splitter.callgrind" 12
  echo
}

echo "Wall times depend on the machine's load: the paired rounds cancel most of it."
measure random
measure equal

if [[ $micro != 0 ]]; then
  echo "=== microbenchmarks ==="
  TMPDIR=$work "$build/bench/microbench"
  echo
fi

echo "=== summary ==="
python3 "$root/bench/report.py" summary "$work/random" "$work/equal"
