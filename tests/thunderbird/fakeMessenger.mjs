// A fake of the part of Thunderbird's MailExtension API the extension uses:
// accounts and folders, messages in them (listed in pages, as Thunderbird
// does), tabs and compose windows, the native-messaging port, and every
// call recorded. Also fake timers, so nothing waits on the wall clock.

import { readFileSync } from "node:fs";
import { fileURLToPath } from "node:url";

import { startChasewell } from "../../thunderbird/modules/chasewell.js";

const here = (path) => fileURLToPath(new URL(path, import.meta.url));
export const agreed = JSON.parse(readFileSync(here("../../thunderbird/protocol.json"), "utf8"));
export const manifest = JSON.parse(readFileSync(here("../../thunderbird/manifest.json"), "utf8"));

export class FakeEvent {
    constructor() {
        this.listeners = [];
    }
    addListener(listener) {
        this.listeners.push(listener);
    }
    removeListener(listener) {
        this.listeners = this.listeners.filter((l) => l !== listener);
    }
    hasListener(listener) {
        return this.listeners.includes(listener);
    }
    // Calls every listener as Thunderbird would; resolves to the first
    // listener's result (what Thunderbird acts on, as with onBeforeSend).
    async fire(...args) {
        const results = [];
        for (const listener of this.listeners) {
            results.push(await listener(...args));
        }
        return results[0];
    }
}

export class FakeTimers {
    constructor() {
        this.now = 0;
        this.nextId = 1;
        this.timers = new Map();
    }
    setTimeout(callback, ms) {
        const id = this.nextId++;
        this.timers.set(id, { due: this.now + ms, callback, ms });
        return id;
    }
    clearTimeout(id) {
        this.timers.delete(id);
    }
    // The delays of the timers now armed, in the order they fire.
    armed() {
        return [...this.timers.values()].sort((a, b) => a.due - b.due).map((t) => t.ms);
    }
    // Lets ms pass, firing each timer when its time comes and letting what it
    // started run before the next.
    async advance(ms) {
        const end = this.now + ms;
        for (;;) {
            await settle();
            const next = [...this.timers.entries()].sort((a, b) => a[1].due - b[1].due)[0];
            if (!next || next[1].due > end) {
                break;
            }
            this.timers.delete(next[0]);
            this.now = next[1].due;
            next[1].callback();
        }
        this.now = end;
        await settle();
    }
}

// Lets every promise chain that can go on run to its end (event-loop turns,
// no wall-clock time).
export async function settle() {
    for (let i = 0; i < 30; ++i) {
        await new Promise((resolve) => setImmediate(resolve));
    }
}

export class FakePort {
    constructor(name) {
        this.name = name;
        this.posted = [];
        this.onMessage = new FakeEvent();
        this.onDisconnect = new FakeEvent();
        this.error = null;
        this.disconnected = false;
    }
    postMessage(message) {
        if (this.disconnected) {
            throw new Error("Attempt to postMessage on disconnected port");
        }
        this.posted.push(JSON.parse(JSON.stringify(message)));
    }
    disconnect() {
        this.disconnected = true;
    }
    // What the host does:
    async hostSends(message) {
        await this.onMessage.fire(message);
        await settle();
    }
    async hostEnds(errorMessage = null) {
        this.error = errorMessage ? { message: errorMessage } : null;
        this.disconnected = true;
        await this.onDisconnect.fire(this);
        await settle();
    }
    kinds() {
        return this.posted.map((m) => m.kind);
    }
    last(kind) {
        return this.posted.filter((m) => m.kind === kind).at(-1);
    }
    all(kind) {
        return this.posted.filter((m) => m.kind === kind);
    }
}

const INBOX = { accountId: "account1", path: "/INBOX", name: "Inbox", specialUse: ["inbox"], type: "inbox" };
const SENT = { accountId: "account1", path: "/Sent", name: "Sent", specialUse: ["sent"], type: "sent" };
const ARCHIVE = { accountId: "account1", path: "/Archive", name: "Archive", specialUse: [] };

export class FakeMessenger {
    constructor({ pageSize = 100 } = {}) {
        this.pageSize = pageSize;
        this.calls = [];
        this.ports = [];
        this.notified = [];
        this.menuItems = new Map();
        this.lists = new Map();
        this.nextListId = 1;
        this.nextMessageId = 1;
        this.nextTabId = 60;
        this.connectError = null;
        this.sendError = null;
        this.accountList = [
            { id: "account1", name: "robin@example.com", type: "imap" },
            { id: "account2", name: "Blogs", type: "rss" },
        ];
        this.folderList = [INBOX, SENT, ARCHIVE].map((f) => ({ ...f, id: `account1:/${f.path}` }));
        this.store = [];
        this.composeTabs = new Map(); // tabId -> details
        this.mailTab = { id: 1, windowId: 1, type: "mail", active: true, displayedFolder: this.folder("/INBOX") };
        this.selected = [];
        this.displayed = new Map();
        this.#build();
    }

