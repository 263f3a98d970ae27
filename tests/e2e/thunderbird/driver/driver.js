// The end-to-end harness's hands in Thunderbird: over a native-messaging port
// of its own (the relay to the harness) it takes one operation at a time,
// {id, op, args}, and answers {id, ok, result} or {id, ok: false, error}.
// Where a user would press one of Chasewell's buttons it calls what the
// button's listener calls, with the same arguments.

export const DRIVER_HOST = "chasewell_e2e_driver";

function operations(messenger, chasewell) {
    const mailTab = async () => (await messenger.mailTabs.query({}))[0];
    const folderNamed = async (accountId, path) =>
        (await messenger.folders.query({ accountId, path }))[0] ?? null;
    const everyMessage = async (list) => {
        const messages = [...list.messages];
        for (let id = list.id; id; ) {
            const page = await messenger.messages.continueList(id);
            messages.push(...page.messages);
            id = page.id;
        }
        return messages;
    };
    return {
        ping: async () => ({ connected: chasewell.connection.ready }),
        windows: async () => messenger.windows.getAll({ populate: true }),
        accounts: async () => messenger.accounts.list(true),
        folders: async ({ accountId }) => messenger.folders.query({ accountId }),
        // A compose window as the user fills it in.
        beginNew: async (details) => messenger.compose.beginNew(details),
        composeDetails: async ({ tabId }) => messenger.compose.getComposeDetails(tabId),
        // The messages a message tab or window shows.
        displayed: async ({ tabId }) => messenger.messageDisplay.getDisplayedMessages(tabId),
        // The compose window's "Send With Reminder" button (or its key, or its
        // menu item: via says which).
        sendWithReminder: async ({ tabId, via = "button" }) => chasewell.commands.sendWithReminder(tabId, via),
        // Thunderbird's own Send.
        send: async ({ tabId }) => messenger.compose.sendMessage(tabId, { mode: "sendNow" }),
        // The main window shows a folder and the user selects messages in it
        // by Message-ID.
        showFolder: async ({ accountId, path }) => {
            const folder = await folderNamed(accountId, path);
            if (!folder) {
                throw new Error(`No folder ${path} in ${accountId}`);
            }
            const tab = await mailTab();
            await messenger.mailTabs.update(tab.id, { displayedFolder: folder.id });
            return messenger.mailTabs.get(tab.id);
        },
        messagesIn: async ({ accountId, path }) => {
            const folder = await folderNamed(accountId, path);
            return everyMessage(await messenger.messages.list(folder.id));
        },
        select: async ({ messageIds }) => {
            const tab = await mailTab();
            const ids = [];
            for (const headerMessageId of messageIds) {
                const found = await everyMessage(await messenger.messages.query({ headerMessageId }));
                const inShown = found.find((m) => m.folder?.path === tab.displayedFolder?.path) ?? found[0];
                if (!inShown) {
                    throw new Error(`No message ${headerMessageId}`);
                }
                ids.push(inShown.id);
            }
            await messenger.mailTabs.setSelectedMessages(tab.id, ids);
            return everyMessage(await messenger.mailTabs.getSelectedMessages(tab.id));
        },
        // "Add Reminders" from the message list's context menu: Thunderbird
        // hands the menu the selected messages.
        addReminders: async () => {
            const tab = await mailTab();
            return chasewell.commands.addReminders(
                await everyMessage(await messenger.mailTabs.getSelectedMessages(tab.id)),
            );
        },
        viewReminders: async () => chasewell.commands.viewReminders(),
        settings: async () => chasewell.commands.settings(),
        closeWindow: async ({ windowId }) => messenger.windows.remove(windowId),
        // The user closes every window, the main window last: Thunderbird
        // quits as it does for a user (saving its folders' state, which a
        // signal would not). Answered first, since the answer could not go
        // out once Thunderbird is gone.
        quit: async () => {
            setTimeout(async () => {
                const windows = await messenger.windows.getAll();
                windows.sort((a, b) => (a.type === "normal") - (b.type === "normal"));
                for (const window of windows) {
                    await messenger.windows.remove(window.id).catch(() => {});
                }
            }, 0);
            return true;
        },
        query: async (info) => everyMessage(await messenger.messages.query(info)),
        headers: async ({ id }) => messenger.messages.getHeaders(id),
    };
}

export function startDriver(messenger, chasewell) {
    const ops = operations(messenger, chasewell);
    const port = messenger.runtime.connectNative(DRIVER_HOST);
    port.onMessage.addListener(async ({ id, op, args }) => {
        try {
            if (!Object.hasOwn(ops, op)) {
                throw new Error(`unknown operation ${op}`);
            }
            const result = await ops[op](args ?? {});
            port.postMessage({ id, ok: true, result: result ?? null });
        } catch (error) {
            port.postMessage({ id, ok: false, error: String(error?.message ?? error) });
        }
    });
    port.onDisconnect.addListener((p) => console.log(`Chasewell e2e driver: port ended ${p.error?.message ?? ""}`));
}
