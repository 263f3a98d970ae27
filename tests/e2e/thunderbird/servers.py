"""The mail servers of the harness, real ones from Debian's packages, on
127.0.0.1: dovecot's imap behind socat, and aiosmtpd.
"""
import email
import email.policy
import itertools
import os
import pwd
import shutil
import socket
import subprocess
import time

from peers import Failure

IMAP_USER = "chasewell-e2e"
PYTHON = "/usr/bin/python3"  # Debian's, which has aiosmtpd


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def accepts(port):
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=1):
            return True
    except OSError:
        return False


class ImapServer:
    """dovecot's imap on standard input and output, behind socat: it greets
    with PREAUTH, so Thunderbird logs in without a password. It runs as an
    ordinary user (dovecot refuses root), who owns the Maildir."""

    def __init__(self, folder, mail_root, clock):
        """folder: where the logs go; mail_root: an empty folder for the
        mailbox, which the IMAP user must reach (so not below /root)."""
        self.clock = clock
        self.folder = folder
        self.mail_root = mail_root
        self.maildir = mail_root / "Maildir"
        for box in ("", ".Sent", ".Drafts", ".Trash"):
            for sub in ("cur", "new", "tmp"):
                (self.maildir / box / sub).mkdir(parents=True, exist_ok=True)
        (self.maildir / "subscriptions").write_text("Sent\nDrafts\nTrash\n")
        self.user = None
        run_as = []
        if os.geteuid() == 0:
            self.user = IMAP_USER
            try:
                pwd.getpwnam(IMAP_USER)
            except KeyError:
                subprocess.run(["useradd", "--system", "--user-group", "--no-create-home",
                                "--shell", "/usr/sbin/nologin", IMAP_USER], check=True)
            subprocess.run(["chown", "-R", f"{IMAP_USER}:{IMAP_USER}", str(mail_root)], check=True)
            run_as = ["runuser", "-u", IMAP_USER, "--"]
        mail_root.chmod(0o755)
        script = folder / "imap.sh"
        script.write_text(
            "#!/bin/sh\n"
            f"exec {' '.join(run_as)} env -i HOME={mail_root} USER={self.user or os.environ.get('USER', 'user')} "
            f"/usr/lib/dovecot/imap -o mail_location=maildir:{self.maildir} "
            f"-o log_path={mail_root}/dovecot.log -o info_log_path={mail_root}/dovecot.log\n")
        script.chmod(0o755)
        self.port = free_port()
        self.log = open(folder / "socat.log", "wb")
        self.process = subprocess.Popen(
            ["socat", f"TCP-LISTEN:{self.port},bind=127.0.0.1,reuseaddr,fork", f"EXEC:{script}"],
            stdout=self.log, stderr=subprocess.STDOUT)
        clock.wait_for(lambda: self.process.poll() is not None or accepts(self.port), 10,
                       "the IMAP server listens")
        if self.process.poll() is not None:
            raise Failure(f"socat ended at once: {(folder / 'socat.log').read_text()}")

    def deliver(self, message, box=""):
        """Puts a message (bytes) into the Inbox, or another folder (".Sent"),
        as a mail server delivering it would: written in tmp, moved to new."""
        name = f"{time.time():.6f}.{os.getpid()}.{next(_counter)}.e2e"
        tmp = self.maildir / box / "tmp" / name
        tmp.write_bytes(message)
        if self.user:
            shutil.chown(tmp, self.user, self.user)
        tmp.rename(self.maildir / box / "new" / name)

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=10)
        self.log.close()
        if (self.mail_root / "dovecot.log").exists():
            shutil.copy(self.mail_root / "dovecot.log", self.folder / "dovecot.log")


_counter = itertools.count(1)


class SmtpServer:
    """aiosmtpd filing every message it receives in a Maildir, with its
    envelope in X-MailFrom and X-RcptTo."""

    def __init__(self, folder, clock):
        self.maildir = folder / "received"
        self.port = free_port()
        self.log = open(folder / "smtp.log", "wb")
        self.process = subprocess.Popen(
            [PYTHON, "-m", "aiosmtpd", "-n", "-l", f"127.0.0.1:{self.port}",
             "-c", "aiosmtpd.handlers.Mailbox", str(self.maildir)],
            stdout=self.log, stderr=subprocess.STDOUT)
        clock.wait_for(lambda: self.process.poll() is not None or accepts(self.port), 15,
                       "the SMTP server listens")
        if self.process.poll() is not None:
            raise Failure(f"aiosmtpd ended at once: {(folder / 'smtp.log').read_text()}")

    def messages(self):
        """Every message received so far, oldest first, parsed."""
        found = []
        for sub in ("new", "cur"):
            folder = self.maildir / sub
            if folder.is_dir():
                found += [p for p in folder.iterdir() if p.is_file()]
        found.sort(key=lambda p: p.stat().st_mtime_ns)
        return [email.message_from_bytes(p.read_bytes(), policy=email.policy.default) for p in found]

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=10)
        self.log.close()


