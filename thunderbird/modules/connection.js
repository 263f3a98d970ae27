// The native-messaging port to the Chasewell host, which stands for the mail
// client's main window: it is opened when Thunderbird starts, greeted with
// hello, and opened again with a growing pause whenever it ends, for as long
// as Thunderbird runs.
//
// Every message either way is checked against protocol.json; one from the
// host that does not fit is dropped with a log line. Requests to the host
// are answered within a time limit or counted as failed, so that nothing in
// Thunderbird (a send above all) waits for a host that is gone.

const FIRST_PAUSE_MS = 1000;
const LONGEST_PAUSE_MS = 5 * 60 * 1000;
// Events that happen while hello is on its way are sent once it is
// answered; a host that never answers must not make them pile up.
const MOST_QUEUED = 1000;

export const NOT_CONNECTED = "Chasewell is not connected to Thunderbird.";

export class Connection {
    // messenger: the MailExtension API; protocol: a Protocol; timers:
    // {setTimeout, clearTimeout}; log(line); notices: a Notices.
    // helloFields(): the accounts and the displayed folder, for hello.
    // onRequest(kind, message): carries out a host request, resolving to its
    // result fields or rejecting with an Error whose message is for the user.
    // onReady(): the host answered hello.
    constructor({
        messenger,
        protocol,
        timers,
        log,
        notices,
        extensionVersion,
        helloFields,
        onRequest,
        onReady = () => {},
    }) {
        Object.assign(this, { messenger, protocol, timers, log, notices, extensionVersion });
        this.helloFields = helloFields;
        this.onRequest = onRequest;
        this.onReady = onReady;
        this.port = null;
        this.state = "disconnected"; // "connecting" until hello is answered, then "ready"
        this.pending = new Map(); // request id -> {kind, finish, timer}
        this.queue = [];
        this.nextId = 1;
        this.pause = FIRST_PAUSE_MS;
        this.retryTimer = null;
        this.heardFromHost = false;
        this.stopped = false;
    }

    get ready() {
        return this.state === "ready";
    }

    start() {
        this.stopped = false;
        this.#connect();
    }

    // Ends the connection for good (Thunderbird shuts the extension down).
    stop() {
        this.stopped = true;
        if (this.retryTimer !== null) {
            this.timers.clearTimeout(this.retryTimer);
            this.retryTimer = null;
        }
        const port = this.port;
        this.#ended(null);
        port?.disconnect();
    }

    // Sends an event. While hello is on its way it waits for the answer;
    // without a connection it is dropped (and false returned).
    send(kind, fields = {}) {
        const message = { kind, ...fields };
        if (this.state === "ready") {
            return this.#post(message);
        }
        if (this.state === "connecting" && this.queue.length < MOST_QUEUED) {
            this.queue.push(message);
            return true;
        }
        this.log(`Chasewell: ${kind} was not sent: ${NOT_CONNECTED}`);
        return false;
    }

    // Sends a request and resolves to the host's reply ({ok, error?, ...the
    // result fields}); resolves to {ok: false, error} when there is no
    // connection, the connection ends or the host does not answer within
    // timeoutMs. Never rejects.
    request(kind, fields = {}, timeoutMs = this.protocol.limits.replyTimeoutMs) {
        if (this.state !== "ready") {
            return Promise.resolve({ ok: false, error: NOT_CONNECTED });
        }
        return this.#request(kind, fields, timeoutMs);
    }

