"""A real X server for the host's windows (Xvfb), and a user's hands on it
(xdotool): find a window by its title, press keys in it, click in it.

Thunderbird stays headless; only the Chasewell host is given this display, so
what is found here are the host's own windows, as a user would see them.
Debian 12 packages: xvfb, xdotool (and imagemagick for a picture of the
screen).
"""
import os
import re
import shutil
import subprocess

from peers import Failure, log


def missing_tools():
    """What this machine lacks for the X server, in words."""
    missing = []
    if not shutil.which("Xvfb"):
        missing.append("Xvfb (package xvfb)")
    if not shutil.which("xdotool"):
        missing.append("xdotool (package xdotool)")
    return missing


class XServer:
    """Xvfb on a display number it picks itself (no clash with another round
    or a desktop), reachable only through its local socket."""

    def __init__(self, folder, clock, size="1280x900"):
        self.clock = clock
        self.log = open(folder / "xvfb.log", "wb")
        read, write = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", f"{size}x24", "-nolisten", "tcp", "-noreset"],
            stdout=self.log, stderr=subprocess.STDOUT, pass_fds=(write,))
        os.close(write)
        with os.fdopen(read) as numbers:
            number = numbers.readline().strip()
        if not number:
            self.process.wait(timeout=10)
            raise Failure(f"Xvfb did not start: {(folder / 'xvfb.log').read_text(errors='replace')}")
        self.display = f":{number}"

    def environment(self):
        """What a program needs to show its windows here (Qt: the xcb
        platform, not the offscreen one the harness gives by default)."""
        return {"DISPLAY": self.display, "QT_QPA_PLATFORM": "xcb"}

    def _xdotool(self, *arguments, check=True):
        done = subprocess.run(["xdotool", *arguments], env={**os.environ, "DISPLAY": self.display},
                              capture_output=True, text=True, timeout=30)
        if check and done.returncode != 0:
            raise Failure(f"xdotool {' '.join(arguments)}: {done.stderr.strip() or done.returncode}")
        return done.stdout

    # -- looking ------------------------------------------------------------
    def windows(self, title):
        """The visible windows whose whole title matches the regular
        expression, as {id: title}."""
        found = self._xdotool("search", "--onlyvisible", "--name", title, check=False).split()
        named = {}
        for window in found:
            name = self._xdotool("getwindowname", window, check=False).strip()
            if re.fullmatch(title, name):
                named[window] = name
        return named

    def wait_window(self, title, timeout, what):
        """The one visible window titled so (a regular expression), once it
        shows."""
        def one():
            found = self.windows(title)
            if len(found) > 1:
                raise Failure(f"{what}: {len(found)} windows titled {found}")
            return next(iter(found), None)
        return self.clock.wait_for(one, timeout, what)

    def wait_gone(self, window, timeout, what):
        self.clock.wait_for(lambda: window not in self._xdotool("search", "--onlyvisible", "--name", ".",
                                                                check=False).split(), timeout, what)

    def geometry(self, window):
        """(x, y, width, height) of a window on the screen."""
        values = dict(line.split("=", 1) for line in self._xdotool("getwindowgeometry", "--shell", window).split())
        return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))

    def title(self, window):
        return self._xdotool("getwindowname", window).strip()

    # -- the user's hands ---------------------------------------------------
    def focus(self, window):
        """Gives the window the keyboard as a user's click on it would: the
        pointer over it and the input focus to it."""
        x, y, width, height = self.geometry(window)
        self._xdotool("mousemove", str(x + width // 2), str(y + height // 2))
        self._xdotool("windowfocus", "--sync", window)

    def keys(self, window, *keys):
        """Presses keys (xdotool's names: "alt+x", "Home", "Return") in the
        window, as typed on the keyboard (through the XTEST extension, not
        as events sent to the window)."""
        self.focus(window)
        log(f"keys {' '.join(keys)} in {self.title(window)!r}")
        self._xdotool("key", "--clearmodifiers", "--delay", "50", *keys)

    def press_until(self, window, keys, done, timeout, what):
        """Presses keys in the window until done() holds, as a user presses
        again when a key was not taken: an alarm window takes no keys for a
        moment after it comes up."""
        def pressed():
            if done():
                return True
            try:
                self.keys(window, keys)
            except Failure:
                pass  # the window closed as the keys were pressed
            return done()
        self.clock.wait_for(pressed, timeout, what)

    def click(self, window, x, y):
        """A left click at (x, y) within the window."""
        self.focus(window)
        left, top, _, _ = self.geometry(window)
        self._xdotool("mousemove", "--sync", str(left + x), str(top + y))
        self._xdotool("click", "1")

    def screenshot(self, path):
        """The whole screen as a picture (imagemagick's import)."""
        subprocess.run(["import", "-display", self.display, "-window", "root", str(path)], check=True,
                       timeout=60)

    def stop(self):
        self.process.terminate()
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        self.log.close()

