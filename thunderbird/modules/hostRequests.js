// What the host asks Thunderbird to do: open a message to read (View
// Original), open a compose window for a follow-up (Create Email), send a
// compose window (Send With Reminder), look a message up, and tell the user
// something. Each resolves to the result fields of its reply or rejects with
// an Error whose message the host may show the user.

import { findMessage, messageOf } from "./messageInfo.js";

const GONE = "The message is no longer in Thunderbird: it may have been deleted, or its account removed.";

export class HostRequests {
    constructor({ messenger, protocol, notices, log }) {
        Object.assign(this, { messenger, protocol, notices, log });
    }

    handle(kind, request) {
        switch (kind) {
            case "openMessage":
                return this.openMessage(request);
            case "compose":
                return this.compose(request);
            case "sendCompose":
                return this.sendCompose(request);
            case "findMessage":
                return this.findMessage(request);
            case "notice":
                this.notices.say(request.text);
                return Promise.resolve({});
        }
        return Promise.reject(new Error(`Thunderbird does not know the request "${kind}".`));
    }

    async openMessage({ message }) {
        const header = await findMessage(this.messenger, message);
        if (!header) {
            throw new Error(GONE);
        }
        const tab = await this.messenger.messageDisplay.open({ messageId: header.id, location: "window" });
        if (await this.#shows(tab, header)) {
            return {};
        }
        // A copy Thunderbird has just filed in an IMAP folder is a stand-in
        // until it next brings that folder up to date (when the user opens
        // it): its window stays empty. The stand-in's text reads, so the
        // message is shown from that instead of an empty window.
        this.log(`Chasewell: message ${header.headerMessageId} could not be shown from its folder; it opens from its text`);
        if (tab?.windowId !== undefined) {
            await this.messenger.windows.remove(tab.windowId).catch(() => {});
        }
        const file = await this.messenger.messages.getRaw(header.id, { data_format: "File" });
        await this.messenger.messageDisplay.open({ file, location: "window" });
        return {};
    }

    async #shows(tab, header) {
        try {
            const shown = await this.messenger.messageDisplay.getDisplayedMessages(tab.id);
            const list = Array.isArray(shown) ? shown : shown?.messages ?? [];
            return list.some((m) => m.headerMessageId === header.headerMessageId);
        } catch {
            return false;
        }
    }

    // A follow-up forwards the original the way the user's own Forward
    // does (inline), so the recipient sees what is being chased; when the
    // original is gone a new message is the next best thing.
    async compose({ original, to, subject }) {
        const details = { to, subject };
        const header = original ? await findMessage(this.messenger, original) : null;
        if (header) {
            await this.messenger.compose.beginForward(header.id, "forwardInline", details);
        } else {
            if (original) {
                this.log(`Chasewell: the original ${original.messageId} is gone; a new message opens instead`);
            }
            await this.messenger.compose.beginNew(details);
        }
        return {};
    }

    async sendCompose({ tabId }) {
        try {
            await this.messenger.compose.sendMessage(tabId, { mode: "sendNow" });
        } catch (error) {
            throw new Error(`The message was not sent: ${error?.message ?? error}`);
        }
        return {};
    }

    async findMessage({ message }) {
        const header = await findMessage(this.messenger, message);
        const found = header ? await messageOf(this.messenger, this.protocol, header, this.log) : null;
        return { found: found !== null, message: found };
    }
}
