// Puts the extension together: the connection to the host, the events of
// the main and the compose windows, the host's requests, the commands.
// Everything outside (the MailExtension API, the timers, the log) comes in
// as an argument, so that the whole of it runs under test with fakes.

import { Commands } from "./commands.js";
import { ComposeEvents } from "./composeEvents.js";
import { Connection } from "./connection.js";
import { HostRequests } from "./hostRequests.js";
import { MailEvents } from "./mailEvents.js";
import { Notices } from "./notices.js";
import { Protocol } from "./protocol.js";

// messenger: the MailExtension API; agreed: protocol.json as parsed;
// timers: {setTimeout, clearTimeout}; log(line).
export function startChasewell({ messenger, agreed, timers, log }) {
    const protocol = new Protocol(agreed);
    const notices = new Notices(messenger, log);
    const hostRequests = new HostRequests({ messenger, protocol, notices, log });
    const parts = { protocol, notices, hostRequests };
    parts.connection = new Connection({
        messenger,
        protocol,
        timers,
        log,
        notices,
        extensionVersion: messenger.runtime.getManifest().version,
        helloFields: () => parts.mailEvents.helloFields(),
        onRequest: (kind, request) => hostRequests.handle(kind, request),
        onReady: () =>
            parts.composeEvents
                .announceOpen()
                .catch((error) =>
                    log(`Chasewell: the open compose windows could not be read: ${error?.message ?? error}`),
                ),
    });
    const shared = { messenger, protocol, connection: parts.connection, notices, log };
    parts.mailEvents = new MailEvents(shared);
    parts.composeEvents = new ComposeEvents(shared);
    parts.commands = new Commands({ ...shared, composeEvents: parts.composeEvents });

    parts.mailEvents.listen();
    parts.composeEvents.listen();
    parts.commands.listen();
    parts.connection.start();
    return parts;
}
