// The page in headless Chromium: served as static files, it rains in a canvas of the window's
// size at the page's scale, its frames and steps each on a grid of 1/64 s, merges the ticks a
// frozen tab missed, and any key ends it.
//
// usage: node page_test.js PAGE_DIR SCENARIO [SCREENSHOT.png]
"use strict";

const { spawn, spawnSync } = require("child_process");
const fs = require("fs");
const os = require("os");
const path = require("path");
const { Browser } = require("./chromium");
const { decodePng } = require("./png");

const kHead = [100, 255, 100];
const kClient = [545, 336];

function check(condition, message) {
  if (!condition) throw new Error(message);
}

// python3's static server on a port of its own, the one it reports.
function serve(directory) {
  const server = spawn("python3", ["-u", "-m", "http.server", "0", "--bind", "127.0.0.1", "--directory", directory], { stdio: ["ignore", "pipe", "pipe"] });
  return new Promise((resolve, reject) => {
    let output = "";
    server.stdout.on("data", (data) => {
      output += data;
      const port = /port (\d+)/.exec(output);
      if (port) resolve({ server, url: `http://127.0.0.1:${port[1]}/` });
    });
    server.on("exit", (status) => reject(new Error(`the web server ended with status ${status}: ${output}`)));
  });
}

function colours(png) {
  const counts = new Map();
  for (let index = 0; index < png.pixels.length; index += 3) {
    const key = (png.pixels[index] << 16) | (png.pixels[index + 1] << 8) | png.pixels[index + 2];
    counts.set(key, (counts.get(key) || 0) + 1);
  }
  return counts;
}

// The rain's look: mostly black, the head's colour, and five or more greens.
function checkRain(png) {
  const counts = colours(png);
  const black = counts.get(0) || 0;
  check(black > png.width * png.height / 2, `the screenshot is not mostly black (${black} of ${png.width * png.height})`);
  check(counts.has((kHead[0] << 16) | (kHead[1] << 8) | kHead[2]), "no pixel has the head's colour (100, 255, 100)");
  const greens = [...counts.keys()].filter((key) => {
    const [red, green, blue] = [key >> 16, (key >> 8) & 0xff, key & 0xff];
    return green > red && green > blue;
  });
  check(greens.length >= 5, `only ${greens.length} greens`);
}

// Records every turn the page's timer callbacks make (when it started and ended, the ticks, frames
// and steps it ran) and every turn the page asks for, for the tick rules to be checked on.
const kTurnRecorder = `(() => {
  const record = (window.turnRecord = { turns: [], requests: [] });
  const setTimeoutOfThePage = window.setTimeout;
  const counts = () => (window.tavrel ? [tavrel.ticks, tavrel.frames] : [0, 0]);
  window.setTimeout = function (callback, delay, ...rest) {
    record.requests.push({ at: performance.now(), delay: Number(delay) || 0 });
    return setTimeoutOfThePage.call(window, function (...args) {
      const start = performance.now();
      const [ticks, frames] = counts();
      try {
        return callback.apply(this, args);
      } finally {
        const [ticksAfter, framesAfter] = counts();
        const ran = { ticks: ticksAfter - ticks, frames: framesAfter - frames };
        ran.steps = ran.ticks - ran.frames;
        record.turns.push({ start, end: performance.now(), ticks: ran });
      }
    }, delay, ...rest);
  };
})();`;

// The rules the ticks keep whatever the host does (tests/e2e/tick_rules.py), on what the page
// recorded from the moment given; timers names the counts checked and how many timers each is.
async function checkTickRules(page, from, timers, withRequests) {
  const record = await page.evaluate(`(() => ({
    turns: turnRecord.turns.filter((turn) => turn.start >= ${from}),
    requests: turnRecord.requests.filter((request) => request.at >= ${from}),
  }))()`);
  check(record.turns.length > 0, "no turns were recorded");
  const file = path.join(fs.mkdtempSync(path.join(os.tmpdir(), "tavrel-ticks-")), "record.json");
  // performance.now() is coarsened to 0.1 ms where the page is not cross-origin isolated.
  fs.writeFileSync(file, JSON.stringify({ period: 15.625, resolution: 0.2, timers, turns: record.turns, requests: withRequests ? record.requests : undefined }));
  const result = spawnSync("python3", [path.join(__dirname, "..", "tick_rules.py"), file], { encoding: "utf8" });
  if (process.env.TAVREL_KEEP_TICK_RECORD) fs.copyFileSync(file, process.env.TAVREL_KEEP_TICK_RECORD);
  fs.rmSync(path.dirname(file), { recursive: true });
  console.log(result.stdout.trim());
  check(result.status === 0, `the ticks broke a rule: ${(result.stdout + result.stderr).trim().split("\n").filter((line) => line.startsWith("broken") || result.status !== 1).join("; ")}`);
}