    folder(path) {
        return this.folderList.find((f) => f.path === path);
    }

    // Files a message; headers are the message's own (names as written),
    // the rest is derived from them as Thunderbird derives its fields.
    addMessage(path, headers) {
        const id = this.nextMessageId++;
        const first = (name) => {
            const key = Object.keys(headers).find((k) => k.toLowerCase() === name);
            return key ? [headers[key]].flat()[0] : undefined;
        };
        const list = (name) => (first(name) ? first(name).split(/,\s*/) : []);
        const subject = first("subject") ?? "";
        const message = {
            id,
            headerMessageId: (first("message-id") ?? `m${id}@example.com`).replace(/^<|>$/g, ""),
            folder: this.folder(path),
            // Thunderbird keeps a leading "Re: " as a flag, not in subject.
            subject: subject.replace(/^(re|aw|sv):\s*/i, ""),
            author: first("from") ?? "",
            recipients: list("to"),
            ccList: list("cc"),
            bccList: list("bcc"),
            date: new Date(first("date") ?? "2026-12-01T09:00:00Z"),
            headers: Object.fromEntries(
                Object.entries(headers).map(([k, v]) => [k.toLowerCase(), [v].flat()]),
            ),
        };
        this.store.push(message);
        return message;
    }

    header(message) {
        const { headers, ...header } = message;
        return { ...header, folder: { ...header.folder } };
    }

    // A MessageList as Thunderbird hands it out: the first page, and an id
    // to continue with when there are more.
    pagedList(messages) {
        const pages = [];
        for (let i = 0; i < messages.length; i += this.pageSize) {
            pages.push(messages.slice(i, i + this.pageSize).map((m) => this.header(m)));
        }
        if (pages.length <= 1) {
            return { id: null, messages: pages[0] ?? [] };
        }
        const id = `list${this.nextListId++}`;
        this.lists.set(id, pages.slice(1));
        return { id, messages: pages[0] };
    }

    openCompose(tabId, details) {
        this.composeTabs.set(tabId, details);
        return { id: tabId, windowId: 100 + tabId, type: "messageCompose" };
    }

    connectedPort() {
        return this.ports.at(-1);
    }

