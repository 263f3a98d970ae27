// The background page of the extension's test variant: the shipped
// background page, unchanged, and the harness's driver beside it.

import { chasewell } from "../background.js";
import { startDriver } from "./driver.js";

startDriver(globalThis.messenger ?? globalThis.browser, chasewell);
