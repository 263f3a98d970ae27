// Thunderbird's events become the host's messages: compose windows opening,
// sending (waiting for the host) and closing, the sent copy, new mail in an
// Inbox, the folder shown, the accounts.

import assert from "node:assert/strict";
import { describe, it } from "node:test";

import { settle, agreed, startConnected, startOnFake } from "./fakeMessenger.mjs";

const DETAILS = {
    from: "Robin User <robin@example.com>",
    to: ["Pat Jones <pat@example.com>", "sam@example.com"],
    cc: "lee@example.com",
    bcc: [],
    subject: "Re: Budget",
};
const SENT_DETAILS = {
    from: "Robin User <robin@example.com>",
    to: ["Pat Jones <pat@example.com>", "sam@example.com"],
    cc: ["lee@example.com"],
    bcc: [],
    subject: "Re: Budget",
};

describe("compose windows", () => {
    it("open with what they hold, including those open when the host connects, and close", async () => {
        const { messenger, timers, port } = await startConnected();
        messenger.composeTabs.set(7, DETAILS);
        await messenger.tabs.onCreated.fire({ id: 7, type: "messageCompose" });
        await messenger.tabs.onCreated.fire({ id: 8, type: "mail" });
        await settle();
        assert.deepEqual(port.all("composeOpen"), [{ kind: "composeOpen", tabId: 7, details: SENT_DETAILS }]);
        await messenger.tabs.onRemoved.fire(7);
        await messenger.tabs.onRemoved.fire(8);
        assert.deepEqual(port.all("composeClose"), [{ kind: "composeClose", tabId: 7 }]);

        // A new host hears of the compose windows already open.
        messenger.composeTabs.delete(7);
        messenger.composeTabs.set(9, { to: "kim@example.com" });
        await port.hostEnds();
        await timers.advance(1000);
        const again = messenger.connectedPort();
        await again.hostSends({ kind: "reply", id: again.last("hello").id, ok: true, protocol: 1, host: "h" });
        assert.deepEqual(again.all("composeOpen"), [
            { kind: "composeOpen", tabId: 9, details: { from: "", to: ["kim@example.com"], cc: [], bcc: [], subject: "" } },
        ]);
    });

    it("open without details when the window cannot be read yet", async () => {
        const { messenger, port, logged } = await startConnected();
        await messenger.tabs.onCreated.fire({ id: 12, type: "messageCompose" });
        await settle();
        assert.deepEqual(port.last("composeOpen"), { kind: "composeOpen", tabId: 12, details: null });
        assert.ok(logged.includes("Chasewell: compose window 12 could not be read: Invalid compose tab ID: 12"));
    });

    it("leave out a recipient taken from the address book as an entry, and say so in the log", async () => {
        const { messenger, port, logged } = await startConnected();
        messenger.composeTabs.set(7, { to: ["pat@example.com", { id: "card1", type: "contact" }] });
        await messenger.tabs.onCreated.fire({ id: 7, type: "messageCompose" });
        await settle();
        assert.deepEqual(port.last("composeOpen").details.to, ["pat@example.com"]);
        assert.ok(logged.some((l) => l.includes('a recipient from the address book ({"id":"card1","type":"contact"})')));
    });
});