    #request(kind, fields, timeoutMs) {
        const id = this.nextId++;
        return new Promise((resolve) => {
            const timer = this.timers.setTimeout(() => {
                this.pending.delete(id);
                this.log(`Chasewell: the host did not answer ${kind} within ${timeoutMs} ms`);
                resolve({
                    ok: false,
                    error: `Chasewell did not answer within ${Math.round(timeoutMs / 1000)} seconds.`,
                });
            }, timeoutMs);
            const finish = (reply) => {
                this.timers.clearTimeout(timer);
                this.pending.delete(id);
                resolve(reply);
            };
            this.pending.set(id, { kind, finish });
            if (!this.#post({ kind, id, ...fields })) {
                finish({ ok: false, error: NOT_CONNECTED });
            }
        });
    }

    async #connect() {
        this.retryTimer = null;
        if (this.stopped || this.state !== "disconnected") {
            return;
        }
        // Events from now on wait for hello's answer.
        this.state = "connecting";
        let fields;
        try {
            fields = await this.helloFields();
        } catch (error) {
            this.log(`Chasewell: the accounts could not be read for hello: ${error?.message ?? error}`);
            fields = { accounts: [], folder: null };
        }
        if (this.stopped) {
            this.#ended(NOT_CONNECTED);
            return;
        }
        let port;
        try {
            port = this.messenger.runtime.connectNative(this.protocol.hostName);
        } catch (error) {
            this.#couldNotStart(error?.message ?? String(error));
            this.#ended(NOT_CONNECTED);
            this.#retryLater();
            return;
        }
        this.port = port;
        this.heardFromHost = false;
        port.onMessage.addListener((message) => this.#received(port, message));
        port.onDisconnect.addListener((p) => this.#disconnected(port, p?.error ?? port.error));
        const reply = await this.#request(
            "hello",
            {
                protocol: this.protocol.version,
                extension: this.extensionVersion,
                accounts: fields.accounts,
                folder: fields.folder,
            },
            this.protocol.limits.replyTimeoutMs,
        );
        if (port !== this.port) {
            return; // the port ended meanwhile; #disconnected took care of it
        }
        if (this.#helloAccepted(reply)) {
            this.state = "ready";
            this.pause = FIRST_PAUSE_MS;
            this.notices.forget();
            this.log(`Chasewell: connected to ${reply.host} (protocol ${reply.protocol})`);
            const queued = this.queue;
            this.queue = [];
            for (const message of queued) {
                this.#post(message);
            }
            this.onReady();
            return;
        }
        this.port = null;
        this.#ended(NOT_CONNECTED);
        port.disconnect();
        this.#retryLater();
    }

    // Whether the host's answer to hello lets the two work together; says
    // why not, once, when it does not.
    #helloAccepted(reply) {
        if (reply.ok && reply.protocol === this.protocol.version) {
            return true;
        }
        const theirs = Number.isInteger(reply.protocol) ? reply.protocol : null;
        if (reply.problem === "protocol" || (reply.ok && theirs !== this.protocol.version)) {
            const versions = theirs === null ? "" : ` (the program speaks version ${theirs}, the add-on version ${this.protocol.version})`;
            this.notices.once(
                "protocol",
                `Chasewell and its Thunderbird add-on are different versions${versions}, so they cannot work together. Install the same version of both.`,
            );
        } else if (reply.problem === "dataFolderInUse") {
            this.notices.once(
                "dataFolderInUse",
                reply.error ??
                    "Another Chasewell is using the reminders. Close it, and Chasewell connects to Thunderbird within a few minutes.",
            );
        } else if (reply.problem === "start") {
            this.notices.once("start", reply.error ?? "Chasewell could not start; its log in the data folder says why.");
        } else if (this.heardFromHost) {
            this.notices.once("hello", reply.error ?? "Chasewell refused the connection from Thunderbird.");
        } else if (reply.error !== NOT_CONNECTED) {
            this.notices.once("noAnswer", `Chasewell was started but did not answer Thunderbird. ${reply.error ?? ""}`.trim());
        }
        this.log(`Chasewell: hello was not accepted: ${reply.error ?? "no reason given"}`);
        return false;
    }

    #couldNotStart(reason) {
        this.log(`Chasewell: the host could not be started: ${reason}`);
        if (/no such native application/i.test(reason)) {
            this.notices.once(
                "notRegistered",
                "Thunderbird cannot find the Chasewell program. Install Chasewell and run \"chasewell --register-thunderbird\" once; Thunderbird then connects to it within a few minutes.",
            );
        } else {
            this.notices.once(
                "couldNotStart",
                `Thunderbird could not start the Chasewell program (${reason}). Run "chasewell --register-thunderbird" once to register it again.`,
            );
        }
    }

    #disconnected(port, error) {
        if (port !== this.port) {
            return;
        }
        const reason = error?.message ?? (error ? String(error) : "");
        const wasReady = this.state === "ready";
        this.port = null;
        if (!wasReady && !this.heardFromHost) {
            this.#couldNotStart(reason || "it ended at once");
        } else {
            this.log(`Chasewell: the connection to the host ended${reason ? `: ${reason}` : ""}`);
        }
        this.#ended(NOT_CONNECTED);
        this.#retryLater();
    }

    // Everything waiting on the connection learns that it is gone.
    #ended(error) {
        this.port = null;
        this.state = "disconnected";
        this.queue = [];
        const pending = [...this.pending.values()];
        this.pending.clear();
        for (const { finish } of pending) {
            finish({ ok: false, error: error ?? NOT_CONNECTED });
        }
    }

    #retryLater() {
        if (this.stopped || this.retryTimer !== null) {
            return;
        }
        const pause = this.pause;
        this.pause = Math.min(this.pause * 2, LONGEST_PAUSE_MS);
        this.log(`Chasewell: connecting again in ${pause / 1000} s`);
        this.retryTimer = this.timers.setTimeout(() => this.#connect(), pause);
    }

    #post(message) {
        const problem = this.protocol.checkToHost(message);
        if (problem) {
            this.log(`Chasewell: ${message.kind} was not sent: ${problem}`);
            return false;
        }
        if (!this.port) {
            this.log(`Chasewell: ${message.kind} was not sent: ${NOT_CONNECTED}`);
            return false;
        }
        try {
            this.port.postMessage(message);
            return true;
        } catch (error) {
            this.log(`Chasewell: ${message.kind} was not sent: ${error?.message ?? error}`);
            return false;
        }
    }

    #received(port, message) {
        if (port !== this.port) {
            return;
        }
        this.heardFromHost = true;
        const problem = this.protocol.checkFromHost(message);
        if (problem) {
            this.#drop(message, problem);
            return;
        }
        if (message.kind === "reply") {
            this.#replied(message);
            return;
        }
        if (this.state !== "ready") {
            this.#drop(message, "the host sent it before it answered hello");
            return;
        }
        if (this.protocol.isRequestFromHost(message.kind)) {
            this.#carryOut(port, message);
        } else {
            Promise.resolve()
                .then(() => this.onRequest(message.kind, message))
                .catch((error) => this.log(`Chasewell: ${message.kind} failed: ${error?.message ?? error}`));
        }
    }

    #replied(reply) {
        const request = this.pending.get(reply.id);
        if (!request) {
            this.#drop(reply, `no request ${reply.id} is waiting for a reply`);
            return;
        }
        if (reply.ok) {
            const problem = this.protocol.checkResultFromHost(request.kind, reply);
            if (problem) {
                this.#drop(reply, problem);
                request.finish({ ok: false, error: "Chasewell's answer could not be read." });
                return;
            }
        }
        request.finish(reply);
    }

    async #carryOut(port, request) {
        let reply;
        try {
            const result = await this.onRequest(request.kind, request);
            reply = { ...result, kind: "reply", id: request.id, ok: true };
            const problem = this.protocol.checkResultToHost(request.kind, reply);
            if (problem) {
                throw new Error(`Thunderbird's answer to ${request.kind} was incomplete (${problem}).`);
            }
        } catch (error) {
            reply = { kind: "reply", id: request.id, ok: false, error: error?.message ?? String(error) };
        }
        // The answer belongs to the host that asked: a host started since
        // never sent this request.
        if (this.ready && this.port === port) {
            this.#post(reply);
        } else {
            this.log(`Chasewell: the reply to ${request.kind} ${request.id} was not sent: the host that asked is gone`);
        }
    }

    #drop(message, problem) {
        let text;
        try {
            text = JSON.stringify(message);
        } catch {
            text = String(message);
        }
        if (text && text.length > 300) {
            text = `${text.slice(0, 300)}...`;
        }
        this.log(`Chasewell: dropped a message from the host (${problem}): ${text}`);
    }
}
