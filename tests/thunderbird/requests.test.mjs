// The host's requests become Thunderbird calls, and every request is
// answered: ok with its result, or not ok with a sentence for the user.

import assert from "node:assert/strict";
import { describe, it } from "node:test";

import { settle, startConnected } from "./fakeMessenger.mjs";

const SENT = { accountId: "account1", path: "/Sent", name: "Sent", type: "sent" };
const ARCHIVE = { accountId: "account1", path: "/Archive", name: "Archive", type: null };
const GONE = "The message is no longer in Thunderbird: it may have been deleted, or its account removed.";

// The sent message, and a copy of it someone filed in the archive too.
async function withSentMessage() {
    const connected = await startConnected();
    const { messenger } = connected;
    const archived = messenger.addMessage("/Archive", { "Message-ID": "<plan@example.com>", Subject: "Plan" });
    const sent = messenger.addMessage("/Sent", {
        "Message-ID": "<plan@example.com>",
        Subject: "Plan",
        To: "pat@example.com",
    });
    return { ...connected, sent, archived };
}

async function ask(port, request) {
    await port.hostSends(request);
    return port.posted.filter((m) => m.kind === "reply" && m.id === request.id).at(-1);
}

describe("openMessage", () => {
    it("opens the message in a window of its own, from the folder it was last seen in", async () => {
        const { messenger, port, sent, archived } = await withSentMessage();
        const reply = await ask(port, { kind: "openMessage", id: 1, message: { messageId: "plan@example.com", folder: SENT } });
        assert.deepEqual(reply, { kind: "reply", id: 1, ok: true });
        const reply2 = await ask(port, { kind: "openMessage", id: 2, message: { messageId: "plan@example.com", folder: ARCHIVE } });
        assert.equal(reply2.ok, true);
        assert.deepEqual(messenger.callsOf("messageDisplay.open"), [
            [{ messageId: sent.id, location: "window" }],
            [{ messageId: archived.id, location: "window" }],
        ]);
        assert.deepEqual(messenger.callsOf("windows.remove"), []);
    });

    it("opens a message Thunderbird cannot show from its folder yet from its text instead", async () => {
        const { messenger, port, sent, logged } = await withSentMessage();
        sent.stale = true; // just filed in an IMAP folder not brought up to date since
        const reply = await ask(port, { kind: "openMessage", id: 2, message: { messageId: "plan@example.com", folder: SENT } });
        assert.deepEqual(reply, { kind: "reply", id: 2, ok: true });
        assert.deepEqual(messenger.callsOf("messageDisplay.open"), [
            [{ messageId: sent.id, location: "window" }],
            [{ file: `message${sent.id}.eml`, location: "window" }],
        ]);
        assert.deepEqual(messenger.callsOf("messages.getRaw"), [[sent.id, { data_format: "File" }]]);
        assert.deepEqual(messenger.callsOf("windows.remove"), [[1060]], "the empty window is closed");
        assert.ok(logged.includes("Chasewell: message plan@example.com could not be shown from its folder; it opens from its text"));
    });

    it("finds a message that moved to another folder", async () => {
        const { messenger, port, sent } = await withSentMessage();
        messenger.store.splice(messenger.store.indexOf(sent), 1);
        const reply = await ask(port, { kind: "openMessage", id: 3, message: { messageId: "plan@example.com", folder: SENT } });
        assert.equal(reply.ok, true);
        assert.equal(messenger.callsOf("messageDisplay.open")[0][0].messageId, messenger.store[0].id);
    });

    it("answers with a sentence when the message is gone", async () => {
        const { messenger, port } = await withSentMessage();
        const reply = await ask(port, { kind: "openMessage", id: 4, message: { messageId: "other@example.com", folder: null } });
        assert.deepEqual(reply, { kind: "reply", id: 4, ok: false, error: GONE });
        assert.deepEqual(messenger.callsOf("messageDisplay.open"), []);
    });
});

