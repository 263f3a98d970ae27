"""The end-to-end harness: a real Thunderbird, headless, with a real IMAP server
(dovecot's imap behind socat, PREAUTH, on 127.0.0.1) and a real SMTP server
(aiosmtpd), a fresh profile with one IMAP account, the Chasewell extension
installed unsigned, and native-messaging manifests under the harness's own
$HOME. Everything is made from nothing in a work folder and ended by stop().

The extension is installed as a test variant: the built chasewell.xpi
unchanged plus a driver module (driver/driver.js) that takes operations from
the test over a native-messaging port of its own; the shipped package stays
free of it. The Chasewell host is either the stub (peers.StubHost: answers
hello and itemSend, records all it receives, checks every message against
protocol.json, sends the requests a test asks for) or a real program given by
path, in which case every message both ways is recorded too (peers.Tap).

Every wait is a condition with a deadline. See README.md for the use.
"""
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import zipfile
from datetime import datetime, timezone
from email.header import Header
from email.message import EmailMessage
from email.utils import format_datetime, make_msgid
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
from peers import PROTOCOL, Clock, Driver, Failure, StubHost, Tap, log  # noqa: E402,F401
from servers import PYTHON, ImapServer, SmtpServer  # noqa: E402

HOST_NAME = PROTOCOL.agreed["hostName"]
EXTENSION_ID = PROTOCOL.agreed["extensionId"]
DRIVER_NAME = "chasewell_e2e_driver"
ACCOUNT = "account1"
ADDRESS = "robin@example.com"


def reply_message(sender, subject, in_reply_to, automatic=False):
    """A message from a recipient to ADDRESS, as a mail program writes a reply
    to the message whose Message-ID is in_reply_to; an automatic one (an
    out-of-office notice) says so in its headers. A subject with letters
    outside ASCII is RFC 2047 encoded, as mail programs write it."""
    message = EmailMessage()
    message["From"] = sender
    message["To"] = ADDRESS
    message["Subject"] = subject if subject.isascii() else Header(subject, "utf-8").encode()
    message["Date"] = format_datetime(datetime.now(timezone.utc))
    message["Message-ID"] = make_msgid(domain="example.com")
    message["In-Reply-To"] = f"<{in_reply_to}>"
    message["References"] = f"<{in_reply_to}>"
    if automatic:
        message["Auto-Submitted"] = "auto-replied"
        message["X-Autoreply"] = "yes"
    message.set_content("I am away until Monday.\n" if automatic else "Thanks, here they are.\n")
    return message
SKIP = 77  # ctest's SKIP_RETURN_CODE
# Another Thunderbird (a newer build, say) can be named here.
THUNDERBIRD = os.environ.get("CHASEWELL_THUNDERBIRD", "thunderbird")


def missing_tools(thunderbird=THUNDERBIRD):
    """What this machine lacks for a round, in words (empty when nothing)."""
    missing = []
    if not shutil.which(thunderbird):
        missing.append(f"{thunderbird} (package thunderbird)")
    if not Path("/usr/lib/dovecot/imap").exists():
        missing.append("/usr/lib/dovecot/imap (package dovecot-imapd)")
    if not shutil.which("socat"):
        missing.append("socat (package socat)")
    if subprocess.run([PYTHON, "-c", "import aiosmtpd"], capture_output=True).returncode != 0:
        missing.append("aiosmtpd for /usr/bin/python3 (package python3-aiosmtpd)")
    return missing


def skip_or_fail_when_missing(thunderbird=THUNDERBIRD, extra=()):
    """Ends the process when the machine cannot run a round: a failure under
    CI=true (CI must never skip it), a skip for ctest otherwise. extra: what
    else a round found missing, in words."""
    missing = missing_tools(thunderbird) + list(extra)
    if not missing:
        return
    print("Missing for the Thunderbird round: " + ", ".join(missing), flush=True)
    if os.environ.get("CI") == "true":
        sys.exit(1)
    sys.exit(SKIP)


