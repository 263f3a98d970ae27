// The add-on's options in the Add-ons Manager: Chasewell's settings are the
// program's own dialog (the same one the program shows), so this page asks
// the program to open it, when the page opens and at every press of the
// button.

const messenger = globalThis.messenger ?? globalThis.browser;
const status = document.getElementById("status");

async function openSettings() {
    const opened = await messenger.runtime.sendMessage({ chasewell: "settings" });
    status.textContent = opened
        ? "Chasewell's settings open in a window of their own."
        : "Chasewell is not connected to Thunderbird right now, so its settings cannot open.";
}

document.getElementById("open").addEventListener("click", openSettings);
openSettings();
