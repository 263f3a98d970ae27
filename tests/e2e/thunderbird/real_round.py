"""The add-in hosted in the real Thunderbird, end to end: headless Thunderbird
with real IMAP and SMTP servers (the harness), the extension, and the real
Chasewell host with the real add-in, whose windows show on a real X server
(Xvfb) where the round presses their keys as a user would.

  (a) Send With Reminder to two To and one CC recipient: the SMTP server gets
      the message, the data file one reminder per To recipient with the sent
      copy's ids; with IgnoreCCRecipients 0 a second message gets three;
  (b) with Remove 1 a genuine reply ends its sender's reminder only, an
      out-of-office reply ends nothing, and a reply under a new subject whose
      In-Reply-To names the sent message ends its sender's reminder (the add-in
      asks Thunderbird for the sent copy through findMessage);
  (c) Add Reminders on a message selected in Sent: the details window comes up
      modally and is closed with its key;
  (d) in the host's Pending Reminders window a row is selected and View
      Original (Alt+V) opens the sent message in Thunderbird, Create Email
      (Alt+C) a forward to the recipient with the plain subject;
  (e) Thunderbird quits (the host exits 0 within about a second, the data file
      stays byte for byte) and starts again: the host loads every reminder and
      View Original opens each original;
  (f) a reminder due at once (Days 0, UseNow 1) brings up its alarm window,
      whose Dismiss deletes it.

    real_round.py XPI HOST WORK_FOLDER

Exit 0 when every step passed, 1 when one failed (it says which), 77 when this
machine lacks Thunderbird, a server or the X server (never under CI=true).
"""
import os
import shutil
import sys
import time
import traceback
from collections import Counter
from pathlib import Path

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402
import xserver  # noqa: E402
from harness import ACCOUNT, Failure, Harness, log  # noqa: E402

TO = ["Pat Jones <pat@example.com>", "sam@example.com"]
CC = ["Lee Park <lee@example.com>"]
SENT = f"{ACCOUNT}/Sent"  # the host's entry id of the account's Sent folder
# "Within about a second" from Thunderbird closing the port to the host's exit.
HOST_EXIT_SECONDS = 1.5


def check(condition, what):
    if not condition:
        raise Failure(what)


def address(text):
    return text.split("<")[-1].rstrip(">").strip().lower()


def message_id(message):
    return str(message["Message-ID"]).strip().strip("<>")


class HostFiles:
    """The host's data folder and settings file under the round's $HOME."""

    def __init__(self, h):
        self.folder = h.home / ".local" / "share" / "Chasewell"
        self.data_file = self.folder / "ChasewellData.txt"
        self.log_file = self.folder / "Chasewell.log"
        self.settings_file = h.home / ".config" / "TandrelSoftware.ini"

    def data(self):
        return self.data_file.read_bytes() if self.data_file.exists() else b""

    def reminders(self):
        """The data file's reminders in order, each its fields by name."""
        return [dict(field.split(": ", 1) for field in line.split("|"))
                for line in self.data().decode("utf-8").split("\r\n") if line]

    def log(self):
        return self.log_file.read_text(errors="replace") if self.log_file.exists() else ""

    def traces(self, procedure):
        """The messages of the log's trace lines of one procedure, in order."""
        marker = f" TRACE Chasewell {procedure}: "
        return [line.split(marker, 1)[1] for line in self.log().splitlines() if marker in line]

    def set(self, **values):
        """Sets keys of the [Chasewell] section and keeps every other line
        (the add-in keeps keys of its own there); the file is replaced in one
        step, since the add-in reads it afresh whenever it needs a setting."""
        lines = self.settings_file.read_text().splitlines() if self.settings_file.exists() else []
        if "[chasewell]" not in (line.strip().lower() for line in lines):
            lines.append("[Chasewell]")
        start = next(i for i, line in enumerate(lines) if line.strip().lower() == "[chasewell]") + 1
        end = next((i for i in range(start, len(lines)) if lines[i].lstrip().startswith("[")), len(lines))
        for key, value in values.items():
            line = f"{key}={value}"
            same = [i for i in range(start, end) if lines[i].split("=", 1)[0].strip().lower() == key.lower()]
            if same:
                lines[same[0]] = line
            else:
                lines.insert(end, line)
                end += 1
        self.settings_file.parent.mkdir(parents=True, exist_ok=True)
        scratch = self.settings_file.with_name(self.settings_file.name + ".round")
        scratch.write_text("\n".join(lines) + "\n")
        os.replace(scratch, self.settings_file)


