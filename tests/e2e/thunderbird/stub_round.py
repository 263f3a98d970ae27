"""The harness proved against the real Thunderbird with the stub host: the
extension connects and says hello with the account's folders; a message
composed to two To and one CC recipient and sent with Send With Reminder
reaches the SMTP server and gives itemSend and sentCopy with the raw subject
and the recipients; replies dropped into the IMAP Inbox give newMail with
their headers; openMessage and compose open the right windows; Add Reminders
on a message selected in Sent; findMessage; and all of it again after
Thunderbird restarts on the same profile.

    stub_round.py XPI WORK_FOLDER

Exit 0 when every step passed, 1 when one failed (it says which), 77 when
this machine lacks Thunderbird or a server (never under CI=true).
"""
import sys
import time
import traceback
from pathlib import Path

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402
from harness import ACCOUNT, Failure, Harness, log  # noqa: E402

SUBJECT = "Re: Budget für 2027"  # a reply's subject, with a letter outside ASCII
PLAIN = "Budget für 2027"
TO = ["Pat Jones <pat@example.com>", "sam@example.com"]
CC = ["Lee Park <lee@example.com>"]


def check(condition, what):
    if not condition:
        raise Failure(what)


def address(text):
    return text.split("<")[-1].rstrip(">").strip().lower()


def reply_from(sender, original_id, subject, automatic=False):
    return harness.reply_message(sender, subject, original_id, automatic)


def windows_of_type(h, kind):
    return [w for w in h.driver.call("windows") if w.get("type") == kind]


def accounts_complete(h, connection):
    """The account's Inbox and Sent as the host last heard them on this
    connection (a new profile finds its IMAP folders after hello)."""
    said = [m["accounts"] for m in h.stub.messages("hello", connection)]
    said += [m["accounts"] for m in h.stub.messages("accounts", connection)]
    for accounts in reversed(said):
        account = next(a for a in accounts if a["id"] == ACCOUNT)
        if account["inbox"] and account["sent"]:
            return account
    return None


