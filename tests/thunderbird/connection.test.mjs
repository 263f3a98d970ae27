// The connection to the host: hello, reconnecting with growing pauses,
// notices said once, messages from the host checked, requests that end.

import assert from "node:assert/strict";
import { describe, it } from "node:test";

import { helloAccepted, manifest, settle, agreed, startConnected, startOnFake } from "./fakeMessenger.mjs";

const NOT_REGISTERED = "No such native application com.tandrelsoftware.chasewell";

describe("hello", () => {
    it("is the first message, with the versions, the accounts' Inbox and Sent, and the folder shown", async () => {
        const { messenger } = startOnFake();
        messenger.addMessage("/INBOX", { Subject: "One" });
        messenger.addMessage("/INBOX", { Subject: "Two" });
        await settle();
        assert.equal(messenger.ports.length, 1);
        const port = messenger.connectedPort();
        assert.equal(port.name, agreed.hostName);
        assert.deepEqual(port.kinds(), ["hello"]);
        const hello = port.posted[0];
        assert.ok(Number.isInteger(hello.id));
        assert.equal(hello.protocol, agreed.version);
        assert.equal(hello.extension, manifest.version);
        const inbox = { accountId: "account1", path: "/INBOX", name: "Inbox", type: "inbox", totalMessages: null };
        assert.deepEqual(hello.accounts, [
            {
                id: "account1",
                name: "robin@example.com",
                inbox,
                sent: { accountId: "account1", path: "/Sent", name: "Sent", type: "sent", totalMessages: null },
            },
        ]);
        assert.deepEqual(hello.folder, { ...inbox, totalMessages: 2 });
    });

    it("holds back events until the host has answered it, then sends them in order", async () => {
        const { messenger } = startOnFake();
        await settle();
        const port = messenger.connectedPort();
        await messenger.tabs.onRemoved.fire(99); // not a compose window: nothing
        messenger.composeTabs.set(7, { to: [], subject: "" });
        await messenger.tabs.onCreated.fire({ id: 7, type: "messageCompose" });
        await messenger.mailTabs.onDisplayedFolderChanged.fire(messenger.mailTab, messenger.folder("/Sent"));
        await settle();
        assert.deepEqual(port.kinds(), ["hello"]);
        await port.hostSends(helloAccepted(port.last("hello")));
        // The compose window is announced with those open at connection.
        assert.deepEqual(port.kinds(), ["hello", "folderSwitch", "composeOpen"]);
        assert.equal(port.last("composeOpen").tabId, 7);
    });
});

describe("reconnecting", () => {
    it("waits 1 s after the first failure and doubles the pause up to five minutes", async () => {
        const { messenger, timers } = startOnFake();
        const pauses = [];
        for (let attempt = 0; attempt < 12; ++attempt) {
            await settle();
            await messenger.connectedPort().hostEnds(NOT_REGISTERED);
            pauses.push(timers.armed()[0]);
            await timers.advance(timers.armed()[0]);
        }
        assert.deepEqual(
            pauses.map((ms) => ms / 1000),
            [1, 2, 4, 8, 16, 32, 64, 128, 256, 300, 300, 300],
        );
        assert.equal(messenger.ports.length, 13);
    });

    it("starts again from 1 s once a hello was answered, and connects again when the host ends", async () => {
        const { messenger, timers, port } = await startConnected();
        await port.hostEnds();
        assert.deepEqual(timers.armed(), [1000]);
        await timers.advance(999);
        assert.equal(messenger.ports.length, 1);
        await timers.advance(1);
        assert.equal(messenger.ports.length, 2);
        await messenger.connectedPort().hostEnds(NOT_REGISTERED);
        assert.deepEqual(timers.armed(), [2000]);
        await timers.advance(2000);
        await messenger.connectedPort().hostEnds(NOT_REGISTERED);
        assert.deepEqual(timers.armed(), [4000]);
    });

    it("retries when connectNative itself throws", async () => {
        const { messenger, timers } = startOnFake();
        messenger.connectError = "connectNative is not allowed";
        await settle();
        assert.deepEqual(timers.armed(), [1000]);
        await timers.advance(1000);
        assert.deepEqual(timers.armed(), [2000]);
        messenger.connectError = null;
        await timers.advance(2000);
        assert.equal(messenger.ports.length, 1);
        assert.deepEqual(messenger.connectedPort().kinds(), ["hello"]);
    });

    it("never leaves a timer or a port behind once stopped", async () => {
        const { messenger, timers, chasewell } = startOnFake();
        await settle();
        await messenger.connectedPort().hostEnds(NOT_REGISTERED);
        chasewell.connection.stop();
        assert.deepEqual(timers.armed(), []);
        await timers.advance(10 * 60 * 1000);
        assert.equal(messenger.ports.length, 1);
    });
});

