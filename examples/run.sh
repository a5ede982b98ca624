#!/usr/bin/env bash
# Builds the release programs and runs both on examples/input.txt in a
# temporary directory, showing each answer file. Sets up the build's tools
# first where they are missing (tools/setup build).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# A machine without the build's tools gets them here (as root), or the one
# command that would install them.
for tool in g++ cmake ninja; do
  command -v "$tool" >/dev/null || { "$root/tools/setup" build; break; }
done
(cd "$root" && cmake --workflow --preset release >/dev/null)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$root/examples/input.txt" "$work/"
echo "input.txt:"
cat "$work/input.txt"
# Each has a minute: a run takes milliseconds, so one that takes longer is
# stuck, and is ended rather than waited for.
for program in splitter refuser; do
  (cd "$work" && timeout 60 "$root/build/release/$program/$program") && status=0 || status=$?
  echo
  if ((status == 124)); then
    echo "$program: timed out: it had not ended after 60 s, and was killed"
    continue
  fi
  echo "$program: exit status $status, output.txt:"
  cat -v "$work/output.txt" 2>/dev/null || echo "(none)"
  echo
done
