// What the extension tells the user, as Thunderbird notifications titled
// "Chasewell". A notice about the connection is said once: the extension
// retries every few minutes for as long as Thunderbird runs, and the same
// sentence at every retry would only teach the user to ignore it.

export class Notices {
    constructor(messenger, log) {
        this.messenger = messenger;
        this.log = log;
        this.said = new Set();
    }

    say(text) {
        this.log(`Chasewell: notice: ${text}`);
        try {
            const shown = this.messenger.notifications.create({
                type: "basic",
                title: "Chasewell",
                message: text,
            });
            Promise.resolve(shown).catch((error) => {
                this.log(`Chasewell: the notice could not be shown: ${error?.message ?? error}`);
            });
        } catch (error) {
            this.log(`Chasewell: the notice could not be shown: ${error?.message ?? error}`);
        }
    }

    // Says text unless a notice with this key was said since the last
    // forget(): the same trouble is reported once, however often it recurs.
    once(key, text) {
        if (this.said.has(key)) {
            return;
        }
        this.said.add(key);
        this.say(text);
    }

    // Called once the host is connected: trouble after that is news again.
    forget() {
        this.said.clear();
    }
}
