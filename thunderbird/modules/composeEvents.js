// What compose windows tell the host: that one opened or closed, that one
// is about to send (the host may show its details window meanwhile and may
// cancel the send), and the copy filed in the Sent folder after a send.
//
// A send never waits on a host that is gone: without a connection, or
// without an answer in time, the message goes out as the user asked, and a
// user who asked for reminders is told that none were made.

import { composeDetailsOf, messageOf } from "./messageInfo.js";

export class ComposeEvents {
    constructor({ messenger, protocol, connection, notices, log }) {
        Object.assign(this, { messenger, protocol, connection, notices, log });
        this.composeTabs = new Set();
        // The compose windows the host of this connection has heard of.
        this.announced = new Set();
        // Compose windows in which Send With Reminder reached the host, until
        // they send or close.
        this.remindersWanted = new Set();
    }

    listen() {
        const { messenger } = this;
        messenger.tabs.onCreated.addListener((tab) => {
            if (tab.type === "messageCompose") {
                this.#opened(tab.id);
            }
        });
        messenger.tabs.onRemoved.addListener((tabId) => this.#closed(tabId));
        messenger.compose.onBeforeSend.addListener((tab, details) => this.itemSend(tab, details));
        messenger.compose.onAfterSend.addListener((tab, info) =>
            this.#afterSend(tab, info).catch((error) =>
                this.log(`Chasewell: the sent copy could not be passed on: ${error?.message ?? error}`),
            ),
        );
    }

    // Called when the host answered hello: it learns of the compose windows
    // that are already open (those that opened while it was away, too).
    async announceOpen() {
        this.announced = new Set();
        for (const tab of await this.messenger.tabs.query({ type: "messageCompose" })) {
            this.composeTabs.add(tab.id);
            await this.#announce(tab.id);
        }
    }

    wantReminders(tabId) {
        this.remindersWanted.add(tabId);
    }

    // compose.onBeforeSend: resolves to what Thunderbird is to do with the
    // send.
    async itemSend(tab, details) {
        const reply = await this.connection.request(
            "itemSend",
            { tabId: tab.id, details: composeDetailsOf(details, this.log) },
            this.protocol.limits.sendTimeoutMs,
        );
        if (reply.ok) {
            return reply.cancel ? { cancel: true } : {};
        }
        this.log(`Chasewell: the send in tab ${tab.id} goes on without the host: ${reply.error}`);
        if (this.remindersWanted.has(tab.id)) {
            this.notices.say(`The message is sent without reminders: ${reply.error}`);
        }
        return {};
    }

    #opened(tabId) {
        this.composeTabs.add(tabId);
        if (this.connection.ready) {
            this.#announce(tabId);
        }
    }

    async #announce(tabId) {
        if (this.announced.has(tabId)) {
            return;
        }
        this.announced.add(tabId);
        let details = null;
        try {
            details = composeDetailsOf(await this.messenger.compose.getComposeDetails(tabId), this.log);
        } catch (error) {
            this.log(`Chasewell: compose window ${tabId} could not be read: ${error?.message ?? error}`);
        }
        this.connection.send("composeOpen", { tabId, details });
    }

    #closed(tabId) {
        this.remindersWanted.delete(tabId);
        this.announced.delete(tabId);
        if (this.composeTabs.delete(tabId)) {
            this.connection.send("composeClose", { tabId });
        }
    }

    async #afterSend(tab, info) {
        this.remindersWanted.delete(tab.id);
        if (info.error) {
            this.log(`Chasewell: the send in tab ${tab.id} failed: ${info.error}`);
            return;
        }
        const copy = info.messages?.[0];
        if (!copy) {
            this.log(`Chasewell: the message sent in tab ${tab.id} was filed nowhere`);
            return;
        }
        const message = await messageOf(this.messenger, this.protocol, copy, this.log);
        if (message) {
            this.connection.send("sentCopy", { tabId: tab.id, message });
        }
    }
}