def round_(h):
    stub = h.stub
    driver = h.driver

    with h.step("hello with the account's Inbox and Sent"):
        hello = stub.wait_message("hello", 10, "hello")
        check(hello["protocol"] == harness.PROTOCOL.version, f"hello's protocol: {hello}")
        check(hello["extension"] == "3.0.184", f"hello's extension version: {hello['extension']}")
        first = next(a for a in hello["accounts"] if a["id"] == ACCOUNT)
        log("hello named the Inbox and Sent" if first["inbox"] and first["sent"] else
            "hello named no Inbox or Sent yet (a new profile finds its IMAP folders after it started)")
        account = h.clock.wait_for(lambda: accounts_complete(h, 1), 30, "the account's Inbox and Sent reach the host")
        check(account["inbox"]["path"] == "/INBOX" and account["inbox"]["type"] == "inbox", f"Inbox: {account}")
        check(account["sent"]["path"] == "/Sent" and account["sent"]["type"] == "sent", f"Sent: {account}")
        check(hello["folder"] is None or hello["folder"]["accountId"] == ACCOUNT, f"hello's folder: {hello['folder']}")

    with h.step("compose to two To and one CC recipient"):
        tab = driver.call("beginNew", to=TO, cc=CC, subject=SUBJECT,
                          plainTextBody="Could you look at the figures by Friday?", isPlainText=True)
        opened = stub.wait_message("composeOpen", 15, "composeOpen for the new compose window",
                                   where=lambda m: m["tabId"] == tab["id"])
        check(opened["details"] is None or opened["details"]["to"] == TO, f"composeOpen: {opened}")
        log("composeOpen " + ("carried the window's details" if opened["details"] else "came before the window could be read"))

    with h.step("Send With Reminder: command, sendCompose, itemSend, the SMTP server, sentCopy"):
        mark = len(stub.received)
        check(driver.call("sendWithReminder", tabId=tab["id"]) is True, "the button was not taken")
        command = stub.wait_message("command", 10, "the command from the button", after=mark)
        check(command == {"kind": "command", "command": "sendWithReminder", "via": "button", "tabId": tab["id"]},
              f"command: {command}")
        # The host sends the window, as the add-in's send keystroke would.
        reply = stub.request("sendCompose", tabId=tab["id"], timeout=60)
        check(reply["ok"] is True, f"sendCompose: {reply}")
        item_send = stub.wait_message("itemSend", 5, "itemSend", after=mark)
        details = item_send["details"]
        check(item_send["tabId"] == tab["id"], f"itemSend's tab: {item_send}")
        check(details["to"] == TO and details["cc"] == CC and details["bcc"] == [], f"itemSend's recipients: {details}")
        check(details["subject"] == SUBJECT, f"itemSend's subject: {details['subject']!r}")
        check(harness.ADDRESS in details["from"], f"itemSend's from: {details['from']!r}")
        received = h.clock.wait_for(h.smtp.messages, 30, "the SMTP server receives the message")
        check(len(received) == 1, f"the SMTP server got {len(received)} messages")
        sent = received[0]
        envelope = sorted(r.strip().lower() for r in sent["X-RcptTo"].split(","))
        check(envelope == sorted(address(a) for a in TO + CC), f"SMTP envelope: {envelope}")
        check(str(sent["Subject"]) == SUBJECT, f"SMTP subject: {sent['Subject']!r}")
        copy = stub.wait_message("sentCopy", 30, "sentCopy", after=mark)["message"]
        check(copy["subject"] == SUBJECT, f"sentCopy's raw subject: {copy['subject']!r}")
        check(copy["folder"]["accountId"] == ACCOUNT and copy["folder"]["path"] == "/Sent", f"sentCopy's folder: {copy['folder']}")
        check(copy["folder"]["type"] == "sent", f"sentCopy's folder type: {copy['folder']}")
        check([address(a) for a in copy["to"]] == [address(a) for a in TO], f"sentCopy's To: {copy['to']}")
        check([address(a) for a in copy["cc"]] == [address(a) for a in CC], f"sentCopy's CC: {copy['cc']}")
        check(copy["messageId"] == str(sent["Message-ID"]).strip("<>"), f"sentCopy's Message-ID: {copy['messageId']}")
        check(abs(copy["date"] / 1000 - time.time()) < 600, f"sentCopy's date: {copy['date']}")
        check(copy["headers"].get("subject") == [SUBJECT], f"sentCopy's headers: {copy['headers']}")
        stub.wait_message("composeClose", 15, "composeClose", where=lambda m: m["tabId"] == tab["id"], after=mark)
        h.sent_copy = copy
        log(f"sentCopy: {copy['messageId']} {copy['subject']!r} to {copy['to']} cc {copy['cc']}")

    with h.step("a send the host cancels is not sent, and its compose window stays"):
        mark = len(stub.received)
        tab = driver.call("beginNew", to=["kim@example.com"], subject="Draft plans", plainTextBody="Not yet.",
                          isPlainText=True)
        driver.call("sendWithReminder", tabId=tab["id"])
        stub.wait_message("command", 10, "the command from the button", after=mark)
        stub.cancel_next_send = True
        reply = stub.request("sendCompose", tabId=tab["id"], timeout=60)
        check(reply["ok"] is False and reply["error"].startswith("The message was not sent: "), f"sendCompose: {reply}")
        check(len(stub.messages("itemSend")) == 2, "itemSend for the cancelled send")
        check(len(h.smtp.messages()) == 1, "the cancelled message reached the SMTP server")
        check(not [m for m in stub.received[mark:] if m[1].get("kind") in ("sentCopy", "composeClose")],
              "a cancelled send gave sentCopy or closed its window")
        check(any(w["tabs"][0]["id"] == tab["id"] for w in windows_of_type(h, "messageCompose")),
              "the compose window of the cancelled send is gone")
        window = next(w for w in windows_of_type(h, "messageCompose") if w["tabs"][0]["id"] == tab["id"])
        driver.call("closeWindow", windowId=window["id"])
        stub.wait_message("composeClose", 15, "composeClose", where=lambda m: m["tabId"] == tab["id"], after=mark)

    with h.step("a notice is shown; a message that does not fit the protocol is dropped and logged"):
        stub.send("notice", text="The reminders could not be saved: the disk is full.")
        stub.send("openMessage", id=77, message={"messageId": 42})
        h.clock.wait_for(lambda: "Chasewell: dropped a message from the host" in h.thunderbird_output(), 10,
                         "the log line of the dropped message")
        output = h.thunderbird_output()
        check('Chasewell: notice: The reminders could not be saved: the disk is full.' in output, "the notice")
        check("the notice could not be shown" not in output, "the notification failed: " + output[-2000:])
        check(driver.call("ping")["connected"], "the connection ended after a bad message")

    with h.step("replies in the IMAP Inbox: newMail with the raw subject and headers"):
        mark = len(stub.received)
        genuine = reply_from("Pat Jones <pat@example.com>", copy["messageId"], "RE: " + PLAIN)
        away = reply_from("sam@example.com", copy["messageId"], "Automatic reply: " + SUBJECT, automatic=True)
        h.imap.deliver(bytes(genuine))
        h.imap.deliver(bytes(away))
        mails = h.clock.wait_for(lambda: len(stub.messages("newMail")) >= 2 and stub.messages("newMail"), 90,
                                 "newMail for both replies")
        by_id = {m["message"]["messageId"]: m["message"] for m in mails}
        first = by_id[str(genuine["Message-ID"]).strip("<>")]
        second = by_id[str(away["Message-ID"]).strip("<>")]
        check(first["subject"] == "RE: " + PLAIN, f"newMail's raw subject: {first['subject']!r}")
        check(address(first["author"]) == "pat@example.com", f"newMail's author: {first['author']}")
        check(first["folder"]["type"] == "inbox" and first["folder"]["path"] == "/INBOX", f"newMail's folder: {first['folder']}")
        check(first["headers"].get("in-reply-to") == [f"<{copy['messageId']}>"], f"newMail's In-Reply-To: {first['headers']}")
        check("auto-submitted" not in first["headers"], f"a genuine reply is marked automatic: {first['headers']}")
        check(second["headers"].get("auto-submitted") == ["auto-replied"], f"Auto-Submitted: {second['headers']}")
        check(second["headers"].get("x-autoreply") == ["yes"], f"X-Autoreply: {second['headers']}")
        check(second["subject"] == "Automatic reply: " + SUBJECT, f"the automatic reply's subject: {second['subject']!r}")

    def reference():
        return {"messageId": h.sent_copy["messageId"], "folder": h.sent_copy["folder"]}

    def shown_in(window):
        try:
            return [m["headerMessageId"] for m in driver.call("displayed", tabId=window["tabs"][0]["id"])]
        except Failure:
            return None  # an empty message window

    def view_original(connection_label):
        with h.step(f"openMessage opens the sent message in a window ({connection_label})"):
            before = {w["id"] for w in windows_of_type(h, "messageDisplay")}
            reply = stub.request("openMessage", message=reference())
            check(reply == {"kind": "reply", "id": reply["id"], "ok": True}, f"openMessage: {reply}")

            def one_window_showing_it():
                new = [w for w in windows_of_type(h, "messageDisplay") if w["id"] not in before]
                if len(new) == 1 and shown_in(new[0]) == [h.sent_copy["messageId"]]:
                    return new[0]
                return None
            window = h.clock.wait_for(one_window_showing_it, 15, "one message window showing the sent message")
            shown = driver.call("displayed", tabId=window["tabs"][0]["id"])[0]
            log("the message window shows " + ("the message's text (its folder's copy is a stand-in)"
                                               if shown["external"] else "the message in its folder"))
            driver.call("closeWindow", windowId=window["id"])

    view_original("first run")

    with h.step("compose: a forward of the original to the recipient, or a new message when it is gone"):
        for original, kind in ((reference(), "forward"), ({"messageId": "gone@example.com", "folder": None}, "new")):
            before = {w["id"] for w in windows_of_type(h, "messageCompose")}
            reply = stub.request("compose", original=original, to=["pat@example.com"], subject=PLAIN)
            check(reply["ok"] is True, f"compose ({kind}): {reply}")
            window = h.clock.wait_for(
                lambda: [w for w in windows_of_type(h, "messageCompose") if w["id"] not in before], 15,
                f"a compose window opens ({kind})")[0]
            details = driver.call("composeDetails", tabId=window["tabs"][0]["id"])
            check([address(a) for a in details["to"]] == ["pat@example.com"], f"compose ({kind}) To: {details['to']}")
            check(details["subject"] == PLAIN, f"compose ({kind}) subject: {details['subject']!r}")
            body = (details.get("plainTextBody") or "") + (details.get("body") or "")
            forwarded = "Forwarded Message" in body
            check(forwarded == (kind == "forward"), f"compose ({kind}) body: {body[:300]!r}")
            check(details.get("type") == ("forward" if kind == "forward" else "new"), f"compose ({kind}) type: {details.get('type')}")
            driver.call("closeWindow", windowId=window["id"])

    with h.step("Add Reminders on the message selected in Sent"):
        mark = len(stub.received)
        driver.call("showFolder", accountId=ACCOUNT, path="/Sent")
        selected = driver.call("select", messageIds=[h.sent_copy["messageId"]])
        check(len(selected) == 1, f"selected: {selected}")
        driver.call("addReminders")
        command = stub.wait_message("command", 15, "the Add Reminders command", after=mark,
                                    where=lambda m: m["command"] == "addReminders")
        check([m["messageId"] for m in command["messages"]] == [h.sent_copy["messageId"]], f"addReminders: {command}")
        check(command["messages"][0]["subject"] == SUBJECT, f"addReminders' raw subject: {command['messages'][0]['subject']!r}")
        folder = stub.wait_message("folderSwitch", 10, "folderSwitch to Sent", after=mark)["folder"]
        check(folder["path"] == "/Sent" and folder["totalMessages"] == 1, f"folderSwitch: {folder}")

    with h.step("findMessage finds the sent message, and not a gone one"):
        found = stub.request("findMessage", message=reference())
        check(found["ok"] and found["found"] and found["message"]["subject"] == SUBJECT, f"findMessage: {found}")
        gone = stub.request("findMessage", message={"messageId": "gone@example.com"})
        check(gone["ok"] and gone["found"] is False and gone.get("message") is None, f"findMessage (gone): {gone}")

    h.restart_thunderbird()
    with h.step("after the restart: hello again, the folders known at once"):
        connections = sorted({n for n, _ in stub.received})
        latest = connections[-1]
        check(len(stub.messages("hello", latest)) == 1, "no hello on the new connection")
        check(accounts_complete(h, latest) is not None and stub.messages("hello", latest)[0]["accounts"][0]["inbox"],
              "the restarted Thunderbird's hello lacks the Inbox")
    view_original("after the restart")

    check(not stub.problems, "messages that do not fit protocol.json:\n" + "\n".join(stub.problems))


