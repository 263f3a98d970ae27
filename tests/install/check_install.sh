#!/bin/sh
# Installs the build into a fresh prefix, starts the installed program the
# way a desktop would (no display of its own: offscreen, in a home of its
# own) and checks that it loads its add-in from the installed tree, then
# validates the desktop entry and the AppStream metadata.
#   check_install.sh CMAKE BUILD_DIR PREFIX LIBRARY_DIR
# LIBRARY_DIR is the private library folder relative to the prefix.
set -eu
cmake=$1
build=$2
prefix=$3
libraries=$prefix/$4
id=com.tandrelsoftware.Chasewell

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

rm -rf "$prefix" "$prefix.home"
"$cmake" --install "$build" --prefix "$prefix" >/dev/null
for file in bin/chasewell "${4}/libChasewell.so" "${4}/libChasewellProp.so" \
    "${4}/libChasewellPlatform.so" "share/applications/$id.desktop" \
    "share/metainfo/$id.metainfo.xml" "share/icons/hicolor/scalable/apps/$id.svg" \
    share/chasewell/chasewell.xpi; do
    [ -f "$prefix/$file" ] || fail "$file was not installed"
done

mkdir -p "$prefix.home/runtime"
chmod 700 "$prefix.home/runtime"
report=$(env -u DISPLAY -u WAYLAND_DISPLAY -u LD_LIBRARY_PATH QT_QPA_PLATFORM=offscreen \
    HOME="$prefix.home" XDG_CONFIG_HOME="$prefix.home/config" XDG_DATA_HOME="$prefix.home/data" \
    XDG_RUNTIME_DIR="$prefix.home/runtime" LD_DEBUG=files LD_DEBUG_OUTPUT="$prefix.home/loader" \
    "$prefix/bin/chasewell" --print) || fail "the installed program failed: $report"
echo "$report" | grep -qx 'Commands added: 2' || fail "the add-in added no commands: $report"
echo "$report" | grep -qx "Data file: $prefix.home/data/Chasewell/ChasewellData.txt" ||
    fail "the data file is not in the user's data folder: $report"
# Every library of the program came from the installed tree (reached as
# bin/../<library folder>), none from the build folder.
loaded=$(cat "$prefix.home"/loader.*)
for library in libChasewell.so libChasewellPlatform.so; do
    echo "$loaded" | grep -q "calling init: $prefix/\(bin/\.\./\)\?$4/$library\$" ||
        fail "$library was not loaded from $libraries"
done
if echo "$loaded" | grep -q "calling init: $build/bin/"; then
    fail "a library was loaded from the build folder's bin"
fi

desktop-file-validate "$prefix/share/applications/$id.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml"
echo "installed, started and validated"
