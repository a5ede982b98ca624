#!/usr/bin/env bash
# Builds and runs every test: the development build (unit, report and
# black-box tests), the runtime's unit tests under the sanitizers, a short
# fixed run of each fuzz target, and the Windows programs' tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --workflow --preset dev
cmake --workflow --preset dev-clang
cmake --workflow --preset sanitize
cmake --workflow --preset fuzz
cmake --workflow --preset windows
