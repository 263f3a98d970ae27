// The extension's background page. Manifest version 2 keeps it alive for as
// long as Thunderbird runs, which the connection to the host and a send
// waiting for the host's details window both need.

import { startChasewell } from "./modules/chasewell.js";

const messenger = globalThis.messenger ?? globalThis.browser;
const agreed = await (await fetch(messenger.runtime.getURL("protocol.json"))).json();

// Exported for the extension's own pages; nothing outside it can reach this.
export const chasewell = startChasewell({
    messenger,
    agreed,
    timers: { setTimeout: (f, ms) => setTimeout(f, ms), clearTimeout: (id) => clearTimeout(id) },
    log: (line) => console.log(line),
});
