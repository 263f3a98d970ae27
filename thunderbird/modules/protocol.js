// The messages between this extension and the Chasewell native host, checked
// against protocol.json: the one description both sides read, so neither
// side can drift from the other without a test noticing.
//
// A field type is "string", "integer", "boolean" or a type named in the
// file's "types"; a trailing "?" lets the value be missing or null, a
// trailing "[]" makes it an array of that type. A type has either "fields"
// (an object with those fields) or "values" (an object whose every value has
// that type, such as the headers). Fields the file does not name are ignored,
// so that a newer peer may add one without breaking an older one; a changed
// meaning changes the file's "version".

function isPlainObject(value) {
    return typeof value === "object" && value !== null && !Array.isArray(value);
}

export class Protocol {
    // agreed: protocol.json as parsed.
    constructor(agreed) {
        this.agreed = agreed;
        this.version = agreed.version;
        this.hostName = agreed.hostName;
        this.extensionId = agreed.extensionId;
        this.limits = agreed.limits;
        this.forwardedHeaders = agreed.forwardedHeaders;
    }

    // Whether a message from the host fits; null when it does, else a
    // sentence saying what is wrong, for the log.
    checkFromHost(message) {
        return this.#checkMessage(this.agreed.toExtension, message);
    }

    // The same for a message this extension is about to send: a failure here
    // is a fault of ours, caught before the host has to drop the message.
    checkToHost(message) {
        const problem = this.#checkMessage(this.agreed.toHost, message);
        if (problem) {
            return problem;
        }
        const bytes = new TextEncoder().encode(JSON.stringify(message)).length;
        if (bytes > this.limits.toHostBytes) {
            return `${message.kind} is ${bytes} bytes, more than the ${this.limits.toHostBytes} the host takes`;
        }
        return null;
    }

    // Whether the host's ok reply carries the result fields of the request
    // of this kind that this extension sent.
    checkResultFromHost(kind, reply) {
        const result = this.agreed.toHost[kind]?.result ?? {};
        return this.#checkFields(`the reply to ${kind}`, "", result, reply);
    }

    // The same for this extension's ok reply to a request of the host.
    checkResultToHost(kind, reply) {
        const result = this.agreed.toExtension[kind]?.result ?? {};
        return this.#checkFields(`the reply to ${kind}`, "", result, reply);
    }

    // Whether a request of this kind (sent by this extension) is one.
    isRequestToHost(kind) {
        return this.agreed.toHost[kind]?.request === true;
    }

    // Whether a message of this kind from the host expects a reply.
    isRequestFromHost(kind) {
        return this.agreed.toExtension[kind]?.request === true;
    }

    #checkMessage(table, message) {
        if (!isPlainObject(message)) {
            return "it is not a JSON object";
        }
        if (typeof message.kind !== "string") {
            return "it has no kind";
        }
        const entry = Object.hasOwn(table, message.kind) ? table[message.kind] : undefined;
        if (!entry) {
            return `its kind "${message.kind}" is unknown`;
        }
        if (entry.request && !Number.isInteger(message.id)) {
            return `${message.kind} has no whole-number id`;
        }
        return this.#checkFields(message.kind, "", entry.fields, message);
    }

    // where names the message for the log; path is the dotted way to the
    // object within it ("" at the top).
    #checkFields(where, path, fields, object) {
        for (const [name, type] of Object.entries(fields)) {
            const problem = this.#checkValue(where, path + name, type, object[name]);
            if (problem) {
                return problem;
            }
        }
        return null;
    }

    #checkValue(where, path, type, value) {
        if (type.endsWith("?")) {
            if (value === undefined || value === null) {
                return null;
            }
            type = type.slice(0, -1);
        } else if (value === undefined) {
            return `${where}: "${path}" is missing`;
        } else if (value === null) {
            return `${where}: "${path}" is null`;
        }
        if (type.endsWith("[]")) {
            if (!Array.isArray(value)) {
                return `${where}: "${path}" is not an array`;
            }
            const itemType = type.slice(0, -2);
            for (let i = 0; i < value.length; ++i) {
                const problem = this.#checkValue(where, `${path}[${i}]`, itemType, value[i]);
                if (problem) {
                    return problem;
                }
            }
            return null;
        }
        switch (type) {
            case "string":
                return typeof value === "string" ? null : `${where}: "${path}" is not a string`;
            case "integer":
                return Number.isInteger(value) ? null : `${where}: "${path}" is not a whole number`;
            case "boolean":
                return typeof value === "boolean" ? null : `${where}: "${path}" is not true or false`;
        }
        const named = Object.hasOwn(this.agreed.types, type) ? this.agreed.types[type] : undefined;
        if (!named) {
            throw new Error(`protocol.json names an unknown type "${type}"`);
        }
        if (!isPlainObject(value)) {
            return `${where}: "${path}" is not an object`;
        }
        if (named.fields) {
            return this.#checkFields(where, path + ".", named.fields, value);
        }
        for (const [key, item] of Object.entries(value)) {
            const problem = this.#checkValue(where, `${path}.${key}`, named.values, item);
            if (problem) {
                return problem;
            }
        }
        return null;
    }
}