describe("notices about the connection", () => {
    it("says once that the program is not registered, and what to do, however often it retries", async () => {
        const { messenger, timers } = startOnFake();
        for (let attempt = 0; attempt < 5; ++attempt) {
            await settle();
            await messenger.connectedPort().hostEnds(NOT_REGISTERED);
            await timers.advance(timers.armed()[0]);
        }
        assert.deepEqual(messenger.notified, [
            'Thunderbird cannot find the Chasewell program. Install Chasewell and run "chasewell --register-thunderbird" once; Thunderbird then connects to it within a few minutes.',
        ]);
    });

    it("says it again after a connection worked and then fails anew", async () => {
        const { messenger, timers } = startOnFake();
        await settle();
        await messenger.connectedPort().hostEnds("An unexpected error occurred");
        await timers.advance(1000);
        const port = messenger.connectedPort();
        await port.hostSends(helloAccepted(port.last("hello")));
        await port.hostEnds();
        await timers.advance(1000);
        await messenger.connectedPort().hostEnds("An unexpected error occurred");
        const said =
            'Thunderbird could not start the Chasewell program (An unexpected error occurred). Run "chasewell --register-thunderbird" once to register it again.';
        assert.deepEqual(messenger.notified, [said, said]);
    });

    it("says versions differ when the host refuses hello for that, and keeps trying quietly", async () => {
        const { messenger, timers, logged } = startOnFake();
        for (let attempt = 0; attempt < 3; ++attempt) {
            await settle();
            const port = messenger.connectedPort();
            await port.hostSends({
                kind: "reply",
                id: port.last("hello").id,
                ok: false,
                problem: "protocol",
                protocol: 2,
                error: "This Chasewell speaks version 2 of the protocol.",
            });
            assert.ok(port.disconnected, "the extension ends a connection the host refused");
            await timers.advance(timers.armed()[0]);
        }
        assert.deepEqual(messenger.notified, [
            "Chasewell and its Thunderbird add-on are different versions (the program speaks version 2, the add-on version 1), so they cannot work together. Install the same version of both.",
        ]);
        assert.equal(messenger.ports.length, 4);
        assert.ok(logged.includes("Chasewell: hello was not accepted: This Chasewell speaks version 2 of the protocol."));
    });

    it("finds the versions different itself when the host accepts hello with another version", async () => {
        const { messenger, timers, chasewell } = startOnFake();
        await settle();
        const port = messenger.connectedPort();
        await port.hostSends(helloAccepted(port.last("hello"), { protocol: 3 }));
        assert.equal(chasewell.connection.ready, false);
        assert.ok(port.disconnected);
        assert.match(messenger.notified[0], /the program speaks version 3, the add-on version 1/);
        assert.deepEqual(timers.armed(), [1000]);
    });

    it("passes on the host's own sentence when another Chasewell holds the data folder", async () => {
        const { messenger } = startOnFake();
        await settle();
        const port = messenger.connectedPort();
        const error = "Another Chasewell is running on the data folder /home/robin/.local/share/Chasewell/.";
        await port.hostSends({ kind: "reply", id: port.last("hello").id, ok: false, problem: "dataFolderInUse", error });
        assert.deepEqual(messenger.notified, [error]);
    });

    it("says so when the host starts but never answers hello, and tries again", async () => {
        const { messenger, timers } = startOnFake();
        await settle();
        const port = messenger.connectedPort();
        await timers.advance(agreed.limits.replyTimeoutMs);
        assert.ok(port.disconnected);
        assert.deepEqual(messenger.notified, [
            "Chasewell was started but did not answer Thunderbird. Chasewell did not answer within 10 seconds.",
        ]);
        await timers.advance(1000);
        assert.equal(messenger.ports.length, 2);
    });
});

