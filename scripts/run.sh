#!/ usr / bin / env bash
#Installs what the build needs, builds the program and starts it.
#Arguments are passed to the program(see-- help).
set - euo pipefail cd "$(dirname " $0 ")/.." source scripts /
                deps.sh chasewell_ensure_packages cmake-- preset default >
        / dev /
            null cmake-- build-- preset default --target chasewell if[-z "${QT_QPA_PLATFORM:-}"] &&
    [-z "${DISPLAY:-}"] && [-z "${WAYLAND_DISPLAY:-}"];
then echo
    "No display found. Run it offscreen instead: QT_QPA_PLATFORM=offscreen bash scripts/run.sh "
    "--print" > &2 exit 1 fi exec build / default / bin / chasewell "$@"
