#!/usr/bin/env bash
# Runs the README's example command, examples/run.sh, as a new user would,
# and checks that it shows both answers to the bundled example.
set -euo pipefail
source=$1
shown=$("$source/examples/run.sh")
expected=$(printf '%s\n' "splitter: exit status 0, output.txt:" "1^M" "2^M" "1^M" "2^M" "" "" \
  "refuser: exit status 0, output.txt:" "-1")
if [[ $shown != *"$expected"* ]]; then
  printf 'examples/run.sh showed:\n%s\n' "$shown" >&2
  exit 1
fi
echo "ok: examples/run.sh shows both answers"