describe("sending", () => {
    async function sending() {
        const connected = await startConnected();
        const { messenger, port } = connected;
        messenger.composeTabs.set(7, DETAILS);
        const outcome = messenger.compose.onBeforeSend.fire({ id: 7, type: "messageCompose" }, DETAILS);
        await settle();
        return { ...connected, outcome, itemSend: port.last("itemSend") };
    }

    it("asks the host and waits for its answer, which may cancel the send", async () => {
        const { port, outcome, itemSend } = await sending();
        assert.deepEqual(itemSend, { kind: "itemSend", id: itemSend.id, tabId: 7, details: SENT_DETAILS });
        let done = false;
        outcome.then(() => (done = true));
        await settle();
        assert.equal(done, false, "the send waits for the host");
        await port.hostSends({ kind: "reply", id: itemSend.id, ok: true, cancel: true });
        assert.deepEqual(await outcome, { cancel: true });
    });

    it("goes on when the host lets it", async () => {
        const { port, outcome, itemSend, messenger } = await sending();
        await port.hostSends({ kind: "reply", id: itemSend.id, ok: true, cancel: false });
        assert.deepEqual(await outcome, {});
        assert.deepEqual(messenger.notified, []);
    });

    it("waits as long as the host may show its details window, then goes on without it", async () => {
        const { timers, outcome, messenger, logged } = await sending();
        await timers.advance(agreed.limits.sendTimeoutMs - 1);
        let done = false;
        outcome.then(() => (done = true));
        await settle();
        assert.equal(done, false);
        await timers.advance(1);
        assert.deepEqual(await outcome, {});
        assert.deepEqual(messenger.notified, [], "a plain Send needs no notice");
        assert.ok(logged.includes(`Chasewell: the host did not answer itemSend within ${agreed.limits.sendTimeoutMs} ms`));
    });

    it("tells a user who asked for reminders that none were made when the host does not answer", async () => {
        const connected = await startConnected();
        const { messenger, timers, port, chasewell } = connected;
        messenger.composeTabs.set(7, DETAILS);
        assert.equal(chasewell.commands.sendWithReminder(7, "button"), true);
        const outcome = messenger.compose.onBeforeSend.fire({ id: 7 }, DETAILS);
        await settle();
        assert.equal(port.all("itemSend").length, 1);
        await timers.advance(agreed.limits.sendTimeoutMs);
        assert.deepEqual(await outcome, {});
        assert.deepEqual(messenger.notified, ["The message is sent without reminders: Chasewell did not answer within 600 seconds."]);
    });

    it("goes on at once when the host is gone, and says so when reminders were asked for", async () => {
        const { messenger, port, chasewell } = await startConnected();
        chasewell.commands.sendWithReminder(7, "button");
        await port.hostEnds();
        assert.deepEqual(await messenger.compose.onBeforeSend.fire({ id: 7 }, DETAILS), {});
        assert.deepEqual(await messenger.compose.onBeforeSend.fire({ id: 8 }, DETAILS), {});
        assert.deepEqual(messenger.notified, [
            "The message is sent without reminders: Chasewell is not connected to Thunderbird.",
        ]);
    });

    it("gives the host the copy filed in Sent with its raw subject, recipients, date and headers", async () => {
        const { messenger, port } = await startConnected();
        const copy = messenger.addMessage("/Sent", {
            "Message-ID": "<budget-1@example.com>",
            Subject: "Re: Budget",
            From: "Robin User <robin@example.com>",
            To: "Pat Jones <pat@example.com>, sam@example.com",
            Cc: "lee@example.com",
            Bcc: "archive@example.com",
            Date: "2026-12-02T10:30:00Z",
            "In-Reply-To": "<budget-0@example.com>",
            References: "<budget-0@example.com>",
            "X-Mailer": "Thunderbird",
        });
        assert.equal(copy.subject, "Budget", "Thunderbird's own subject drops Re:");
        await messenger.compose.onAfterSend.fire(
            { id: 7 },
            { mode: "sendNow", headerMessageId: "budget-1@example.com", messages: [messenger.header(copy)] },
        );
        await settle();
        assert.deepEqual(port.last("sentCopy"), {
            kind: "sentCopy",
            tabId: 7,
            message: {
                messageId: "budget-1@example.com",
                folder: { accountId: "account1", path: "/Sent", name: "Sent", type: "sent", totalMessages: null },
                subject: "Re: Budget",
                author: "Robin User <robin@example.com>",
                date: Date.UTC(2026, 11, 2, 10, 30),
                to: ["Pat Jones <pat@example.com>", "sam@example.com"],
                cc: ["lee@example.com"],
                bcc: ["archive@example.com"],
                headers: {
                    "message-id": ["<budget-1@example.com>"],
                    subject: ["Re: Budget"],
                    from: ["Robin User <robin@example.com>"],
                    "in-reply-to": ["<budget-0@example.com>"],
                    references: ["<budget-0@example.com>"],
                },
            },
        });
    });

    it("gives nothing for a failed send or one filed nowhere", async () => {
        const { messenger, port, logged } = await startConnected();
        await messenger.compose.onAfterSend.fire({ id: 7 }, { mode: "sendNow", error: "SMTP refused", messages: [] });
        await messenger.compose.onAfterSend.fire({ id: 8 }, { mode: "sendNow", messages: [] });
        await settle();
        assert.equal(port.all("sentCopy").length, 0);
        assert.ok(logged.includes("Chasewell: the send in tab 7 failed: SMTP refused"));
        assert.ok(logged.includes("Chasewell: the message sent in tab 8 was filed nowhere"));
    });

    it("falls back to Thunderbird's subject when the headers cannot be read, and says so", async () => {
        const { messenger, port, logged } = await startConnected();
        const copy = messenger.addMessage("/Sent", { "Message-ID": "<x@example.com>", Subject: "Re: Plans" });
        messenger.store.length = 0; // gone from the store: getHeaders fails
        await messenger.compose.onAfterSend.fire({ id: 7 }, { mode: "sendNow", messages: [messenger.header(copy)] });
        await settle();
        assert.equal(port.last("sentCopy").message.subject, "Plans");
        assert.deepEqual(port.last("sentCopy").message.headers, {});
        assert.ok(logged.some((l) => l.startsWith("Chasewell: the headers of message x@example.com could not be read")));
    });
});