async function openPage(browser, url, scale, scriptBefore = null) {
  const page = await browser.openPage();
  await page.send("Runtime.enable");
  await page.send("Log.enable");
  await page.send("Page.enable");
  await page.send("Page.addScriptToEvaluateOnNewDocument", { source: kTurnRecorder });
  if (scriptBefore) await page.send("Page.addScriptToEvaluateOnNewDocument", { source: scriptBefore });
  await page.send("Emulation.setDeviceMetricsOverride", { width: 800, height: 600, deviceScaleFactor: scale, mobile: false });
  await page.send("Page.navigate", { url });
  await page.waitFor("window.tavrel && (tavrel.frames > 0 || tavrel.failure !== null)");
  return page;
}

async function openRain(browser, url, scale) {
  const page = await openPage(browser, url, scale);
  check((await page.evaluate("tavrel.failure")) === null, `the program failed: ${await page.evaluate("tavrel.failure")}`);
  // Every glyph's ink lies inside the box the page measured for it, none cut.
  const cut = await page.evaluate("tavrel.glyphsAtTheirBoxEdge");
  check(cut === 0, `${cut} glyphs have ink at the edge of their box`);
  return page;
}

async function canvasFacts(page) {
  return page.evaluate(`(() => {
    const canvas = document.querySelector("canvas");
    if (!canvas) return null;
    const box = canvas.getBoundingClientRect();
    return { width: canvas.width, height: canvas.height, cssWidth: box.width, cssHeight: box.height, title: document.title };
  })()`);
}

async function checkEndsOnKey(page, press) {
  await press();
  await page.waitFor("tavrel.ended");
  check((await canvasFacts(page)) === null, "the canvas is still there");
  const notice = await page.evaluate("document.getElementById('notice').textContent");
  check(/ended/.test(notice), `the page does not say the program ended: "${notice}"`);
  check(await page.evaluate("!!document.querySelector('#notice a[href]')"), "no link starts it again");
  const frames = await page.evaluate("tavrel.frames");
  await new Promise((resolve) => setTimeout(resolve, 300));
  check((await page.evaluate("tavrel.frames")) === frames, "frames were shown after the end");
}