def user_js(imap_port, smtp_port):
    prefs = {
        # An unsigned extension from the profile's extensions folder.
        "xpinstall.signatures.required": False,
        "extensions.autoDisableScopes": 0,
        "extensions.enabledScopes": 15,
        # No first-run pages, prompts or network of its own.
        "mail.shell.checkDefaultClient": False,
        "mail.provider.suppress_dialog_on_startup": True,
        "mail.spotlight.firstRunDone": True,
        "mail.winsearch.firstRunDone": True,
        "mailnews.start_page.enabled": False,
        "mail.rights.version": 1,
        "mail.biff.show_alert": False,
        "app.update.disabledForTesting": True,
        "datareporting.policy.dataSubmissionEnabled": False,
        "toolkit.telemetry.reportingpolicy.firstRun": False,
        "mail.accounthub.enabled": False,
        "mailnews.auto_config.fetchFromISP.enabled": False,
        # The extension's console lines go to Thunderbird's output (the log).
        "devtools.console.stdout.chrome": True,
        "devtools.console.stdout.content": True,
        "browser.dom.window.dump.enabled": True,
        # One IMAP account and Local Folders.
        "mail.accountmanager.accounts": f"{ACCOUNT},account2",
        "mail.accountmanager.defaultaccount": ACCOUNT,
        "mail.accountmanager.localfoldersserver": "server2",
        f"mail.account.{ACCOUNT}.identities": "id1",
        f"mail.account.{ACCOUNT}.server": "server1",
        "mail.account.account2.server": "server2",
        "mail.server.server1.type": "imap",
        "mail.server.server1.hostname": "127.0.0.1",
        "mail.server.server1.port": imap_port,
        "mail.server.server1.userName": "robin",
        "mail.server.server1.name": ADDRESS,
        "mail.server.server1.socketType": 0,
        "mail.server.server1.authMethod": 3,
        "mail.server.server1.login_at_startup": True,
        "mail.server.server1.check_new_mail": True,
        "mail.server.server1.check_time": 1,
        "mail.server.server1.use_idle": True,
        "mail.server.server1.offline_download": True,
        "mail.server.server2.type": "none",
        "mail.server.server2.hostname": "Local Folders",
        "mail.server.server2.userName": "nobody",
        "mail.server.server2.name": "Local Folders",
        "mail.identity.id1.fullName": "Robin User",
        "mail.identity.id1.useremail": ADDRESS,
        "mail.identity.id1.smtpServer": "smtp1",
        "mail.identity.id1.fcc": True,
        "mail.identity.id1.fcc_folder": "imap://robin@127.0.0.1/Sent",
        "mail.identity.id1.draft_folder": "imap://robin@127.0.0.1/Drafts",
        "mail.identity.id1.compose_html": False,
        "mail.identity.id1.valid": True,
        "mail.smtpservers": "smtp1",
        "mail.smtp.defaultserver": "smtp1",
        "mail.smtpserver.smtp1.hostname": "127.0.0.1",
        "mail.smtpserver.smtp1.port": smtp_port,
        "mail.smtpserver.smtp1.authMethod": 1,
        "mail.smtpserver.smtp1.try_ssl": 0,
        "mail.smtpserver.smtp1.username": "",
    }
    return "".join(f'user_pref("{k}", {json.dumps(v)});\n' for k, v in prefs.items())


def test_variant(xpi, target):
    """The built chasewell.xpi with the driver beside its background page."""
    with zipfile.ZipFile(xpi) as shipped, zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED) as variant:
        for item in shipped.infolist():
            data = shipped.read(item.filename)
            if item.filename == "manifest.json":
                manifest = json.loads(data)
                manifest["background"]["scripts"] = ["e2e/background-test.js"]
                data = json.dumps(manifest, indent=2).encode()
            variant.writestr(item, data)
        for name in ("background-test.js", "driver.js"):
            variant.write(HERE / "driver" / name, f"e2e/{name}")