def reply(sender, subject, in_reply_to, automatic=False):
    return bytes(harness.reply_message(sender, subject, in_reply_to, automatic))


def round_(h, x):
    files = HostFiles(h)
    driver, tap = h.driver, h.tap

    def reminders_of(message):
        return sorted(r["EmailAddress"] for r in files.reminders() if r["EntryId"] == message)

    def wait_reminders(what, predicate, timeout=30):
        return h.clock.wait_for(lambda: predicate(files.reminders()), timeout, what)

    def wait_named(message, subject):
        """Until the reminders of a message sent with a reminder name its sent
        copy (they are made as it is sent, and get its ids as it is filed)."""
        wait_reminders(f"the reminders of {subject!r} name its sent copy",
                       lambda rows: any(r["EntryId"] == message for r in rows)
                       and all(r["EntryId"] == message for r in rows if r["Subject"] == subject))

    def after(mark, way, kind, where=lambda m: True):
        """The messages of that way and kind the tap got from position mark on."""
        return [b for _, w, b, _ in tap.received[mark:] if w == way and b.get("kind") == kind and where(b)]

    def windows_of_type(kind):
        return [w for w in driver.call("windows") if w.get("type") == kind]

    def new_windows(kind, before, count, what):
        return h.clock.wait_for(
            lambda: len(found := [w for w in windows_of_type(kind) if w["id"] not in before]) >= count and found,
            20, what)

    def shown_in(window):
        try:
            return [m["headerMessageId"] for m in driver.call("displayed", tabId=window["tabs"][0]["id"])]
        except Failure:
            return []  # the window has not shown its message yet

    def compose(subject, to, cc):
        tab = driver.call("beginNew", to=to, cc=cc, subject=subject, isPlainText=True,
                          plainTextBody=f"About {subject}: could you answer by Friday?")
        h.clock.wait_for(lambda: any(m["tabId"] == tab["id"] for m in tap.messages("toHost", "composeOpen")), 15,
                         "composeOpen of the new compose window reaches the host")
        return tab

    def delivered(subject, to, cc, mark, tab):
        """The message the SMTP server received from position mark on, its
        envelope checked, once its sent copy reached the host."""
        received = h.clock.wait_for(lambda: h.smtp.messages()[mark:], 60, f"the SMTP server receives {subject!r}")
        check(len(received) == 1, f"the SMTP server got {len(received)} messages for {subject!r}")
        sent = received[0]
        envelope = sorted(r.strip().lower() for r in sent["X-RcptTo"].split(","))
        check(envelope == sorted(address(a) for a in to + cc), f"the SMTP envelope of {subject!r}: {envelope}")
        check(str(sent["Subject"]) == subject, f"the SMTP subject: {sent['Subject']!r}")
        h.clock.wait_for(lambda: [m for m in tap.messages("toHost", "sentCopy")
                                  if m["message"]["messageId"] == message_id(sent) and m["tabId"] == tab["id"]],
                         30, f"the sent copy of {subject!r} reaches the host")
        return message_id(sent)

    def send_with_reminder(subject, to, cc):
        mark = len(h.smtp.messages())
        tab = compose(subject, to, cc)
        check(driver.call("sendWithReminder", tabId=tab["id"]) is True, "the Send With Reminder button was not taken")
        return delivered(subject, to, cc, mark, tab)

    def check_reminders(message, subject, addresses):
        for r in files.reminders():
            if r["EntryId"] == message:
                check(r["StoreId"] == SENT and r["Subject"] == subject,
                      f"the reminder for {r['EmailAddress']} about {subject!r}: {r}")
        check(reminders_of(message) == sorted(addresses),
              f"reminders of {subject!r}: {reminders_of(message)}, not {sorted(addresses)}")

    def pending_reminders_window():
        """View Reminders from Thunderbird; the host's window on the X server."""
        driver.call("viewReminders")
        return x.wait_window(r"Pending Reminders \(Next Reminder: .*\)", 20, "the Pending Reminders window shows")

    def click_grid(window):
        """A click into the list's empty part below the rows (it takes the
        keyboard and selects nothing): the list fills the window's right
        side down to its bottom."""
        _, _, width, height = x.geometry(window)
        x.click(window, width - 40, height - 30)

    def open_originals(window, expected):
        """Presses View Original (Alt+V) with rows selected; every selected
        reminder's message opens in a message window of Thunderbird."""
        mark = len(tap.received)
        before = {w["id"] for w in windows_of_type("messageDisplay")}
        x.keys(window, "alt+v")
        requests = h.clock.wait_for(lambda: len(r := after(mark, "toExtension", "openMessage")) >= len(expected) and r,
                                    30, f"{len(expected)} openMessage requests from View Original")
        check(sorted(r["message"]["messageId"] for r in requests) == sorted(expected),
              f"View Original asked for {[r['message'] for r in requests]}")
        ids = {r["id"] for r in requests}
        replies = h.clock.wait_for(lambda: len(r := after(mark, "toHost", "reply", lambda m: m["id"] in ids)) == len(ids)
                                   and r, 30, "Thunderbird answers every openMessage")
        check(all(r["ok"] for r in replies), f"openMessage failed: {replies}")
        opened = h.clock.wait_for(
            lambda: len(new := [w for w in windows_of_type("messageDisplay") if w["id"] not in before]) >= len(expected)
            and all(shown_in(w) for w in new) and new, 20, "the message windows show their messages")
        shown = Counter(m for w in opened for m in shown_in(w))
        check(shown == Counter(expected), f"the message windows show {dict(shown)}, not {dict(Counter(expected))}")
        for w in opened:
            driver.call("closeWindow", windowId=w["id"])

    def close_window(window):
        x.keys(window, "alt+x")
        x.wait_gone(window, 10, "the host's window closes with Alt+X")

    def host_exited(what):
        connection = max(n for n, *_ in tap.received)
        closed, exited, code = tap.ends(connection)
        check(closed is not None and exited is not None, f"{what}: the port closed at {closed}, the host exited at {exited}")
        check(code == 0, f"{what}: the host exited with {code}")
        check(exited - closed <= HOST_EXIT_SECONDS,
              f"{what}: the host exited {exited - closed:.2f} s after Thunderbird closed its port")
        log(f"{what}: the host exited 0, {exited - closed:.2f} s after Thunderbird closed its port")

    # -- (a) ----------------------------------------------------------------
    with h.step("(a) Send With Reminder to two To and one CC: delivered, a reminder per To recipient"):
        budget = send_with_reminder("Budget", TO, CC)
        wait_named(budget, "Budget")
        check_reminders(budget, "Budget", ["pat@example.com", "sam@example.com"])
        check(len(files.reminders()) == 2, f"the data file: {files.reminders()}")

    with h.step("(a) with IgnoreCCRecipients 0 a second message gets three reminders"):
        files.set(IgnoreCCRecipients=0)
        schedule = send_with_reminder("Schedule", TO, CC)
        wait_named(schedule, "Schedule")
        check_reminders(schedule, "Schedule", ["lee@example.com", "pat@example.com", "sam@example.com"])
        check_reminders(budget, "Budget", ["pat@example.com", "sam@example.com"])

    # -- (b) ----------------------------------------------------------------
    with h.step("(b) a genuine reply ends its sender's reminder of that message only"):
        h.imap.deliver(reply("Pat Jones <pat@example.com>", "RE: Budget", budget))
        wait_reminders("pat's reminder of Budget ends", lambda rows: "pat@example.com" not in reminders_of(budget),
                       timeout=60)
        check_reminders(budget, "Budget", ["sam@example.com"])
        check_reminders(schedule, "Schedule", ["lee@example.com", "pat@example.com", "sam@example.com"])
        check(f"Found email: reminder removed by the thread rule (subject 'Budget', the reply names <{budget}>)"
              in files.traces("ItemAddedToInbox"), "the log does not say which rule ended the reminder")

    with h.step("(b) an out-of-office reply ends nothing"):
        before = files.data()
        line = "Automatic reply, not an answer (auto-submitted: auto-replied): no reminder is removed"
        h.imap.deliver(reply("sam@example.com", "Automatic reply: Budget", budget, automatic=True))
        h.clock.wait_for(lambda: line in files.traces("ItemAddedToInbox"), 60,
                         "the host takes the out-of-office reply as an automatic one")
        check(files.data() == before, f"the out-of-office reply changed the data file: {files.reminders()}")

    with h.step("(b) a reply under a new subject naming the sent message ends its sender's reminder"):
        mark = len(tap.received)
        h.imap.deliver(reply("Lee Park <lee@example.com>", "Numbers you asked for", schedule))
        wait_reminders("lee's reminder of Schedule ends",
                       lambda rows: "lee@example.com" not in reminders_of(schedule), timeout=60)
        check_reminders(schedule, "Schedule", ["pat@example.com", "sam@example.com"])
        check_reminders(budget, "Budget", ["sam@example.com"])
        asked = after(mark, "toExtension", "findMessage", lambda m: m["message"]["messageId"] == schedule)
        check(asked, "the add-in did not ask Thunderbird for the sent message")
        answers = after(mark, "toHost", "reply", lambda m: m["id"] == asked[0]["id"])
        check(answers and answers[0]["ok"] and answers[0]["found"] is True, f"findMessage's answer: {answers}")
        check(f"Found email: reminder removed by the thread rule (subject 'Schedule', the reply names <{schedule}>)"
              in files.traces("ItemAddedToInbox"), "the log does not name the thread rule")

    # -- (c) ----------------------------------------------------------------
    with h.step("(c) Add Reminders on a message in Sent; the details window is closed with Alt+X"):
        mark = len(h.smtp.messages())
        tab = compose("Contract", ["kim@example.com"], [])
        driver.call("send", tabId=tab["id"])  # Thunderbird's own Send: no reminder
        contract = delivered("Contract", ["kim@example.com"], [], mark, tab)
        check(reminders_of(contract) == [], "a message sent without a reminder got one")
        mark = len(tap.received)
        driver.call("showFolder", accountId=ACCOUNT, path="/Sent")

        def selected():
            try:
                return driver.call("select", messageIds=[contract])
            except Failure:
                return None  # Thunderbird has not listed the new copy in Sent yet
        h.clock.wait_for(selected, 30, "the sent message is selected in Sent")
        driver.call("addReminders")
        details = x.wait_window("Chasewell Created", 20, "the details window shows")
        command = after(mark, "toHost", "command", lambda m: m["command"] == "addReminders")
        check([m["messageId"] for m in command[0]["messages"]] == [contract], f"Add Reminders: {command}")
        check(reminders_of(contract) == [], "the reminders came before the details window closed")
        close_window(details)
        wait_reminders("the reminder of Contract", lambda rows: reminders_of(contract))
        check_reminders(contract, "Contract", ["kim@example.com"])
        check(len(files.reminders()) == 4, f"the data file: {files.reminders()}")

    # -- (d) ----------------------------------------------------------------
    with h.step("(d) View Original (Alt+V) on a row of the Pending Reminders window"):
        first = files.reminders()[0]
        window = pending_reminders_window()
        click_grid(window)
        x.keys(window, "Home")  # the first row
        open_originals(window, [first["EntryId"]])

    with h.step("(d) Create Email (Alt+C): a forward to the recipient with the plain subject"):
        mark = len(tap.received)
        before = {w["id"] for w in windows_of_type("messageCompose")}
        x.keys(window, "alt+c")
        request = h.clock.wait_for(lambda: after(mark, "toExtension", "compose"), 20, "the compose request")[0]
        check(request["to"] == [first["EmailAddress"]] and request["subject"] == first["Subject"]
              and request["original"]["messageId"] == first["EntryId"], f"Create Email asked for {request}")
        opened = new_windows("messageCompose", before, 1, "a compose window opens")
        check(len(opened) == 1, f"{len(opened)} compose windows opened")
        details = driver.call("composeDetails", tabId=opened[0]["tabs"][0]["id"])
        check([address(a) for a in details["to"]] == [first["EmailAddress"]], f"the compose window's To: {details['to']}")
        check(details["subject"] == first["Subject"], f"the compose window's subject: {details['subject']!r}")
        check(details.get("type") == "forward", f"the compose window is a {details.get('type')}, not a forward")
        body = (details.get("plainTextBody") or "") + (details.get("body") or "")
        check("Forwarded Message" in body, f"the compose window forwards nothing: {body[:300]!r}")
        driver.call("closeWindow", windowId=opened[0]["id"])
        close_window(window)

    # -- (e) ----------------------------------------------------------------
    before = files.data()
    expected = files.reminders()
    h.stop_thunderbird()
    with h.step("(e) Thunderbird quit: the host exited 0 at once, the data file unchanged"):
        host_exited("the first quit")
        check(files.data() == before, "the host's shutdown changed the data file")
    h.start_thunderbird()
    with h.step("(e) after the restart the host loaded every reminder; the data file is byte-identical"):
        loaded = f"Reminder data loaded ({len(expected)} items).  File found at {files.data_file}"
        h.clock.wait_for(lambda: loaded in files.traces("Chasewell.CReminderItems.LoadData"), 20,
                         f"the log says {loaded!r}")
        check(files.data() == before, "the data file changed across the restart")

    with h.step("(e) View Original still opens each original (every row, Ctrl+A, Alt+V)"):
        window = pending_reminders_window()
        click_grid(window)
        x.keys(window, "ctrl+a")
        open_originals(window, [r["EntryId"] for r in expected])
        close_window(window)
        check(files.data() == before, "the data file changed though no reminder did")

    # -- (f) ----------------------------------------------------------------
    with h.step("(f) a reminder due at once (Days 0, UseNow 1) brings up its alarm window"):
        files.set(Days=0, UseNow=1)
        loads = len(files.traces("frmRemind.Form_Load"))
        lunch = send_with_reminder("Lunch", ["ana@example.com"], [])
        alarm = x.wait_window(r"Chasewell Alarm.*", 20, "the alarm window shows on the X server")
        ana = wait_reminders("the reminder of Lunch", lambda rows: [r for r in rows if r["EntryId"] == lunch])[0]
        check(x.title(alarm) == "Chasewell Alarm for " + ana["ReminderDate"], f"the alarm's title: {x.title(alarm)!r}")
        h.clock.wait_for(lambda: len(files.traces("frmRemind.Form_Load")) > loads, 10,
                         "the log has frmRemind.Form_Load")

    with h.step("(f) Dismiss (Alt+D) in the alarm window deletes the reminder"):
        wait_reminders("the reminder of Lunch names its sent copy", lambda rows: reminders_of(lunch))
        x.press_until(alarm, "alt+d", lambda: not x.windows(r"Chasewell Alarm.*"), 20,
                      "the alarm window takes Alt+D and closes")
        wait_reminders("the reminder of Lunch is deleted", lambda rows: not reminders_of(lunch))
        check(files.reminders() == expected, f"the data file: {files.reminders()}")
        check("A reminder was dismissed and deleted.  Email: ana@example.com"
              in files.traces("frmRemind.cmdDismiss_Click"), "the log does not say the reminder was dismissed")

    pending_reminders_window()
    h.stop_thunderbird()
    with h.step("Thunderbird quit with a window of the host open: the host exited 0 at once"):
        host_exited("the last quit")
        x.clock.wait_for(lambda: not x.windows(".+"), 10, "the host's windows are gone")

    with h.step("no error report in the log, no notice to Thunderbird"):
        errors = [line for line in files.log().splitlines() if " ERROR " in line]
        check(not errors, "the log has error reports:\n" + "\n".join(errors))
        notices = tap.messages("toExtension", "notice")
        check(not notices, f"the host told Thunderbird: {notices}")


