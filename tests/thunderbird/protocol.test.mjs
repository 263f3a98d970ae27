// The checks against protocol.json, and the manifest agreeing with it.

import assert from "node:assert/strict";
import { describe, it } from "node:test";

import { Protocol } from "../../thunderbird/modules/protocol.js";
import { manifest, agreed } from "./fakeMessenger.mjs";

const protocol = new Protocol(agreed);
const folder = { accountId: "account1", path: "/INBOX", name: "Inbox", type: "inbox", totalMessages: null };
const message = {
    messageId: "a@example.com",
    folder,
    subject: "Re: Plan",
    author: "pat@example.com",
    date: 0,
    to: [],
    cc: [],
    bcc: [],
    headers: { subject: ["Re: Plan"] },
};

describe("protocol.json", () => {
    it("names this extension, as the manifest does, and the native host it connects to", () => {
        assert.equal(manifest.browser_specific_settings.gecko.id, agreed.extensionId);
        assert.equal(protocol.hostName, "com.tandrelsoftware.chasewell");
        assert.ok(manifest.permissions.includes("nativeMessaging"));
    });

    it("takes fields it does not name, so a newer peer can add one", () => {
        assert.equal(protocol.checkFromHost({ kind: "notice", text: "Hi", colour: "red" }), null);
        assert.equal(protocol.checkToHost({ kind: "newMail", message: { ...message, spam: true } }), null);
    });

    it("takes null or nothing for an optional field, never for a required one", () => {
        assert.equal(protocol.checkToHost({ kind: "newMail", message: { ...message, headers: null } }), null);
        assert.equal(protocol.checkToHost({ kind: "folderSwitch" }), null);
        assert.equal(
            protocol.checkToHost({ kind: "newMail", message: { ...message, folder: null } }),
            'newMail: "message.folder" is null',
        );
        assert.equal(
            protocol.checkToHost({ kind: "newMail", message: { ...message, folder: { ...folder, type: 4 } } }),
            'newMail: "message.folder.type" is not a string',
        );
    });

    it("wants headers as lists of text under each name", () => {
        const bad = { ...message, headers: { subject: "Re: Plan" } };
        assert.equal(protocol.checkToHost({ kind: "newMail", message: bad }), 'newMail: "message.headers.subject" is not an array');
        const worse = { ...message, headers: { references: ["<a@x>", 5] } };
        assert.equal(
            protocol.checkToHost({ kind: "newMail", message: worse }),
            'newMail: "message.headers.references[1]" is not a string',
        );
    });

    it("checks the result fields of a reply against the request it answers", () => {
        assert.equal(protocol.checkResultFromHost("itemSend", { kind: "reply", id: 1, ok: true, cancel: false }), null);
        assert.equal(
            protocol.checkResultFromHost("itemSend", { kind: "reply", id: 1, ok: true }),
            'the reply to itemSend: "cancel" is missing',
        );
        assert.equal(
            protocol.checkResultToHost("findMessage", { kind: "reply", id: 1, ok: true, found: "yes" }),
            'the reply to findMessage: "found" is not true or false',
        );
    });
});
