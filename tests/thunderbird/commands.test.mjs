// The add-in's commands in Thunderbird's windows become command messages,
// with the add-in's own labels; without a connection the user is told.

import assert from "node:assert/strict";
import { describe, it } from "node:test";

import { settle, startConnected, startOnFake } from "./fakeMessenger.mjs";

describe("menus", () => {
    it("carry the add-in's labels, each shown in its own window's Tools menu", async () => {
        const { messenger } = await startConnected();
        assert.deepEqual(
            [...messenger.menuItems.values()].map((m) => [m.title, m.contexts.join()]),
            [
                ["Add Reminders", "message_list"],
                ["View Reminders", "tools_menu"],
                ["Chasewell Settings...", "tools_menu"],
                ["Send With Reminder", "tools_menu"],
            ],
        );
        const visible = () => [...messenger.menuItems.values()].filter((m) => m.visible).map((m) => m.id);
        await messenger.menus.onShown.fire({ contexts: ["tools_menu"] }, { id: 7, type: "messageCompose" });
        assert.deepEqual(visible(), ["addReminders", "sendWithReminder"]);
        await messenger.menus.onShown.fire({ contexts: ["tools_menu"] }, { id: 1, type: "mail" });
        assert.deepEqual(visible(), ["addReminders", "viewReminders", "settings"]);
        assert.equal(messenger.callsOf("menus.refresh").length, 2);
    });
});

describe("Send With Reminder", () => {
    it("comes from the compose window's button, key and menu, naming the window", async () => {
        const { messenger, port } = await startConnected();
        const compose = { id: 7, type: "messageCompose" };
        await messenger.composeAction.onClicked.fire(compose);
        await messenger.commands.onCommand.fire("sendWithReminder", compose);
        await messenger.menus.onClicked.fire({ menuItemId: "sendWithReminder" }, compose);
        // The key pressed in the main window sends nothing.
        await messenger.commands.onCommand.fire("sendWithReminder", { id: 1, type: "mail" });
        assert.deepEqual(
            port.all("command").map(({ command, via, tabId }) => [command, via, tabId]),
            [
                ["sendWithReminder", "button", 7],
                ["sendWithReminder", "shortcut", 7],
                ["sendWithReminder", "menu", 7],
            ],
        );
    });

    it("without a connection sends nothing and says the message was not sent", async () => {
        const { messenger, timers } = startOnFake();
        await settle();
        await messenger.connectedPort().hostEnds("No such native application com.tandrelsoftware.chasewell");
        await messenger.composeAction.onClicked.fire({ id: 7, type: "messageCompose" });
        assert.equal(messenger.notified.at(-1),
            "Send With Reminder needs Chasewell, which is not connected to Thunderbird right now, so the message was not sent. Press Send to send it without reminders.");
        assert.deepEqual(messenger.callsOf("compose.sendMessage"), []);
        await timers.advance(1000);
        assert.deepEqual(messenger.connectedPort().kinds(), ["hello"]);
    });
});

describe("Add Reminders", () => {
    it("from the message list takes every selected message, every page", async () => {
        const { messenger, port } = await startConnected({ pageSize: 2 });
        const sent = ["one", "two", "three", "four", "five"].map((s, i) =>
            messenger.addMessage("/Sent", { "Message-ID": `<s${i}@example.com>`, Subject: `Re: ${s}`, To: "pat@example.com" }),
        );
        await messenger.menus.onClicked.fire(
            { menuItemId: "addReminders", selectedMessages: messenger.pagedList(sent) },
            { id: 1, type: "mail" },
        );
        await settle();
        const command = port.last("command");
        assert.equal(command.command, "addReminders");
        assert.deepEqual(
            command.messages.map((m) => m.subject),
            ["Re: one", "Re: two", "Re: three", "Re: four", "Re: five"],
        );
        assert.equal(command.messages[0].folder.type, "sent");
    });

    it("from the toolbar of the message shown takes the main window's selection, or the message of a message window", async () => {
        const { messenger, port } = await startConnected({ pageSize: 1 });
        const a = messenger.addMessage("/Sent", { Subject: "a" });
        const b = messenger.addMessage("/Sent", { Subject: "b" });
        const c = messenger.addMessage("/Sent", { Subject: "c" });
        messenger.selected = [a, b];
        messenger.displayed.set(60, [c]);
        await messenger.messageDisplayAction.onClicked.fire({ id: 1, type: "mail" });
        await messenger.messageDisplayAction.onClicked.fire({ id: 60, type: "messageDisplay" });
        await settle();
        assert.deepEqual(
            port.all("command").map((m) => m.messages.map((x) => x.subject)),
            [["a", "b"], ["c"]],
        );
    });

    it("with more selected than the host takes at once asks the user to select fewer", async () => {
        const { messenger, port, logged } = await startConnected();
        const big = "x".repeat(400000);
        const many = Array.from({ length: 25 }, (_, i) =>
            messenger.addMessage("/Sent", { "Message-ID": `<m${i}@example.com>`, Subject: "Plan", References: big }),
        );
        await messenger.menus.onClicked.fire({ menuItemId: "addReminders", selectedMessages: messenger.pagedList(many) }, {});
        await settle();
        assert.equal(port.all("command").length, 0);
        assert.deepEqual(messenger.notified, [
            "Add Reminders could not be passed to Chasewell: with many messages selected, select fewer at a time.",
        ]);
        assert.ok(logged.some((l) => /^Chasewell: command was not sent: command is \d+ bytes, more than the 8388608 the host takes$/.test(l)));
    });
});

describe("View Reminders and the settings", () => {
    it("come from the main toolbar, the Tools menu and the Add-ons Manager's options page", async () => {
        const { messenger, port } = await startConnected();
        await messenger.browserAction.onClicked.fire({ id: 1, type: "mail" });
        await messenger.menus.onClicked.fire({ menuItemId: "viewReminders" }, { id: 1, type: "mail" });
        await messenger.menus.onClicked.fire({ menuItemId: "settings" }, { id: 1, type: "mail" });
        assert.equal(await messenger.runtime.onMessage.fire({ chasewell: "settings" }), true);
        assert.equal(await messenger.runtime.onMessage.fire({ other: "message" }), undefined);
        assert.deepEqual(
            port.all("command").map((m) => m.command),
            ["viewReminders", "viewReminders", "settings", "settings"],
        );
        assert.ok(port.all("command").every((m) => m.tabId === undefined && m.messages === undefined));
    });

    it("say so when Chasewell is not connected", async () => {
        const { messenger } = startOnFake();
        await settle();
        await messenger.browserAction.onClicked.fire({ id: 1, type: "mail" });
        assert.equal(await messenger.runtime.onMessage.fire({ chasewell: "settings" }), false);
        assert.deepEqual(messenger.notified, [
            "View Reminders needs Chasewell, which is not connected to Thunderbird right now.",
            "Chasewell Settings needs Chasewell, which is not connected to Thunderbird right now.",
        ]);
        assert.deepEqual(messenger.connectedPort().kinds(), ["hello"]);
    });
});