    #record(name, ...args) {
        this.calls.push({ name, args: JSON.parse(JSON.stringify(args)) });
    }

    callsOf(name) {
        return this.calls.filter((c) => c.name === name).map((c) => c.args);
    }

    #build() {
        const fake = this;
        const event = () => new FakeEvent();
        this.runtime = {
            connectNative(name) {
                if (fake.connectError) {
                    throw new Error(fake.connectError);
                }
                const port = new FakePort(name);
                fake.ports.push(port);
                return port;
            },
            getManifest: () => manifest,
            getURL: (path) => `moz-extension://fake/${path}`,
            onMessage: event(),
        };
        this.notifications = {
            create(options) {
                fake.notified.push(options.message);
                return Promise.resolve("n");
            },
        };
        this.accounts = {
            list: async () => fake.accountList.map((a) => ({ ...a })),
            onCreated: event(),
            onDeleted: event(),
            onUpdated: event(),
        };
        this.folders = {
            async query(info = {}) {
                return fake.folderList
                    .filter((f) => info.accountId === undefined || f.accountId === info.accountId)
                    .filter((f) => info.path === undefined || f.path === info.path)
                    .filter((f) => !info.specialUse || info.specialUse.every((u) => f.specialUse.includes(u)))
                    .map((f) => ({ ...f }));
            },
            async getFolderInfo(folderId) {
                const id = typeof folderId === "string" ? folderId : folderId.id;
                return { totalMessageCount: fake.store.filter((m) => m.folder.id === id).length };
            },
            onCreated: event(),
            onDeleted: event(),
            onRenamed: event(),
            onMoved: event(),
        };
        this.messages = {
            async getRaw(id, options) {
                fake.#record("messages.getRaw", id, options);
                const message = fake.store.find((m) => m.id === id);
                return { name: `message${id}.eml`, message: fake.header(message) };
            },
            async getHeaders(id) {
                const message = fake.store.find((m) => m.id === id);
                if (!message) {
                    throw new Error(`Message not found: ${id}.`);
                }
                return JSON.parse(JSON.stringify(message.headers));
            },
            async query(info = {}) {
                fake.#record("messages.query", info);
                return fake.pagedList(
                    fake.store
                        .filter((m) => info.headerMessageId === undefined || m.headerMessageId === info.headerMessageId)
                        .filter((m) => info.folderId === undefined || m.folder.id === info.folderId),
                );
            },
            async continueList(id) {
                const rest = fake.lists.get(id);
                if (!rest) {
                    throw new Error(`No message list with id ${id}`);
                }
                const page = rest.shift();
                if (rest.length === 0) {
                    fake.lists.delete(id);
                    return { id: null, messages: page };
                }
                return { id, messages: page };
            },
            onNewMailReceived: event(),
        };
        this.mailTabs = {
            query: async () => [{ ...fake.mailTab }],
            async get(tabId) {
                if (tabId !== fake.mailTab.id) {
                    throw new Error(`Invalid mail tab ID: ${tabId}`);
                }
                return { ...fake.mailTab };
            },
            getSelectedMessages: async () => fake.pagedList(fake.selected),
            onDisplayedFolderChanged: event(),
        };
        this.tabs = {
            query: async (info = {}) =>
                [...fake.composeTabs.keys()]
                    .filter(() => info.type === "messageCompose")
                    .map((id) => ({ id, type: "messageCompose" })),
            onCreated: event(),
            onRemoved: event(),
            onActivated: event(),
        };
        this.compose = {
            async getComposeDetails(tabId) {
                if (!fake.composeTabs.has(tabId)) {
                    throw new Error(`Invalid compose tab ID: ${tabId}`);
                }
                return JSON.parse(JSON.stringify(fake.composeTabs.get(tabId)));
            },
            async beginForward(id, type, details) {
                fake.#record("compose.beginForward", id, type, details);
                return fake.openCompose(50, details);
            },
            async beginNew(...args) {
                fake.#record("compose.beginNew", ...args);
                return fake.openCompose(51, args.at(-1));
            },
            async sendMessage(tabId, options) {
                fake.#record("compose.sendMessage", tabId, options);
                if (fake.sendError) {
                    throw new Error(fake.sendError);
                }
                return { mode: "sendNow", messages: [] };
            },
            onBeforeSend: event(),
            onAfterSend: event(),
        };
        this.messageDisplay = {
            // A message window: it shows the message, unless Thunderbird's
            // header of it is a stand-in (message.stale), when it stays empty
            // and asking what it shows fails.
            async open(properties) {
                const tabId = fake.nextTabId++;
                if (properties.file) {
                    fake.#record("messageDisplay.open", { file: properties.file.name, location: properties.location });
                    fake.displayed.set(tabId, [{ ...properties.file.message, external: true }]);
                } else {
                    fake.#record("messageDisplay.open", properties);
                    const message = fake.store.find((m) => m.id === properties.messageId);
                    fake.displayed.set(tabId, message.stale ? "stale" : [message]);
                }
                return { id: tabId, windowId: tabId + 1000, type: "messageDisplay" };
            },
            async getDisplayedMessages(tabId) {
                const shown = fake.displayed.get(tabId) ?? [];
                if (shown === "stale") {
                    throw new Error("An unexpected error occurred");
                }
                return shown.map((m) => (m.external ? m : fake.header(m)));
            },
        };
        this.windows = {
            async remove(windowId) {
                fake.#record("windows.remove", windowId);
            },
        };
        this.browserAction = { onClicked: event() };
        this.messageDisplayAction = { onClicked: event() };
        this.composeAction = { onClicked: event() };
        this.commands = { onCommand: event() };
        this.menus = {
            create(properties) {
                fake.menuItems.set(properties.id, { visible: true, ...properties });
            },
            update(id, properties) {
                Object.assign(fake.menuItems.get(id), properties);
            },
            refresh() {
                fake.#record("menus.refresh");
            },
            onShown: event(),
            onClicked: event(),
        };
    }
}

// The extension started on a fake Thunderbird, with fake timers and a log
// kept in memory.
export function startOnFake(options) {
    const messenger = new FakeMessenger(options);
    const timers = new FakeTimers();
    const logged = [];
    const chasewell = startChasewell({
        messenger,
        agreed,
        timers: { setTimeout: (f, ms) => timers.setTimeout(f, ms), clearTimeout: (id) => timers.clearTimeout(id) },
        log: (line) => logged.push(line),
    });
    return { messenger, timers, logged, chasewell };
}

// The host's answer to a hello.
export function helloAccepted(hello, fields = {}) {
    return { kind: "reply", id: hello.id, ok: true, protocol: agreed.version, host: "Chasewell 3.0.184", ...fields };
}

// The extension started and its hello answered: the host is connected.
export async function startConnected(options) {
    const started = startOnFake(options);
    await settle();
    const port = started.messenger.connectedPort();
    await port.hostSends(helloAccepted(port.last("hello")));
    return { ...started, port };
}
