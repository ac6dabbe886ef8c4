// Debian's Chromium, headless, driven through its DevTools protocol over a pipe: no npm packages.
"use strict";

const { spawn } = require("child_process");
const fs = require("fs");
const os = require("os");
const path = require("path");

const kChromium = process.env.CHROMIUM || "/usr/lib/chromium/chromium";

class Browser {
  // Starts the browser with an empty profile; where Chromium's sandbox cannot run (as root), it
  // runs without it.
  static launch(extraFlags = []) {
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), "tavrel-chromium-"));
    const flags = ["--headless", "--disable-gpu", "--remote-debugging-pipe", `--user-data-dir=${profile}`,
      "--no-first-run", "--disable-background-networking", "--disable-component-update", "--disable-sync",
      "--disable-quic", "--disable-background-timer-throttling", "--disable-renderer-backgrounding", ...extraFlags, "about:blank"];
    if (process.getuid && process.getuid() === 0) flags.unshift("--no-sandbox");
    // In a process group of its own, so that its helpers end with it.
    const child = spawn(kChromium, flags, { stdio: ["ignore", "ignore", "pipe", "pipe", "pipe"], detached: true });
    return new Browser(child, profile);
  }

  constructor(child, profile) {
    this.child = child;
    this.profile = profile;
    this.nextId = 1;
    this.waiting = new Map();
    this.listeners = [];
    this.pages = [];
    this.stderr = "";
    child.stderr.on("data", (data) => (this.stderr += data));
    let pending = "";
    child.stdio[4].on("data", (data) => {
      pending += data;
      let end;
      while ((end = pending.indexOf("\0")) >= 0) {
        this.receive(JSON.parse(pending.slice(0, end)));
        pending = pending.slice(end + 1);
      }
    });
    this.exited = new Promise((resolve) => child.on("exit", resolve));
  }

  receive(message) {
    if (message.id && this.waiting.has(message.id)) {
      const { resolve, reject, method } = this.waiting.get(message.id);
      this.waiting.delete(message.id);
      if (message.error) reject(new Error(`${method}: ${message.error.message}`));
      else resolve(message.result);
      return;
    }
    for (const listener of this.listeners) listener(message);
  }

  send(method, params = {}, sessionId = undefined) {
    const id = this.nextId++;
    this.child.stdio[3].write(JSON.stringify({ id, method, params, sessionId }) + "\0");
    return new Promise((resolve, reject) => this.waiting.set(id, { resolve, reject, method }));
  }

  on(listener) {
    this.listeners.push(listener);
  }

  // A new tab, attached: its commands go through the returned page.
  async openPage() {
    const { targetId } = await this.send("Target.createTarget", { url: "about:blank" });
    const { sessionId } = await this.send("Target.attachToTarget", { targetId, flatten: true });
    return new Page(this, sessionId);
  }

  async close() {
    try {
      await Promise.race([this.send("Browser.close"), new Promise((resolve) => setTimeout(resolve, 2000))]);
    } catch (error) {
      // Closing anyway.
    }
    try {
      process.kill(-this.child.pid, "SIGKILL");
    } catch (error) {
      // Ended already.
    }
    await this.exited;
    // Its helper processes may still be writing the profile as they end.
    fs.rmSync(this.profile, { recursive: true, force: true, maxRetries: 10, retryDelay: 100 });
  }
}

class Page {
  constructor(browser, sessionId) {
    this.browser = browser;
    this.sessionId = sessionId;
    this.consoleErrors = [];
    this.consoleWarnings = [];
    this.uncaught = [];
    browser.pages.push(this);
    browser.on((message) => {
      if (message.sessionId !== sessionId) return;
      if (message.method === "Runtime.consoleAPICalled" && message.params.type === "error")
        this.consoleErrors.push(message.params.args.map((arg) => arg.value ?? arg.description).join(" "));
      if (message.method === "Runtime.exceptionThrown") {
        const description = message.params.exceptionDetails.exception?.description ?? message.params.exceptionDetails.text;
        this.consoleErrors.push(description);
        this.uncaught.push(description);
      }
      if (message.method === "Log.entryAdded" && message.params.entry.level === "error")
        this.consoleErrors.push(message.params.entry.text);
      if (message.method === "Runtime.consoleAPICalled" && message.params.type === "warning")
        this.consoleWarnings.push(message.params.args.map((arg) => arg.value ?? arg.description).join(" "));
      if (message.method === "Log.entryAdded" && message.params.entry.level === "warning")
        this.consoleWarnings.push(message.params.entry.text);
    });
  }

  send(method, params = {}) {
    return this.browser.send(method, params, this.sessionId);
  }

  // The expression's value; with awaitPromise, the value its promise resolves to.
  async evaluate(expression, awaitPromise = false) {
    const { result, exceptionDetails } = await this.send("Runtime.evaluate", { expression, returnByValue: true, awaitPromise });
    if (exceptionDetails) throw new Error(`${expression}: ${exceptionDetails.exception?.description ?? exceptionDetails.text}`);
    return result.value;
  }

  // Waits until the expression is true, up to a timeout in milliseconds.
  async waitFor(expression, timeout = 30000) {
    const end = Date.now() + timeout;
    while (Date.now() < end) {
      if (await this.evaluate(expression)) return;
      await new Promise((resolve) => setTimeout(resolve, 20));
    }
    throw new Error(`timed out waiting for ${expression}`);
  }

  // The page as shown, or the part of it clip gives ({ x, y, width, height } in CSS pixels,
  // taken at the device's scale).
  async screenshot(clip = undefined) {
    const { data } = await this.send("Page.captureScreenshot", { format: "png", ...(clip ? { clip: { ...clip, scale: 1 } } : {}) });
    return Buffer.from(data, "base64");
  }

  // A finger put down and lifted at a point (CSS pixels); touch must be emulated first.
  async tap(x, y) {
    await this.send("Input.dispatchTouchEvent", { type: "touchStart", touchPoints: [{ x, y }] });
    await this.send("Input.dispatchTouchEvent", { type: "touchEnd", touchPoints: [] });
  }

  // A mouse's left button pressed and released at a point (CSS pixels).
  async click(x, y) {
    await this.send("Input.dispatchMouseEvent", { type: "mouseMoved", x, y });
    await this.send("Input.dispatchMouseEvent", { type: "mousePressed", x, y, button: "left", buttons: 1, clickCount: 1 });
    await this.send("Input.dispatchMouseEvent", { type: "mouseReleased", x, y, button: "left", buttons: 0, clickCount: 1 });
  }

  // A key pressed and released as a keyboard would send it.
  async press(key, code, keyCode, modifiers = 0) {
    await this.send("Input.dispatchKeyEvent", { type: "rawKeyDown", key, code, windowsVirtualKeyCode: keyCode, modifiers });
    await this.send("Input.dispatchKeyEvent", { type: "keyUp", key, code, windowsVirtualKeyCode: keyCode });
  }
}

module.exports = { Browser };