describe("messages from the host", () => {
    const bad = [
        ["not an object", [1, 2], "it is not a JSON object"],
        ["no kind", { id: 1 }, "it has no kind"],
        ["an unknown kind", { kind: "launchRockets" }, 'its kind "launchRockets" is unknown'],
        ["a request without an id", { kind: "openMessage", message: { messageId: "a@b" } }, "openMessage has no whole-number id"],
        ["a fractional id", { kind: "sendCompose", id: 1.5, tabId: 3 }, "sendCompose has no whole-number id"],
        ["a missing field", { kind: "sendCompose", id: 4 }, 'sendCompose: "tabId" is missing'],
        ["a mistyped field", { kind: "notice", text: 12 }, 'notice: "text" is not a string'],
        [
            "a mistyped nested field",
            { kind: "compose", id: 5, original: { messageId: "a@b", folder: { accountId: "a", path: 3, name: "" } }, to: [], subject: "" },
            'compose: "original.folder.path" is not a string',
        ],
        ["a bad array item", { kind: "compose", id: 6, to: ["a@b", null], subject: "" }, 'compose: "to[1]" is null'],
    ];
    for (const [what, message, reason] of bad) {
        it(`drops ${what} with a log line and carries on`, async () => {
            const { messenger, port, logged, chasewell } = await startConnected();
            const before = port.posted.length;
            await port.hostSends(message);
            assert.ok(
                logged.includes(`Chasewell: dropped a message from the host (${reason}): ${JSON.stringify(message)}`),
                logged.join("\n"),
            );
            assert.equal(port.posted.length, before, "nothing is answered");
            assert.equal(chasewell.connection.ready, true);
            assert.deepEqual(messenger.calls, []);
        });
    }

    it("drops a reply to no request, and a request before hello is answered", async () => {
        const { messenger, logged } = startOnFake();
        await settle();
        const port = messenger.connectedPort();
        await port.hostSends({ kind: "notice", text: "too early" });
        await port.hostSends({ kind: "reply", id: 999, ok: true });
        assert.deepEqual(messenger.notified, []);
        assert.deepEqual(
            logged.filter((l) => l.startsWith("Chasewell: dropped")),
            [
                'Chasewell: dropped a message from the host (the host sent it before it answered hello): {"kind":"notice","text":"too early"}',
                'Chasewell: dropped a message from the host (no request 999 is waiting for a reply): {"kind":"reply","id":999,"ok":true}',
            ],
        );
    });

    it("does not take an ok reply to hello that lacks the host's protocol", async () => {
        const { messenger, chasewell, logged } = startOnFake();
        await settle();
        const port = messenger.connectedPort();
        await port.hostSends({ kind: "reply", id: port.last("hello").id, ok: true, host: "x" });
        assert.equal(chasewell.connection.ready, false);
        assert.ok(logged.some((l) => l.includes('(the reply to hello: "protocol" is missing)')));
    });

    it("shortens a long message in the log line", async () => {
        const { port, logged } = await startConnected();
        await port.hostSends({ kind: "notice", text: 5, padding: "x".repeat(1000) });
        const line = logged.find((l) => l.startsWith("Chasewell: dropped"));
        assert.ok(line.endsWith("..."));
        assert.ok(line.length < 450);
    });
});

describe("requests to the host", () => {
    it("fail at once without a connection, and when the connection ends while they wait", async () => {
        const { messenger, timers, port, chasewell } = await startConnected();
        const waiting = chasewell.connection.request("itemSend", {
            tabId: 3,
            details: { from: "", to: [], cc: [], bcc: [], subject: "" },
        });
        await port.hostEnds();
        assert.deepEqual(await waiting, { ok: false, error: "Chasewell is not connected to Thunderbird." });
        assert.deepEqual(await chasewell.connection.request("itemSend", {}), {
            ok: false,
            error: "Chasewell is not connected to Thunderbird.",
        });
        assert.deepEqual(timers.armed(), [1000], "only the reconnection is armed");
        assert.equal(messenger.ports.length, 1);
    });

    it("are never sent when they do not fit the protocol, which the log says", async () => {
        const { port, logged, chasewell } = await startConnected();
        const reply = await chasewell.connection.request("itemSend", { tabId: "three" });
        assert.equal(reply.ok, false);
        assert.equal(port.all("itemSend").length, 0);
        assert.ok(logged.includes('Chasewell: itemSend was not sent: itemSend: "tabId" is not a whole number'));
    });
});
