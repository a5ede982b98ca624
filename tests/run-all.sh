#!/usr/bin/env bash
# Builds and runs every test, workflow by workflow: the development build with
# g++ and with clang (unit, report, black-box, stress and fault-injection
# tests), the runtime's unit tests under the sanitizers, a short fixed run of
# each fuzz target, the Windows programs' tests under Wine, and the arm64 and
# riscv64 programs' tests under qemu-user. Every workflow runs even when one
# fails; the last line sums them all up, and the exit status is 0 only when
# all passed.
set -uo pipefail
cd "$(dirname "$0")/.."

workflows=(dev dev-clang sanitize fuzz windows linux-arm64 linux-riscv64)
log=$(mktemp)
trap 'rm -f "$log"' EXIT
summary=()
failed=0
start=$SECONDS
for workflow in "${workflows[@]}"; do
  began=$SECONDS
  if cmake --workflow --preset "$workflow" 2>&1 | tee "$log"; then
    verdict=passed
  else
    verdict=FAILED
    failed=$((failed + 1))
  fi
  tests=$(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\)$/\2 tests, \1 failed/p' "$log" | tail -n 1)
  # Skipped tests count as passed in CTest's own line: say how many there were.
  skipped=$(grep -c '^[[:space:]]*[0-9]* - .* (Skipped)$' "$log" || true)
  ((skipped == 0)) || tests+=", $skipped skipped"
  summary+=("$workflow ${verdict} (${tests:-no tests run}, $((SECONDS - began)) s)")
done

joined=$(IFS=';'; echo "${summary[*]}")
echo
if ((failed == 0)); then
  echo "All ${#workflows[@]} workflows passed in $((SECONDS - start)) s: ${joined//;/; }"
else
  echo "$failed of ${#workflows[@]} workflows FAILED in $((SECONDS - start)) s: ${joined//;/; }"
  exit 1
fi
