// Turns what Thunderbird's API gives (folders, message headers, compose
// details) into the Folder, Message and ComposeDetails of the protocol, and
// finds a message again by its Message-ID.

// A folder's kind as the protocol names it: Thunderbird lists the special
// uses of a folder ("inbox", "sent", ...; a folder may have several), and
// older versions gave one "type".
function folderType(folder) {
    if (Array.isArray(folder.specialUse) && folder.specialUse.length > 0) {
        return folder.specialUse[0];
    }
    return folder.type ?? null;
}

export function folderOf(folder, totalMessages = null) {
    return {
        accountId: folder.accountId ?? "",
        path: folder.path,
        name: folder.name ?? "",
        type: folderType(folder),
        totalMessages,
    };
}

export function isInbox(folder) {
    return folder.specialUse?.includes("inbox") || folder.type === "inbox";
}

function sameFolder(folder, ref) {
    return !!folder && !!ref && folder.accountId === ref.accountId && folder.path === ref.path;
}

// Every message of a list, page after page: Thunderbird hands long lists
// (a large selection, a search) out in pages.
export async function allMessages(messenger, list) {
    const messages = [...(list?.messages ?? [])];
    let id = list?.id;
    while (id) {
        const page = await messenger.messages.continueList(id);
        messages.push(...page.messages);
        id = page.id;
    }
    return messages;
}

// Thunderbird's own subject leaves out a leading "Re: " (it keeps it as a
// flag), and reply watching compares subjects as they were written; so the
// subject and the other headers the host reads come from the message itself.
export async function messageOf(messenger, protocol, header, log) {
    if (!header.folder) {
        return null;
    }
    let raw = {};
    try {
        raw = await messenger.messages.getHeaders(header.id);
    } catch (error) {
        log(
            `Chasewell: the headers of message ${header.headerMessageId} could not be read ` +
                `(${error?.message ?? error}); its subject is Thunderbird's`,
        );
    }
    const headers = {};
    for (const [name, values] of Object.entries(raw ?? {})) {
        const key = name.toLowerCase();
        if (protocol.forwardedHeaders.includes(key) && Array.isArray(values)) {
            headers[key] = [...(headers[key] ?? []), ...values.map(String)];
        }
    }
    const date = header.date instanceof Date ? header.date.getTime() : new Date(header.date).getTime();
    return {
        messageId: header.headerMessageId ?? "",
        folder: folderOf(header.folder),
        subject: headers.subject?.[0] ?? header.subject ?? "",
        author: header.author ?? "",
        date: Number.isFinite(date) ? date : 0,
        to: header.recipients ?? [],
        cc: header.ccList ?? [],
        bcc: header.bccList ?? [],
        headers,
    };
}

// The Messages of a list of headers, leaving out those that are no message
// in a folder (an attachment opened as a message has no folder).
export async function messagesOf(messenger, protocol, headers, log) {
    const messages = [];
    for (const header of headers) {
        const message = await messageOf(messenger, protocol, header, log);
        if (message) {
            messages.push(message);
        } else {
            log(`Chasewell: message ${header.headerMessageId} is in no folder and was left out`);
        }
    }
    return messages;
}

// Finds the message a MessageRef names: by its Message-ID, in the folder
// where it was last seen if it is still there, else wherever it is now.
// null when it is gone.
export async function findMessage(messenger, ref) {
    if (ref.folder) {
        try {
            const folders = await messenger.folders.query({
                accountId: ref.folder.accountId,
                path: ref.folder.path,
            });
            const folder = folders.find((f) => sameFolder(f, ref.folder));
            if (folder?.id) {
                const list = await messenger.messages.query({
                    folderId: folder.id,
                    headerMessageId: ref.messageId,
                });
                const found = await allMessages(messenger, list);
                if (found.length > 0) {
                    return found[0];
                }
            }
        } catch {
            // The folder may be gone; the search everywhere below decides.
        }
    }
    const list = await messenger.messages.query({ headerMessageId: ref.messageId });
    const found = await allMessages(messenger, list);
    return found.find((header) => sameFolder(header.folder, ref.folder)) ?? found[0] ?? null;
}

// A compose window's recipients come as one address or a list, each typed
// text or a reference to an address book entry; the host is given the
// typed ones (an address book reference has no address to remind).
function addressList(value, log) {
    const list = value === undefined || value === null ? [] : Array.isArray(value) ? value : [value];
    const addresses = [];
    for (const item of list) {
        if (typeof item === "string") {
            if (item.trim() !== "") {
                addresses.push(item);
            }
        } else {
            log(`Chasewell: a recipient from the address book (${JSON.stringify(item)}) was left out`);
        }
    }
    return addresses;
}

export function composeDetailsOf(details, log) {
    return {
        from: typeof details.from === "string" ? details.from : "",
        to: addressList(details.to, log),
        cc: addressList(details.cc, log),
        bcc: addressList(details.bcc, log),
        subject: details.subject ?? "",
    };
}
