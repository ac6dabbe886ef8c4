// Debian's Firefox ESR, headless, driven through Marionette (its own remote protocol: JSON
// messages prefixed with their length, over TCP): no npm packages, no geckodriver.
"use strict";

const { spawn } = require("child_process");
const fs = require("fs");
const net = require("net");
const os = require("os");
const path = require("path");

const kFirefox = process.env.FIREFOX || "/usr/bin/firefox-esr";

// A quiet profile: no first-run pages, updates, reports or probes of a network it may not have;
// Marionette on a port of its choosing, which it writes into the profile.
const kPreferences = {
  "marionette.port": 0,
  "browser.shell.checkDefaultBrowser": false,
  "browser.startup.homepage_override.mstone": "ignore",
  "browser.aboutwelcome.enabled": false,
  "datareporting.policy.dataSubmissionEnabled": false,
  "toolkit.telemetry.reportingpolicy.firstRun": false,
  "app.update.disabledForTesting": true,
  "network.captive-portal-service.enabled": false,
  "network.connectivity-service.enabled": false,
  "browser.safebrowsing.update.enabled": false,
  "extensions.update.enabled": false,
};

class Firefox {
  static async launch() {
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), "tavrel-firefox-"));
    fs.writeFileSync(path.join(profile, "user.js"), Object.entries(kPreferences).map(([name, value]) => `user_pref(${JSON.stringify(name)}, ${JSON.stringify(value)});\n`).join(""));
    const child = spawn(kFirefox, ["--headless", "--marionette", "--no-remote", "--profile", profile, "about:blank"], { stdio: ["ignore", "ignore", "pipe"], detached: true, env: { ...process.env, MOZ_CRASHREPORTER_DISABLE: "1" } });
    const firefox = new Firefox(child, profile);
    child.stderr.on("data", (data) => (firefox.stderr += data));
    const portFile = path.join(profile, "MarionetteActivePort");
    for (let waited = 0; !fs.existsSync(portFile) || !fs.readFileSync(portFile, "utf8").trim(); waited += 100) {
      if (waited > 60000 || child.exitCode !== null) throw new Error(`Firefox did not start Marionette: ${firefox.stderr.trim().split("\n").slice(-5).join("; ")}`);
      await new Promise((resolve) => setTimeout(resolve, 100));
    }
    await firefox.connect(Number(fs.readFileSync(portFile, "utf8")));
    await firefox.send("WebDriver:NewSession", { capabilities: { alwaysMatch: { acceptInsecureCerts: true } } });
    return firefox;
  }

  constructor(child, profile) {
    this.child = child;
    this.profile = profile;
    this.stderr = "";
    this.nextId = 1;
    this.waiting = new Map();
    this.exited = new Promise((resolve) => child.on("exit", resolve));
  }

  connect(port) {
    return new Promise((resolve, reject) => {
      this.socket = net.connect(port, "127.0.0.1");
      let pending = Buffer.alloc(0);
      let greeted = false;
      this.socket.on("error", reject);
      this.socket.on("data", (data) => {
        pending = Buffer.concat([pending, data]);
        for (;;) {
          const colon = pending.indexOf(":");
          if (colon < 0) break;
          const length = Number(pending.subarray(0, colon).toString());
          if (pending.length < colon + 1 + length) break;
          const message = JSON.parse(pending.subarray(colon + 1, colon + 1 + length).toString());
          pending = pending.subarray(colon + 1 + length);
          if (!greeted) {
            greeted = true;
            resolve();
          } else {
            this.receive(message);
          }
        }
      });
    });
  }

  receive([, id, error, result]) {
    const waiting = this.waiting.get(id);
    if (!waiting) return;
    this.waiting.delete(id);
    if (error) waiting.reject(new Error(`${waiting.command}: ${error.message || error.error}`));
    else waiting.resolve(result);
  }

  send(command, parameters = {}) {
    const id = this.nextId++;
    const text = JSON.stringify([0, id, command, parameters]);
    this.socket.write(`${Buffer.byteLength(text)}:${text}`);
    return new Promise((resolve, reject) => this.waiting.set(id, { resolve, reject, command }));
  }

  // The value of a function body run in the page (it returns what it gives).
  async evaluate(body) {
    return (await this.send("WebDriver:ExecuteScript", { script: body, args: [] })).value;
  }

  async waitFor(expression, timeout = 30000) {
    const end = Date.now() + timeout;
    while (Date.now() < end) {
      if (await this.evaluate(`return !!(${expression});`)) return;
      await new Promise((resolve) => setTimeout(resolve, 50));
    }
    throw new Error(`timed out waiting for ${expression}`);
  }

  async screenshot() {
    return Buffer.from((await this.send("WebDriver:TakeScreenshot", { full: false })).value, "base64");
  }

  // A key pressed and released, as WebDriver's actions send it.
  async press(key) {
    await this.send("WebDriver:PerformActions", { actions: [{ type: "key", id: "keyboard", actions: [{ type: "keyDown", value: key }, { type: "keyUp", value: key }] }] });
  }

  async close() {
    try {
      await Promise.race([this.send("Marionette:Quit", { flags: ["eForceQuit"] }), new Promise((resolve) => setTimeout(resolve, 3000))]);
    } catch (error) {
      // Closing anyway.
    }
    this.socket?.destroy();
    try {
      process.kill(-this.child.pid, "SIGKILL");
    } catch (error) {
      // Ended already.
    }
    await this.exited;
    fs.rmSync(this.profile, { recursive: true, force: true, maxRetries: 10, retryDelay: 100 });
  }
}

module.exports = { Firefox };
