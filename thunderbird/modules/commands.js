// The add-in's commands where Thunderbird users look for them, labelled
// with the add-in's own texts (the long texts are the tooltips, set in the
// manifest):
//   Send With Reminder: the compose window's toolbar button, a key
//     (Ctrl+Alt+R, in the manifest) and the compose window's Tools menu;
//   Add Reminders: the message list's context menu and the toolbar of the
//     message being read, for every message selected;
//   View Reminders: the main toolbar and the main window's Tools menu;
//   the settings: the Add-ons Manager's options and "Chasewell Settings..."
//     in the main window's Tools menu.
// Each becomes a command message to the host, which runs the add-in's
// command; the host opens the windows.

import { allMessages, messagesOf } from "./messageInfo.js";

export const MENU_ITEMS = [
    { id: "addReminders", title: "Add Reminders", contexts: ["message_list"] },
    { id: "viewReminders", title: "View Reminders", contexts: ["tools_menu"], window: "main" },
    { id: "settings", title: "Chasewell Settings...", contexts: ["tools_menu"], window: "main" },
    { id: "sendWithReminder", title: "Send With Reminder", contexts: ["tools_menu"], window: "compose" },
];

const LABELS = {
    viewReminders: "View Reminders",
    addReminders: "Add Reminders",
    sendWithReminder: "Send With Reminder",
    settings: "Chasewell Settings",
};

export class Commands {
    constructor({ messenger, protocol, connection, composeEvents, notices, log }) {
        Object.assign(this, { messenger, protocol, connection, composeEvents, notices, log });
    }

    listen() {
        const { messenger } = this;
        messenger.browserAction.onClicked.addListener(() => this.viewReminders());
        messenger.messageDisplayAction.onClicked.addListener((tab) => this.addRemindersIn(tab));
        messenger.composeAction.onClicked.addListener((tab) => this.sendWithReminder(tab.id, "button"));
        messenger.commands.onCommand.addListener((name, tab) => {
            if (name === "sendWithReminder" && tab?.type === "messageCompose") {
                this.sendWithReminder(tab.id, "shortcut");
            }
        });
        for (const { id, title, contexts } of MENU_ITEMS) {
            messenger.menus.create({ id, title, contexts });
        }
        messenger.menus.onShown.addListener((info, tab) => this.#menuShown(info, tab));
        messenger.menus.onClicked.addListener((info, tab) => this.#menuClicked(info, tab));
        // The options page in the Add-ons Manager asks for the settings
        // dialog through here.
        messenger.runtime.onMessage.addListener((message) => {
            if (message?.chasewell === "settings") {
                return Promise.resolve(this.settings());
            }
            return undefined;
        });
    }

    viewReminders() {
        return this.#command("viewReminders");
    }

    settings() {
        return this.#command("settings");
    }

    sendWithReminder(tabId, via) {
        if (!this.connection.ready) {
            this.notices.say(
                "Send With Reminder needs Chasewell, which is not connected to Thunderbird right now, so the message was not sent. Press Send to send it without reminders.",
            );
            return false;
        }
        const sent = this.#command("sendWithReminder", { via, tabId });
        if (sent) {
            this.composeEvents.wantReminders(tabId);
        }
        return sent;
    }

    // The toolbar button of a message being read: in the main window it
    // takes every message selected there, in a message tab or window the
    // message it shows.
    async addRemindersIn(tab) {
        let headers;
        if (tab.type === "mail") {
            headers = await allMessages(this.messenger, await this.messenger.mailTabs.getSelectedMessages(tab.id));
        } else {
            const shown = await this.messenger.messageDisplay.getDisplayedMessages(tab.id);
            headers = Array.isArray(shown) ? shown : await allMessages(this.messenger, shown);
        }
        return this.addReminders(headers);
    }

    async addReminders(headers) {
        if (!this.connection.ready) {
            return this.#command("addReminders");
        }
        const messages = await messagesOf(this.messenger, this.protocol, headers, this.log);
        return this.#command("addReminders", { messages });
    }

    #command(command, fields = {}) {
        if (!this.connection.ready) {
            this.notices.say(`${LABELS[command]} needs Chasewell, which is not connected to Thunderbird right now.`);
            return false;
        }
        if (!this.connection.send("command", { command, ...fields })) {
            this.notices.say(
                command === "addReminders"
                    ? "Add Reminders could not be passed to Chasewell: with many messages selected, select fewer at a time."
                    : `${LABELS[command]} could not be passed to Chasewell.`,
            );
            return false;
        }
        return true;
    }

    // The Tools menu is the same menu in the main and the compose window;
    // each shows only its own commands.
    #menuShown(info, tab) {
        if (!info.contexts?.includes("tools_menu")) {
            return;
        }
        const here = tab?.type === "messageCompose" ? "compose" : "main";
        for (const item of MENU_ITEMS) {
            if (item.window) {
                this.messenger.menus.update(item.id, { visible: item.window === here });
            }
        }
        this.messenger.menus.refresh();
    }

    async #menuClicked(info, tab) {
        switch (info.menuItemId) {
            case "addReminders":
                return this.addReminders(await allMessages(this.messenger, info.selectedMessages));
            case "viewReminders":
                return this.viewReminders();
            case "settings":
                return this.settings();
            case "sendWithReminder":
                return tab ? this.sendWithReminder(tab.id, "menu") : false;
        }
        return false;
    }
}