describe("compose", () => {
    it("forwards the original inline, to the recipient with the plain subject", async () => {
        const { messenger, port, sent } = await withSentMessage();
        const reply = await ask(port, {
            kind: "compose",
            id: 5,
            original: { messageId: "plan@example.com", folder: SENT },
            to: ["pat@example.com"],
            subject: "Plan",
        });
        assert.deepEqual(reply, { kind: "reply", id: 5, ok: true });
        assert.deepEqual(messenger.callsOf("compose.beginForward"), [
            [sent.id, "forwardInline", { to: ["pat@example.com"], subject: "Plan" }],
        ]);
        assert.deepEqual(messenger.callsOf("compose.beginNew"), []);
    });

    it("opens a new message when there is no original, or it is gone", async () => {
        const { messenger, port } = await withSentMessage();
        await ask(port, { kind: "compose", id: 6, original: null, to: ["pat@example.com"], subject: "Plan" });
        await ask(port, {
            kind: "compose",
            id: 7,
            original: { messageId: "deleted@example.com", folder: SENT },
            to: ["sam@example.com"],
            subject: "Old",
        });
        assert.deepEqual(messenger.callsOf("compose.beginNew"), [
            [{ to: ["pat@example.com"], subject: "Plan" }],
            [{ to: ["sam@example.com"], subject: "Old" }],
        ]);
        assert.deepEqual(messenger.callsOf("compose.beginForward"), []);
    });
});

describe("sendCompose", () => {
    it("sends the compose window now and answers when the send has ended", async () => {
        const { messenger, port } = await startConnected();
        let finishSend;
        messenger.compose.sendMessage = async (tabId, options) => {
            messenger.calls.push({ name: "compose.sendMessage", args: [tabId, options] });
            await new Promise((resolve) => (finishSend = resolve));
            return { mode: "sendNow", messages: [] };
        };
        await port.hostSends({ kind: "sendCompose", id: 8, tabId: 7 });
        assert.deepEqual(messenger.callsOf("compose.sendMessage"), [[7, { mode: "sendNow" }]]);
        assert.equal(port.all("reply").length, 0, "no answer while the send goes on");
        finishSend();
        await settle();
        assert.deepEqual(port.last("reply"), { kind: "reply", id: 8, ok: true });
    });

    it("answers only the host that asked, not one started while the send went on", async () => {
        const { messenger, port, timers, logged } = await startConnected();
        let finishSend;
        messenger.compose.sendMessage = () => new Promise((resolve) => (finishSend = resolve));
        await port.hostSends({ kind: "sendCompose", id: 8, tabId: 7 });
        await port.hostEnds();
        await timers.advance(1000);
        const again = messenger.connectedPort();
        await again.hostSends({ kind: "reply", id: again.last("hello").id, ok: true, protocol: 1, host: "h" });
        finishSend({ mode: "sendNow", messages: [] });
        await settle();
        assert.deepEqual(again.all("reply"), []);
        assert.ok(logged.includes("Chasewell: the reply to sendCompose 8 was not sent: the host that asked is gone"));
    });

    it("answers not ok, saying why, when the send failed or was cancelled", async () => {
        const { messenger, port } = await startConnected();
        messenger.sendError = "Sending of the message failed.";
        const reply = await ask(port, { kind: "sendCompose", id: 9, tabId: 7 });
        assert.deepEqual(reply, {
            kind: "reply",
            id: 9,
            ok: false,
            error: "The message was not sent: Sending of the message failed.",
        });
    });
});

describe("findMessage", () => {
    it("answers found with the message as it is now, or not found", async () => {
        const { port } = await withSentMessage();
        const found = await ask(port, { kind: "findMessage", id: 10, message: { messageId: "plan@example.com", folder: SENT } });
        assert.equal(found.ok, true);
        assert.equal(found.found, true);
        assert.deepEqual(found.message.folder, { ...SENT, totalMessages: null });
        assert.deepEqual(found.message.to, ["pat@example.com"]);
        const missing = await ask(port, { kind: "findMessage", id: 11, message: { messageId: "no@example.com" } });
        assert.deepEqual(missing, { kind: "reply", id: 11, ok: true, found: false, message: null });
    });
});

describe("notice", () => {
    it("shows the host's sentence as a notification and needs no answer", async () => {
        const { messenger, port } = await startConnected();
        await port.hostSends({ kind: "notice", text: "The reminders could not be saved: the disk is full." });
        assert.deepEqual(messenger.notified, ["The reminders could not be saved: the disk is full."]);
        assert.equal(port.all("reply").length, 0);
    });
});
