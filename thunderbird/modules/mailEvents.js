// What the main window tells the host: the accounts with their Inbox and
// Sent folder (in hello, and again when they change), the folder it shows,
// and new mail in the Inbox of every account (reply watching).

import { allMessages, folderOf, isInbox, messagesOf } from "./messageInfo.js";

// Feeds and news accounts hold no mail that gets reminders.
const NOT_MAIL_ACCOUNT_TYPES = new Set(["nntp", "rss", "im"]);

export class MailEvents {
    constructor({ messenger, protocol, connection, log }) {
        Object.assign(this, { messenger, protocol, connection, log });
        // What this connection's host was last told, as JSON: Thunderbird
        // reports the same folder or the same accounts more than once (a
        // mail tab and its activation; every folder an IMAP account finds).
        this.toldFolder = null;
        this.toldAccounts = null;
    }

    listen() {
        const { messenger } = this;
        messenger.messages.onNewMailReceived.addListener((folder, list) =>
            this.#newMail(folder, list).catch((error) =>
                this.log(`Chasewell: new mail could not be passed on: ${error?.message ?? error}`),
            ),
        );
        messenger.mailTabs.onDisplayedFolderChanged.addListener((tab, folder) =>
            this.#folderSwitch(folder),
        );
        messenger.tabs.onActivated.addListener((info) => this.#tabActivated(info.tabId));
        // A new profile learns its IMAP folders (the Inbox, Sent) only after
        // it has started, so a folder appearing may complete an account.
        const accountsChanged = () =>
            this.#accountsChanged().catch((error) =>
                this.log(`Chasewell: the accounts could not be read: ${error?.message ?? error}`),
            );
        messenger.accounts.onCreated.addListener(accountsChanged);
        messenger.accounts.onDeleted.addListener(accountsChanged);
        messenger.accounts.onUpdated.addListener(accountsChanged);
        messenger.folders.onCreated.addListener(accountsChanged);
        messenger.folders.onDeleted.addListener(accountsChanged);
        messenger.folders.onRenamed.addListener(accountsChanged);
        messenger.folders.onMoved.addListener(accountsChanged);
    }

    // The fields of hello; what a new host is told afresh.
    async helloFields() {
        const fields = { accounts: await this.accounts(), folder: await this.displayedFolder() };
        this.toldAccounts = JSON.stringify(fields.accounts);
        this.toldFolder = JSON.stringify(fields.folder);
        return fields;
    }

    async #accountsChanged() {
        const accounts = await this.accounts();
        const json = JSON.stringify(accounts);
        if (json !== this.toldAccounts && this.connection.send("accounts", { accounts })) {
            this.toldAccounts = json;
        }
    }

    async accounts() {
        const accounts = [];
        for (const account of await this.messenger.accounts.list(false)) {
            if (NOT_MAIL_ACCOUNT_TYPES.has(account.type)) {
                continue;
            }
            accounts.push({
                id: account.id,
                name: account.name,
                inbox: await this.#specialFolder(account.id, "inbox"),
                sent: await this.#specialFolder(account.id, "sent"),
            });
        }
        return accounts;
    }

    async #specialFolder(accountId, use) {
        const folders = await this.messenger.folders.query({ accountId, specialUse: [use] });
        return folders.length > 0 ? folderOf(folders[0]) : null;
    }

    // The folder shown by the active mail tab of the main window, if any.
    async displayedFolder() {
        const tabs = await this.messenger.mailTabs.query({ active: true });
        const folder = tabs.find((tab) => tab.displayedFolder)?.displayedFolder;
        return folder ? this.#withCount(folder) : null;
    }

    async #withCount(folder) {
        let total = null;
        if (folder.isRoot || folder.path === "/") {
            return folderOf(folder, total); // an account's top holds no messages of its own
        }
        try {
            total = (await this.messenger.folders.getFolderInfo(folder.id ?? folder)).totalMessageCount ?? null;
        } catch (error) {
            this.log(`Chasewell: the size of folder ${folder.path} could not be read: ${error?.message ?? error}`);
        }
        return folderOf(folder, total);
    }

    async #folderSwitch(folder) {
        const shown = folder ? await this.#withCount(folder) : null;
        const json = JSON.stringify(shown);
        if (json !== this.toldFolder && this.connection.send("folderSwitch", { folder: shown })) {
            this.toldFolder = json;
        }
    }

    async #tabActivated(tabId) {
        try {
            const tab = await this.messenger.mailTabs.get(tabId);
            await this.#folderSwitch(tab.displayedFolder ?? null);
        } catch {
            // Not a mail tab (a compose window, a message tab): the main
            // window's folder is the one it was.
        }
    }

    async #newMail(folder, list) {
        if (!isInbox(folder)) {
            return;
        }
        const headers = await allMessages(this.messenger, list);
        for (const message of await messagesOf(this.messenger, this.protocol, headers, this.log)) {
            this.connection.send("newMail", { message });
        }
    }
}
