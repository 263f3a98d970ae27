"""Checks the packed Thunderbird extension: manifest.json at the top, every
file the extension loads inside (the background page's modules and whatever
they import, the options page and its script, the icons, protocol.json), and
no test code.

    check_xpi.py XPI
"""
import json
import posixpath
import re
import sys
import zipfile

IMPORT = re.compile(r'^\s*import\s[^;]*?from\s+"([^"]+)"', re.M)
SCRIPT = re.compile(r'<script[^>]*\ssrc="([^"]+)"')


def main(path):
    problems = []
    with zipfile.ZipFile(path) as xpi:
        names = set(xpi.namelist())

        def read(name):
            return xpi.read(name).decode("utf-8")

        if "manifest.json" not in names:
            sys.exit(f"{path}: manifest.json is not at the top")
        manifest = json.loads(read("manifest.json"))
        wanted = set(manifest["background"]["scripts"])
        wanted |= set(manifest["icons"].values())
        for action in ("browser_action", "message_display_action", "compose_action"):
            wanted.add(manifest[action]["default_icon"])
        wanted.add(manifest["options_ui"]["page"])
        wanted.add("protocol.json")  # fetched by the background page

        seen = {"manifest.json"}
        queue = sorted(wanted)
        while queue:
            name = posixpath.normpath(queue.pop())
            if name in seen:
                continue
            seen.add(name)
            if name not in names:
                problems.append(f"{name} is loaded but not in the package")
                continue
            folder = posixpath.dirname(name)
            if name.endswith(".js"):
                found = IMPORT.findall(read(name))
            elif name.endswith(".html"):
                found = SCRIPT.findall(read(name))
            else:
                found = []
            for target in found:
                if target.startswith("/"):
                    queue.append(target[1:])
                else:
                    queue.append(posixpath.join(folder, target))

        for name in sorted(names):
            if "test" in name.lower():
                problems.append(f"{name} is test code in the package")
            elif name not in seen and not name.endswith("/"):
                problems.append(f"{name} is in the package but nothing loads it")
    if problems:
        sys.exit("\n".join(f"{path}: {p}" for p in problems))
    print(f"{path}: {len(seen)} files, each loaded, no test code")


if __name__ == "__main__":
    main(sys.argv[1])
