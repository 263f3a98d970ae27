#!/usr/bin/env bash
# Makes the README's pictures of Chasewell in Thunderbird on a real X server
# (Xvfb with the openbox window manager): docs/thunderbird-compose.png, a
# compose window with the Send With Reminder button, and
# docs/thunderbird-alarm.png, an alarm window of the Chasewell host in front
# of Thunderbird's main window. Thunderbird runs on the end-to-end harness's
# fresh profile and local mail servers (tests/e2e/thunderbird/), never on
# yours. Made on request; CI does not run it.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
chasewell_ensure_packages "${chasewell_screenshot_packages[@]}"
cmake --preset default >/dev/null
cmake --build --preset default --target chasewell-thunderbird-host Chasewell ChasewellProp thunderbird_xpi
/usr/bin/python3 tests/e2e/thunderbird/screenshots.py build/default/share/chasewell/chasewell.xpi \
    build/default/bin/chasewell-thunderbird-host docs "$@"