describe("new mail", () => {
    it("in an Inbox becomes one newMail per message, every page, with the raw subject and reply headers", async () => {
        const { messenger, port } = await startConnected({ pageSize: 2 });
        const arrived = [
            { "Message-ID": "<r1@example.com>", From: "pat@example.com", Subject: "RE: Budget", "In-Reply-To": "<budget-1@example.com>" },
            { "Message-ID": "<r2@example.com>", From: "sam@example.com", Subject: "Out of Office: Budget", "Auto-Submitted": "auto-replied", "X-Autoreply": "yes" },
            { "Message-ID": "<r3@example.com>", From: "lee@example.com", Subject: "Re: Re: Budget", References: ["<a@x>", "<b@x>"] },
        ].map((h) => messenger.addMessage("/INBOX", h));
        await messenger.messages.onNewMailReceived.fire(messenger.folder("/INBOX"), messenger.pagedList(arrived));
        await settle();
        const newMail = port.all("newMail").map((m) => m.message);
        assert.deepEqual(
            newMail.map((m) => [m.messageId, m.author, m.subject]),
            [
                ["r1@example.com", "pat@example.com", "RE: Budget"],
                ["r2@example.com", "sam@example.com", "Out of Office: Budget"],
                ["r3@example.com", "lee@example.com", "Re: Re: Budget"],
            ],
        );
        assert.deepEqual(newMail[0].headers["in-reply-to"], ["<budget-1@example.com>"]);
        assert.deepEqual(newMail[1].headers["auto-submitted"], ["auto-replied"]);
        assert.deepEqual(newMail[1].headers["x-autoreply"], ["yes"]);
        assert.deepEqual(newMail[2].headers.references, ["<a@x>", "<b@x>"]);
        assert.deepEqual(newMail[0].folder.type, "inbox");
    });

    it("in any other folder (a filter moved it) is no reply the host watches", async () => {
        const { messenger, port } = await startConnected();
        const message = messenger.addMessage("/Archive", { Subject: "RE: Budget" });
        await messenger.messages.onNewMailReceived.fire(messenger.folder("/Archive"), messenger.pagedList([message]));
        await settle();
        assert.equal(port.all("newMail").length, 0);
    });
});

describe("the main window", () => {
    it("tells the host the folder it shows, with its size", async () => {
        const { messenger, port } = await startConnected();
        messenger.addMessage("/Sent", { Subject: "a" });
        await messenger.mailTabs.onDisplayedFolderChanged.fire(messenger.mailTab, messenger.folder("/Sent"));
        await settle();
        assert.deepEqual(port.last("folderSwitch").folder, {
            accountId: "account1",
            path: "/Sent",
            name: "Sent",
            type: "sent",
            totalMessages: 1,
        });
        // Back to the mail tab from a compose window: its folder again, said
        // once however often Thunderbird reports it.
        await messenger.tabs.onActivated.fire({ tabId: 1 });
        await messenger.tabs.onActivated.fire({ tabId: 40 });
        await messenger.mailTabs.onDisplayedFolderChanged.fire(messenger.mailTab, messenger.mailTab.displayedFolder);
        await messenger.tabs.onActivated.fire({ tabId: 1 });
        await settle();
        assert.deepEqual(
            port.all("folderSwitch").map((m) => m.folder.path),
            ["/Sent", "/INBOX"],
        );
    });

    it("does not repeat the folder hello named", async () => {
        const { messenger, port } = await startConnected();
        await messenger.mailTabs.onDisplayedFolderChanged.fire(messenger.mailTab, messenger.folder("/INBOX"));
        await settle();
        assert.deepEqual(port.all("folderSwitch"), []);
    });

    it("tells the host the accounts again when a new profile has found its Inbox and Sent folder", async () => {
        const { messenger, timers } = startOnFake();
        const found = messenger.folderList.splice(0, 2); // not yet known when Thunderbird starts
        await settle();
        const port = messenger.connectedPort();
        assert.deepEqual(port.last("hello").accounts[0].inbox, null);
        await port.hostSends({ kind: "reply", id: port.last("hello").id, ok: true, protocol: 1, host: "h" });
        messenger.folderList.push(found[0]);
        await messenger.folders.onCreated.fire({ ...found[0] });
        messenger.folderList.push(found[1]);
        await messenger.folders.onCreated.fire({ ...found[1] });
        await messenger.folders.onCreated.fire({ accountId: "account1", path: "/Old", name: "Old", specialUse: [] });
        await settle();
        assert.deepEqual(
            port.all("accounts").map((m) => [m.accounts[0].inbox?.path ?? null, m.accounts[0].sent?.path ?? null]),
            [
                ["/INBOX", null],
                ["/INBOX", "/Sent"],
            ],
        );
        assert.deepEqual(timers.armed(), []);
    });

    it("tells the host the whole list of accounts when one changes", async () => {
        const { messenger, port } = await startConnected();
        messenger.accountList.push({ id: "account3", name: "Work", type: "pop3" });
        await messenger.accounts.onCreated.fire("account3", {});
        await settle();
        assert.deepEqual(
            port.last("accounts").accounts.map((a) => [a.id, a.inbox?.path ?? null]),
            [
                ["account1", "/INBOX"],
                ["account3", null],
            ],
        );
    });
});
