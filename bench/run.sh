#!/usr/bin/env bash
# Whole-process benchmark: the baseline (one read, one write, nothing else),
# splitter and refuser on a task of the maximum size, once with random
# durations and once with one duration for all. For each program: the median
# wall time (hyperfine), its ratio to the baseline's, the instructions of one
# run (callgrind), its system calls (strace -c -f, execve included) and its
# peak resident memory (VmHWM at exit, by peak_rss.py; GNU time's figure
# beside it, which has a floor of the launcher's own pages). In between: the
# splitter's system calls and costliest functions, and the microbenchmarks.
#
# Usage: bench/run.sh
# Environment: BENCH_BUILD_DIR (default build/bench), RUNS (1000), WARMUP (50),
# SEED (1), MICRO (1; 0 skips the microbenchmarks).
# Needs cmake, ninja, hyperfine, valgrind, strace, GNU time, python3 and
# Google Benchmark (Debian: libbenchmark-dev).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${BENCH_BUILD_DIR:-$root/build/bench}")
runs=${RUNS:-1000}
warmup=${WARMUP:-50}
seed=${SEED:-1}
micro=${MICRO:-1}

for tool in cmake ninja hyperfine valgrind callgrind_annotate strace python3; do
  command -v "$tool" >/dev/null || { echo "run.sh: $tool is missing" >&2; exit 1; }
done
[[ -x /usr/bin/time ]] || { echo "run.sh: /usr/bin/time (GNU time) is missing" >&2; exit 1; }

# Files on tmpfs where there is one, so the disk does not time the runs.
if [[ -d /dev/shm && -w /dev/shm ]]; then
  work=$(mktemp -d /dev/shm/halves-bench.XXXXXX)
else
  work=$(mktemp -d)
fi
trap 'rm -rf "$work"' EXIT

# The release preset's settings (RelWithDebInfo, -O2, the same flags), in a
# build directory of its own that also holds the baseline and microbench.
echo "Building in $build ..."
if ! { cmake --preset release -B "$build" -DHALVES_BENCH=ON &&
  cmake --build "$build"; } >"$work/build.log" 2>&1; then
  cat "$work/build.log" >&2
  exit 1
fi

declare -A exe=(
  [baseline]=$build/bench/baseline
  [splitter]=$build/splitter/splitter
  [refuser]=$build/refuser/refuser
)
programs=(baseline splitter refuser)

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
  local variant=$1 dir=$work/$1
  mkdir -p "$dir"
  python3 "$root/bench/gen_input.py" make --variant "$variant" --seed "$seed" "$dir/input.txt"

  # Each program works in a directory of its own, so every timed run
  # overwrites that program's answer of the run before.
  for program in "${programs[@]}"; do
    mkdir -p "$dir/$program"
    cp "$dir/input.txt" "$dir/$program/"
    run_once "$dir/$program" "$program"
  done
  python3 "$root/bench/gen_input.py" verify "$dir/input.txt" "$dir/splitter/output.txt"
  if [[ $(stat -c %s "$dir/baseline/output.txt") != $(stat -c %s "$dir/splitter/output.txt") ]]; then
    echo "run.sh: the baseline's answer is not the size of the splitter's" >&2
    exit 1
  fi
  if [[ $(cat "$dir/refuser/output.txt") != "-1" ]]; then
    echo "run.sh: the refuser did not answer -1" >&2
    exit 1
  fi

  echo
  echo "=== $variant durations: timing (hyperfine, $runs runs after $warmup warm-up runs) ==="
  for program in "${programs[@]}"; do
    (cd "$dir/$program" &&
      hyperfine -N --style basic --warmup "$warmup" --runs "$runs" \
        --export-json "$dir/$program.json" -n "$program" "${exe[$program]}")
  done

  for program in "${programs[@]}"; do
    local d=$dir/$program
    (cd "$d" && valgrind --tool=callgrind --callgrind-out-file="$dir/$program.callgrind" \
      "${exe[$program]}") >/dev/null 2>"$dir/$program.valgrind"
    (cd "$d" && strace -f -c -o "$dir/$program.strace" "${exe[$program]}") >/dev/null
    (cd "$d" && /usr/bin/time -v -o "$dir/$program.time" "${exe[$program]}") >/dev/null
    for _ in 1 2 3 4 5; do
      (cd "$d" && python3 "$root/bench/peak_rss.py" "${exe[$program]}") >>"$dir/$program.peak"
    done
  done

  echo
  echo "--- $variant durations: splitter's system calls (strace -c -f) ---"
  sed -n '3,$p' "$dir/splitter.strace"
  echo
  echo "--- $variant durations: splitter's costliest functions (callgrind) ---"
  python3 "$root/bench/report.py" functions "$dir/splitter.callgrind" 15
}

echo "Wall times depend on the machine's load: on a busy machine, rerun and compare."
measure random
measure equal

if [[ $micro != 0 ]]; then
  echo
  echo "=== microbenchmarks ==="
  TMPDIR=$work "$build/bench/microbench"
fi

echo
echo "=== summary: median of $runs runs; instructions, system calls and memory of one run ==="
python3 "$root/bench/report.py" summary "$(IFS=,; echo "${programs[*]}")" "$work/random" "$work/equal"
