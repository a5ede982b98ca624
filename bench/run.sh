#!/usr/bin/env bash
# Whole-process benchmark on tasks of the maximum size (5010 items), once with
# random durations and once with one duration for all. Programs: the block
# floor (raw system calls, reading and writing 256 bytes a call: what any
# program that keeps the text files' 256-byte blocks must do), the one-shot
# baseline (one read, one write), splitter and refuser. For each: the median
# time and its ratio to the block floor, paired round by round (bench/paired),
# the instructions and mispredicted branches of one run (callgrind), its
# system calls (strace -c -f, execve included), its peak resident memory
# (VmHWM at exit) and its minor page faults. The instructions of both
# programs built for arm64 and riscv64 on the same tasks, counted under
# qemu-user (one line of its execution log an instruction), and of the
# splitter on the order that deepens the sort one level an item (4060
# items), on each processor. Then each budget beside its figure, met or not; the splitter's
# costliest functions; and the microbenchmarks.
#
# Needs cmake, ninja, g++, hyperfine, valgrind, strace, python3 and Google
# Benchmark; tools/setup bench installs what is missing (as root), and run by
# another user the script stops at once with that command.
#
# Usage: bench/run.sh
# Environment: BENCH_BUILD_DIR (default build/bench; the ports' builds lie
# beside it, with -arm64 and -riscv64 added), ROUNDS (60) and BATCH (20) of
# the paired timing, SEED (1), MICRO (1; 0 skips the microbenchmarks).
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
echo "Building in $build, $build-arm64 and $build-riscv64 ..."
build_preset() {
  if ! { cmake --preset "$1" -B "$2" "${@:3}" && cmake --build "$2"; } >"$work/build.log" 2>&1; then
    cat "$work/build.log" >&2
    exit 1
  fi
}
build_preset release "$build" -DHALVES_BENCH=ON
build_preset linux-arm64-release "$build-arm64"
build_preset linux-riscv64-release "$build-riscv64"
declare -A port_build=([arm64]=$build-arm64 [riscv64]=$build-riscv64)
declare -A qemu=([arm64]=qemu-aarch64 [riscv64]=qemu-riscv64)

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

# The instructions a port's program executes in its directory, under
# qemu-user, added to the task's ports.txt: its execution log, one block an
# instruction and unchained, holds one "Trace" line for each instruction,
# counted as it is written. Its answer must be the x86-64 program's.
port_instructions() {
  local task=$1 port=$2 program=$3 log=$work/trace.log
  local dir=$task/$program answer=$task/$program.answer
  cp "$dir/output.txt" "$answer"
  rm -f "$log" && mkfifo "$log"
  (cd "$dir" && "${qemu[$port]}" -one-insn-per-tb -d nochain,exec -D "$log" \
    "${port_build[$port]}/$program/$program") >/dev/null &
  local count
  count=$(grep -c Trace <"$log")
  if ! wait $! || ! cmp -s "$dir/output.txt" "$answer"; then
    echo "run.sh: the $port $program did not end normally with the x86-64 answer" >&2
    exit 1
  fi
  rm -f "$log"
  echo "$port $program $count" >>"$task/ports.txt"
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
    for _ in 1 2 3 4 5 6 7; do
      (cd "$d" && python3 "$root/bench/peak_rss.py" "${exe[$program]}") >>"$dir/$program.peak"
    done
  done
  for port in arm64 riscv64; do
    for program in splitter refuser; do
      port_instructions "$dir" "$port" "$program"
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

# The splitter's instructions on the order that drives its sort one level
# deeper an item (a part of n items takes about n^2 / 2 entries' scans), on
# every processor.
dir=$work/deepening
mkdir -p "$dir/splitter"
python3 "$root/bench/gen_input.py" make --variant deepening --count 4060 "$dir/splitter/input.txt"
run_once "$dir/splitter" splitter
python3 "$root/bench/gen_input.py" verify "$dir/splitter/input.txt" "$dir/splitter/output.txt"
(cd "$dir/splitter" && valgrind --tool=callgrind --callgrind-out-file="$dir/splitter.callgrind" \
  "${exe[splitter]}") >/dev/null 2>&1
for port in arm64 riscv64; do
  port_instructions "$dir" "$port" splitter
done

if [[ $micro != 0 ]]; then
  echo "=== microbenchmarks ==="
  TMPDIR=$work "$build/bench/microbench"
  echo
fi

echo "=== summary ==="
python3 "$root/bench/report.py" summary "$work/random" "$work/equal" "$work/deepening"
