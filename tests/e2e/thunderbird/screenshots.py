"""The README's pictures of Chasewell in Thunderbird, made on a real X server
(Xvfb with the openbox window manager, for frames and stacking): Thunderbird
itself, not headless, on the harness's profile and servers, with the real
Chasewell host.

    screenshots.py XPI HOST DOCS_FOLDER [WORK_FOLDER]

(WORK_FOLDER, kept afterwards: the profile, the servers' and the host's logs)

writes DOCS_FOLDER/thunderbird-compose.png (a compose window with the Send
With Reminder button) and DOCS_FOLDER/thunderbird-alarm.png (an alarm window
of the host in front of Thunderbird's main window). Made on request
(scripts/thunderbird-screenshots.sh), never by CI.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time
from datetime import datetime, timedelta, timezone
from email.message import EmailMessage
from email.utils import format_datetime, make_msgid
from pathlib import Path

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402
import xserver  # noqa: E402
from harness import Failure, Harness, log  # noqa: E402
from real_round import HostFiles  # noqa: E402

SIZE = (1280, 800)
# A few messages in the Inbox, so that the main window looks like a working
# day's: (from, subject, hours ago, text).
INBOX = [
    ("Lee Park <lee@example.com>", "Room booking for the review", 30, "The big room is ours on Thursday."),
    ("Kim Ito <kim@example.com>", "Contract draft, second round", 26, "Here is the draft with my notes."),
    ("Sam Reyes <sam@example.com>", "Re: Travel plans", 20, "Booked, see you in Lyon."),
    ("Ana Costa <ana@example.com>", "Lunch on Friday?", 5, "The new place round the corner?"),
    ("Pat Jones <pat@example.com>", "Figures for the board", 2, "Attached are the last quarter's figures."),
]
# One To recipient (CC recipients get no reminder here): one alarm window of
# its own rather than the grouped one.
TO = ["Pat Jones <pat@example.com>"]
CC = ["Sam Reyes <sam@example.com>", "Lee Park <lee@example.com>"]
SUBJECT = "Budget for 2027"
BODY = "Hi Pat,\n\ncould you send me your department's figures for 2027 by Friday?\n\nThanks,\nRobin\n"


def settle(seconds=1.0):
    """Time for Thunderbird and the window manager to finish drawing: there is
    nothing to wait on for that, and a picture is made once, on request."""
    time.sleep(seconds)


def inbox_message(sender, subject, hours_ago, text):
    message = EmailMessage()
    message["From"] = sender
    message["To"] = "Robin User <robin@example.com>"
    message["Subject"] = subject
    message["Date"] = format_datetime(datetime.now(timezone.utc) - timedelta(hours=hours_ago))
    message["Message-ID"] = make_msgid(domain="example.com")
    message.set_content(text + "\n")
    return bytes(message)


def prepare(h):
    HostFiles(h).set(Remove=1, IgnoreCCRecipients=1, Days=0, UseNow=1, DisplayNext=0)
    with open(h.profile / "user.js", "a") as prefs:
        # The classic layout: the message list, as a table, above the message.
        prefs.write('user_pref("mail.pane_config.dynamic", 0);\n')
        prefs.write('user_pref("mail.threadpane.listview", 1);\n')
    for message in INBOX:
        h.imap.deliver(inbox_message(*message))


def newest_in_inbox(h):
    return max(h.driver.call("messagesIn", accountId=harness.ACCOUNT, path="/INBOX"), key=lambda m: m["date"])


def grab(x, window, path):
    """The window with its frame, as a picture."""
    subprocess.run(["import", "-display", x.display, "-frame", "-window", window, str(path)], check=True,
                   timeout=60)
    log(f"wrote {path}")


def make(xpi, host, docs, work):
    docs.mkdir(parents=True, exist_ok=True)
    (work / "x").mkdir(parents=True)
    x = xserver.XServer(work / "x", harness.Clock(), size=f"{SIZE[0]}x{SIZE[1]}")
    window_manager = subprocess.Popen(["openbox"], env={**os.environ, "DISPLAY": x.display},
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        h = Harness(work / "round", xpi, host=host, host_env=x.environment(), headless=False, prepare=prepare)
        with h:
            x.wait_window(r"Inbox - .* - Mozilla Thunderbird", 30, "Thunderbird's main window")
            h.clock.wait_for(lambda: len(h.driver.call("messagesIn", accountId=harness.ACCOUNT, path="/INBOX"))
                             == len(INBOX), 30, "the Inbox lists its messages")
            h.driver.call("showFolder", accountId=harness.ACCOUNT, path="/INBOX")
            h.driver.call("select", messageIds=[newest_in_inbox(h)["headerMessageId"]])

            tab = h.driver.call("beginNew", to=TO, cc=CC, subject=SUBJECT, plainTextBody=BODY, isPlainText=True)
            compose = x.wait_window(f"Write: {SUBJECT} - Thunderbird", 30, "the compose window")
            subprocess.run(["xdotool", "windowsize", compose, "820", "520", "windowmove", compose, "60", "60"],
                           env={**os.environ, "DISPLAY": x.display}, check=True)
            settle()
            grab(x, compose, docs / "thunderbird-compose.png")

            # Due at once (Days 0, UseNow 1): the alarm comes up as it is sent.
            h.driver.call("sendWithReminder", tabId=tab["id"])
            x.wait_window(r"Chasewell Alarm for .*", 30, "the alarm window")
            x.wait_gone(compose, 30, "the compose window closes once sent")
            settle(2.0)
            x.screenshot(docs / "thunderbird-alarm.png")
            log(f"wrote {docs / 'thunderbird-alarm.png'}")
    finally:
        window_manager.terminate()
        window_manager.wait(timeout=10)
        x.stop()


def main():
    xpi, host, docs = sys.argv[1], Path(sys.argv[2]).resolve(), Path(sys.argv[3]).resolve()
    kept = len(sys.argv) > 4
    work = Path(sys.argv[4]).resolve() if kept else Path(tempfile.mkdtemp(prefix="chasewell-pictures-"))
    if work.exists():
        shutil.rmtree(work)
    try:
        make(xpi, host, docs, work)
    except Failure as failure:
        log(f"FAILED: {failure} (the logs are in {work})")
        return 1
    if not kept:
        shutil.rmtree(work)
    return 0


if __name__ == "__main__":
    sys.exit(main())
