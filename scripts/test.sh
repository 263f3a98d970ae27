#!/usr/bin/env bash
# Installs what the build needs, builds everything and runs every test: the
# suite, the suite again under the address and undefined-behaviour
# sanitizers, and the fuzz targets for a bounded time each.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
chasewell_ensure_packages "${chasewell_test_packages[@]}"
chasewell_ensure_locales
cmake --preset default
cmake --build --preset default
QT_QPA_PLATFORM=offscreen ctest --preset default
cmake --preset asan
cmake --build --preset asan
QT_QPA_PLATFORM=offscreen ctest --preset asan
bash scripts/fuzz.sh "${CHASEWELL_FUZZ_SECONDS:-30}"