def program_round(h, record):
    """The way a real host is run: a program given by path behind the
    recording relay (here stub_host.py)."""
    with h.step("a host program given by path: its messages recorded both ways"):
        hello = h.clock.wait_for(lambda: h.tap.messages("toHost", "hello"), 10, "hello on its way to the program")[0]
        reply = h.clock.wait_for(lambda: h.tap.messages("toExtension", "reply"), 10, "the program's reply")[0]
        check(reply["id"] == hello["id"] and reply["ok"], f"the program's reply: {reply}")
        h.driver.call("showFolder", accountId=ACCOUNT, path="/Sent")
        h.clock.wait_for(lambda: h.tap.messages("toHost", "folderSwitch"), 10, "folderSwitch on its way")
        got = h.clock.wait_for(lambda: record.exists() and record.read_text().count("folderSwitch"), 10,
                               "the program records folderSwitch")
        check(got and '"problem": null' in record.read_text() and '"problem": "' not in record.read_text(),
              f"the program found a message that does not fit: {record.read_text()[:1000]}")


def run(name, h, body):
    began = time.monotonic()
    try:
        with h:
            body(h)
        outcome = 0
    except Failure as failure:
        log(f"FAILED: {failure}")
        outcome = 1
    except Exception:
        log("FAILED: the harness itself broke:\n" + traceback.format_exc())
        outcome = 1
    print(f"\nTimings of the {name} (this machine):\n" + h.timing_report(), flush=True)
    print(f"{time.monotonic() - began:6.1f} s  the whole {name}", flush=True)
    if outcome:
        for log_file in sorted(h.work.glob("thunderbird-*.log")):
            print(f"--- {log_file} (last lines)\n" + "\n".join(log_file.read_text(errors="replace").splitlines()[-40:]))
    return outcome


def main():
    xpi, work = sys.argv[1], Path(sys.argv[2])
    harness.skip_or_fail_when_missing()
    outcome = run("round with the stub host", Harness(work / "stub", xpi), round_)
    record = work / "program" / "stub-host-record.jsonl"
    program = Harness(work / "program", xpi, host=Path(__file__).resolve().parent / "stub_host.py",
                      host_env={"CHASEWELL_E2E_STUB_RECORD": str(record)})
    outcome |= run("round with a host program", program, lambda h: program_round(h, record))
    return outcome


if __name__ == "__main__":
    sys.exit(main())