def run(xpi, host, work):
    began = time.monotonic()
    if work.exists():
        shutil.rmtree(work)
    (work / "x").mkdir(parents=True)
    x = h = None
    outcome = 1
    try:
        x = xserver.XServer(work / "x", harness.Clock())
        h = Harness(work / "round", xpi, host=host, host_env=x.environment(),
                    prepare=lambda h: HostFiles(h).set(Remove=1, IgnoreCCRecipients=1, Days=7, UseNow=0,
                                                       DisplayNext=0, DisplayIndividualReminders=0))
        with h:
            round_(h, x)
        outcome = 0
    except Failure as failure:
        log(f"FAILED: {failure}")
    except Exception:
        log("FAILED: the harness itself broke:\n" + traceback.format_exc())
    finally:
        if x:
            x.stop()
    if h:
        print("\nTimings of the round with the Chasewell host (this machine):\n" + h.timing_report(), flush=True)
    print(f"{time.monotonic() - began:6.1f} s  the whole round", flush=True)
    if outcome and h:
        host_log = HostFiles(h).log_file
        if host_log.exists():
            print(f"--- {host_log} (last lines)\n" + "\n".join(host_log.read_text(errors="replace").splitlines()[-40:]))
        for log_file in sorted(h.work.glob("thunderbird-*.log")):
            print(f"--- {log_file} (last lines)\n" + "\n".join(log_file.read_text(errors="replace").splitlines()[-40:]))
    return outcome


def main():
    xpi, host, work = sys.argv[1], Path(sys.argv[2]).resolve(), Path(sys.argv[3]).resolve()
    harness.skip_or_fail_when_missing(extra=xserver.missing_tools())
    return run(xpi, host, work)


if __name__ == "__main__":
    sys.exit(main())
