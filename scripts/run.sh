#!/usr/bin/env bash
# Installs what the build needs, builds the program and starts it.
# Arguments are passed to the program (see --help).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
chasewell_ensure_packages
cmake --preset default >/dev/null
cmake --build --preset default --target chasewell
exec build/default/bin/chasewell "$@"
