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

rm -rf "$prefix" "$prefix.home" "$prefix.stage"
# Staged (DESTDIR), so that the system-wide native-messaging manifest, whose
# folder lies outside any prefix, lands in the stage and not on this machine;
# the tree is then moved where its prefix says (it needs no fixed place).
DESTDIR="$prefix.stage" "$cmake" --install "$build" --prefix "$prefix" >/dev/null
mv "$prefix.stage$prefix" "$prefix"
for file in bin/chasewell "${4}/libChasewell.so" "${4}/libChasewellProp.so" \
    "${4}/libChasewellPlatform.so" "share/applications/$id.desktop" \
    "share/metainfo/$id.metainfo.xml" "share/icons/hicolor/scalable/apps/$id.svg" \
    share/chasewell/chasewell.xpi "${4}/chasewell-thunderbird-host"; do
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

# Thunderbird finds the host through the system-wide manifest, which names
# the installed host; a user's own registration names the same program.
manifest=$prefix.stage/usr/lib/mozilla/native-messaging-hosts/com.tandrelsoftware.chasewell.json
[ -f "$manifest" ] || fail "the system-wide native-messaging manifest was not installed"
grep -q "\"path\": \"$prefix/${4}/chasewell-thunderbird-host\"" "$manifest" ||
    fail "the system-wide manifest does not name the installed host: $(cat "$manifest")"
registered=$(env -u DISPLAY -u WAYLAND_DISPLAY HOME="$prefix.home" \
    "$prefix/bin/chasewell" --register-thunderbird) || fail "registering failed: $registered"
grep -q "\"path\": \"$prefix/${4}/chasewell-thunderbird-host\"" \
    "$prefix.home/.mozilla/native-messaging-hosts/com.tandrelsoftware.chasewell.json" ||
    fail "the user's manifest does not name the installed host"
echo "$registered" | grep -qx "  $prefix/share/chasewell/chasewell.xpi" ||
    fail "registering did not say where the extension is: $registered"
# The installed host starts from there and answers Thunderbird's hello.
answer=$(env -u DISPLAY -u WAYLAND_DISPLAY -u LD_LIBRARY_PATH HOME="$prefix.home" \
    XDG_CONFIG_HOME="$prefix.home/config" XDG_DATA_HOME="$prefix.home/data" \
    XDG_RUNTIME_DIR="$prefix.home/runtime" python3 -c '
import json, struct, subprocess, sys
hello = json.dumps({"kind": "hello", "id": 1, "protocol": 1, "extension": "check",
                    "accounts": [], "folder": None}).encode()
host = subprocess.run([sys.argv[1], sys.argv[2], "chasewell@tandrelsoftware.com"],
                      input=struct.pack("=I", len(hello)) + hello, capture_output=True, timeout=60)
reply = json.loads(host.stdout[4:4 + struct.unpack("=I", host.stdout[:4])[0]])
print(host.returncode, reply["ok"], reply.get("host"))
' "$prefix/${4}/chasewell-thunderbird-host" "$manifest") || fail "the installed host did not answer"
[ "$answer" = "0 True $(sed -n 's/.*"version": "\(.*\)".*/\1/p' "$(dirname "$0")/../../thunderbird/manifest.json")" ] ||
    fail "the installed host answered: $answer"

desktop-file-validate "$prefix/share/applications/$id.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml"
echo "installed, started and validated"