class Harness:
    """work: an empty folder for this round; xpi: the built chasewell.xpi;
    host: None for the stub host, else the path of the real host program;
    prepare(harness): called once everything is made and before Thunderbird
    first starts (settings a round wants from the start); headless=False
    shows Thunderbird on the display that host_env names (pictures of it)."""

    def __init__(self, work, xpi, host=None, thunderbird=THUNDERBIRD, host_env=None, prepare=None,
                 headless=True):
        self.work = Path(work).resolve()
        self.xpi = Path(xpi).resolve()
        self.host_path = host
        self.thunderbird_program = thunderbird
        self.host_env = host_env or {}
        self.prepare = prepare
        self.headless = headless
        self.clock = Clock()
        self.timings = []
        self.thunderbird = None
        self.starts = 0
        self.imap = self.smtp = None
        self.driver = self.stub = self.tap = None
        self.scratch = self.sockets = None

    # -- timing -------------------------------------------------------------
    def step(self, name):
        harness = self

        class Step:
            def __enter__(self):
                self.began = time.monotonic()
                log(f"{name} ...")

            def __exit__(self, kind, value, tb):
                seconds = time.monotonic() - self.began
                harness.timings.append((name, seconds, kind is None))
                log(f"{name}: {'done' if kind is None else 'FAILED'} in {seconds:.1f} s")
                return False
        return Step()

    def timing_report(self):
        lines = [f"{seconds:6.1f} s  {'  ' if ok else '!!'} {name}" for name, seconds, ok in self.timings]
        return "\n".join(lines)

    # -- the pieces ---------------------------------------------------------
    def setup(self):
        if self.work.exists():
            shutil.rmtree(self.work)
        self.home = self.work / "home"
        self.profile = self.work / "profile"
        for folder in (self.home / ".mozilla" / "native-messaging-hosts", self.profile / "extensions",
                       self.work / "mail", self.work / "smtp", self.home / "runtime"):
            folder.mkdir(parents=True)
        (self.home / "runtime").chmod(0o700)
        # Outside the work folder: a Unix socket's path has room for about
        # 100 characters, which a build folder may exceed, and the IMAP user
        # must reach the mailbox, which it cannot below /root.
        self.scratch = Path(tempfile.mkdtemp(prefix="chasewell-e2e-"))
        self.scratch.chmod(0o755)
        self.sockets = self.scratch / "sockets"
        self.sockets.mkdir(mode=0o700)
        with self.step("start the IMAP and SMTP servers"):
            self.imap = ImapServer(self.work / "mail", self.scratch / "mail", self.clock)
            self.smtp = SmtpServer(self.work / "smtp", self.clock)
        sockets = self.sockets
        self.driver = Driver(sockets, self.clock)
        if self.host_path:
            self.tap = Tap(sockets, self.clock)
            self.stub = None
            host_command = f"{sockets / 'tap.sock'} {Path(self.host_path).resolve()}"
        else:
            self.stub = StubHost(sockets, self.clock)
            self.tap = None
            host_command = str(sockets / "host.sock")
        self._native_host(HOST_NAME, host_command)
        self._native_host(DRIVER_NAME, str(sockets / "driver.sock"))
        (self.profile / "user.js").write_text(user_js(self.imap.port, self.smtp.port))
        test_variant(self.xpi, self.profile / "extensions" / f"{EXTENSION_ID}.xpi")

    def _native_host(self, name, relay_arguments):
        script = self.work / f"{name}.sh"
        script.write_text(f"#!/bin/sh\nexec {PYTHON} {HERE / 'relay.py'} {relay_arguments}\n")
        script.chmod(0o755)
        manifest = {"name": name, "description": "Chasewell end-to-end harness", "path": str(script),
                    "type": "stdio", "allowed_extensions": [EXTENSION_ID]}
        (self.home / ".mozilla" / "native-messaging-hosts" / f"{name}.json").write_text(json.dumps(manifest))

    def environment(self):
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
        env.update({
            "HOME": str(self.home),
            "XDG_CONFIG_HOME": str(self.home / ".config"),
            "XDG_DATA_HOME": str(self.home / ".local" / "share"),
            "XDG_CACHE_HOME": str(self.home / ".cache"),
            "XDG_RUNTIME_DIR": str(self.home / "runtime"),
            "QT_QPA_PLATFORM": "offscreen",
            "LANG": "C.UTF-8",
        })
        if self.headless:
            env["MOZ_HEADLESS"] = "1"
        env.update(self.host_env)
        return env

    # -- Thunderbird --------------------------------------------------------
    def start_thunderbird(self):
        """Starts Thunderbird on the profile and waits until the extension's
        driver and its connection to the host are up."""
        self.starts += 1
        self.thunderbird_log = open(self.work / f"thunderbird-{self.starts}.log", "wb")
        with self.step(f"start Thunderbird ({self.starts}) until the host is connected"):
            self.thunderbird = subprocess.Popen(
                [self.thunderbird_program, *(["--headless"] if self.headless else []), "--no-remote",
                 "--profile", str(self.profile)],
                env=self.environment(), stdout=self.thunderbird_log, stderr=subprocess.STDOUT,
                start_new_session=True)
            peers = self.driver.channel.peers
            known = len(peers)
            self.clock.wait_for(lambda: self._ended_early() or len(peers) > known, 90,
                                "the extension's driver connects")
            self.clock.wait_for(lambda: self._ended_early() or self.driver.call("ping")["connected"], 60,
                                "the extension is connected to the Chasewell host")

    def _ended_early(self):
        if self.thunderbird.poll() is not None:
            raise Failure(f"Thunderbird ended with {self.thunderbird.returncode}; see {self.thunderbird_log.name}")
        return False

    def stop_thunderbird(self):
        """Quits Thunderbird as a user does, by closing its windows (a signal
        would end it without saving its folders' state: a message filed in
        an IMAP Sent folder would be gone after the restart). If it has not
        ended 30 s later it is killed and the round fails."""
        if not self.thunderbird or self.thunderbird.poll() is not None:
            return
        with self.step(f"quit Thunderbird ({self.starts})"):
            try:
                try:
                    self.driver.call("quit", timeout=10)
                    self.thunderbird.wait(timeout=30)
                except (Failure, subprocess.TimeoutExpired) as problem:
                    os.killpg(self.thunderbird.pid, signal.SIGKILL)
                    self.thunderbird.wait()
                    raise Failure(f"Thunderbird did not quit when its windows closed ({problem})") from None
            finally:
                self.thunderbird_log.close()
            # Whatever its ports started ends with it.
            self.clock.wait_for(lambda: not self._native_hosts_running(), 15,
                                "the native-messaging hosts end with Thunderbird")

    def _native_hosts_running(self):
        """Whether a relay of this round (named by its socket folder) runs."""
        mine = str(self.sockets)
        for entry in Path("/proc").iterdir():
            if entry.name.isdigit():
                try:
                    if mine in (entry / "cmdline").read_bytes().decode(errors="replace"):
                        return True
                except OSError:
                    pass
        return False

    def restart_thunderbird(self):
        self.stop_thunderbird()
        self.start_thunderbird()

    def thunderbird_output(self):
        """What Thunderbird has printed in this run (the extension's log lines
        among it)."""
        return (self.work / f"thunderbird-{self.starts}.log").read_text(errors="replace")

    # -- the whole ----------------------------------------------------------
    def __enter__(self):
        try:
            self.setup()
            if self.prepare:
                self.prepare(self)
            self.start_thunderbird()
        except BaseException:
            try:
                self.__exit__(None, None, None)
            except Failure as also:
                log(f"and then: {also}")
            raise
        return self

    def __exit__(self, kind, value, tb):
        try:
            self.stop_thunderbird()
        finally:
            for server in (self.imap, self.smtp):
                if server:
                    server.stop()
            for part in (self.driver, self.stub, self.tap):
                if part:
                    part.channel.close()
            if self.scratch:
                shutil.rmtree(self.scratch, ignore_errors=True)
        return False