const scenarios = {
  async rains(browser, url, screenshotFile) {
    const page = await openRain(browser, url, 1);
    const facts = await canvasFacts(page);
    check(facts.title === "Form1", `the title is "${facts.title}"`);
    check(facts.width === kClient[0] && facts.height === kClient[1], `the canvas has ${facts.width} x ${facts.height} pixels`);
    check(facts.cssWidth === kClient[0] && facts.cssHeight === kClient[1], `the canvas is ${facts.cssWidth} x ${facts.cssHeight} CSS pixels`);
    const first = await page.screenshot();
    if (screenshotFile) fs.writeFileSync(screenshotFile, first);
    checkRain(decodePng(first));
    // Another frame shown: the rain changes (within seconds, however busy the host).
    const changed = async () => {
      for (let tries = 0; tries < 20; ++tries) {
        await new Promise((resolve) => setTimeout(resolve, 500));
        if (!first.equals(await page.screenshot())) return true;
      }
      return false;
    };
    check(await changed(), "the rain did not change in ten seconds");

    // Five seconds of frames and steps, each on its grid of 1/64 s, whatever the host delivered;
    // the rate itself is the benchmarks' to measure.
    const from = await page.evaluate("performance.now()");
    await new Promise((resolve) => setTimeout(resolve, 5000));
    await checkTickRules(page, from, { frames: 1, steps: 1 }, true);
    check(page.consoleErrors.length === 0, `console errors: ${page.consoleErrors.join("; ")}`);
  },

  async "scale-2"(browser, url, screenshotFile) {
    const page = await openRain(browser, url, 2);
    const facts = await canvasFacts(page);
    check(facts.width === 2 * kClient[0] && facts.height === 2 * kClient[1], `the canvas has ${facts.width} x ${facts.height} pixels`);
    check(facts.cssWidth === kClient[0] && facts.cssHeight === kClient[1], `the canvas is ${facts.cssWidth} x ${facts.cssHeight} CSS pixels`);
    const shot = await page.screenshot();
    if (screenshotFile) fs.writeFileSync(screenshotFile, shot);
    checkRain(decodePng(shot));
    check(page.consoleErrors.length === 0, `console errors: ${page.consoleErrors.join("; ")}`);
  },

  // A page the browser stops for a second (a frozen background tab) takes the ticks it missed as
  // one per timer when it runs again, and goes on at 64 a second each: it never catches up. It
  // comes back hidden, so its frames are passed over, not shown.
  async "late-ticks-merged"(browser, url) {
    const page = await openRain(browser, url, 1);
    await page.send("Page.enable");
    const from = await page.evaluate("performance.now()");
    await new Promise((resolve) => setTimeout(resolve, 200));
    await page.send("Page.setWebLifecycleState", { state: "frozen" });
    await new Promise((resolve) => setTimeout(resolve, 1000));
    await page.send("Page.setWebLifecycleState", { state: "active" });
    // It comes back hidden: its frames are passed over, not shown.
    const [frames, visibility] = await page.evaluate("[tavrel.frames, document.visibilityState]");
    await new Promise((resolve) => setTimeout(resolve, 1000));
    if (visibility === "hidden") check((await page.evaluate("tavrel.frames")) === frames, "frames were shown while the page was hidden");
    // The ticks missed while frozen merged into one per timer, none caught up, and then the rules
    // as ever: on what the page ran from before the freeze to a second after it.
    await checkTickRules(page, from, { ticks: 2 }, true);
  },

  async "key-ends"(browser, url) {
    const page = await openRain(browser, url, 1);
    await checkEndsOnKey(page, () => page.press("a", "KeyA", 65));
  },

  // A failure while starting (here the browser refusing the glyphs' pixels) is the error report:
  // its message in the canvas' place and on the console, never an uncaught exception.
  async "failure-reported"(browser, url) {
    const refusePixels = 'OffscreenCanvasRenderingContext2D.prototype.getImageData = () => { throw new Error("no pixels here"); };';
    const page = await openPage(browser, url, 1, refusePixels);
    const expected = "Couldn't draw the window font's glyphs";
    check((await page.evaluate("tavrel.failure")) === expected, `the failure reported is "${await page.evaluate("tavrel.failure")}"`);
    check((await canvasFacts(page)) === null, "the canvas is still there");
    const notice = await page.evaluate("document.getElementById('notice').textContent");
    check(notice === expected, `the page says "${notice}"`);
    check(page.consoleErrors.includes(`tavrel: ${expected}`), `the console has not the failure: ${page.consoleErrors.join("; ")}`);
    check(!page.uncaught.length, `uncaught exceptions: ${page.uncaught.join("; ")}`);
    check((await page.evaluate("tavrel.frames")) === 0, "frames were shown");
  },

  async "shift-alone-ends"(browser, url) {
    const page = await openRain(browser, url, 1);
    await checkEndsOnKey(page, () => page.press("Shift", "ShiftLeft", 16, 8));
  },
};

async function main([pageDir, scenario, screenshotFile]) {
  check(scenarios[scenario], `no scenario "${scenario}"; there are ${Object.keys(scenarios).join(", ")}`);
  const { server, url } = await serve(pageDir);
  const browser = Browser.launch();
  try {
    await scenarios[scenario](browser, url, screenshotFile);
  } catch (error) {
    if (browser.stderr.trim()) console.error(`Chromium said:\n${browser.stderr.trim().split("\n").slice(-20).join("\n")}`);
    throw error;
  } finally {
    await browser.close();
    server.kill();
  }
  console.log(`${scenario}: passed`);
}

main(process.argv.slice(2)).catch((error) => {
  console.error(`FAIL: ${error.message}`);
  process.exit(1);
});
