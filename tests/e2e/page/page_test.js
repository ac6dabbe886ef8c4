// The page in headless Chromium: served as static files, it rains in a canvas of the window's
// size, shown pixel for pixel at the device's scale and reachable on any screen, its frames and
// steps each on a grid of 1/64 s; it merges the ticks a frozen tab missed; any key or a tap ends
// it; where it cannot run it says why. No scenario may leave a warning on the console, nor an
// error where it does not expect one.
//
// usage: node page_test.js PAGE_DIR SCENARIO [SCREENSHOT.png]
"use strict";

const { spawnSync } = require("child_process");
const fs = require("fs");
const os = require("os");
const path = require("path");
const { Browser } = require("./chromium");
const { decodePng } = require("./png");
const { serve } = require("./server");
const { checkRain, colours } = require("./rain_look");

const kClient = [545, 336];

function check(condition, message) {
  if (!condition) throw new Error(message);
}

// Records every turn the page's timer callbacks make (when it started and ended, the ticks, frames
// and steps it ran) and every turn the page asks for, for the tick rules to be checked on.
const kTurnRecorder = `(() => {
  window.tavrelCheckGlyphBoxes = true;
  // While held, turns wait: the canvas keeps its last frame.
  const record = (window.turnRecord = { turns: [], requests: [], held: false, waiting: [],
    release() { this.held = false; this.waiting.splice(0).forEach((run) => run()); } });
  const setTimeoutOfThePage = window.setTimeout;
  const counts = () => (window.tavrel ? [tavrel.ticks, tavrel.frames] : [0, 0]);
  window.setTimeout = function (callback, delay, ...rest) {
    record.requests.push({ at: performance.now(), delay: Number(delay) || 0 });
    return setTimeoutOfThePage.call(window, function run(...args) {
      if (record.held) return record.waiting.push(() => run.apply(this, args));
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

// A page opened at a viewport and a device scale; options.before is a script run before the
// page's own, options.media emulated media features, options.mobile a phone's viewport. Waits for
// the first frame, or a failure, or (options.wait) what it gives.
async function openPage(browser, url, scale, options = {}) {
  const page = await browser.openPage();
  await page.send("Runtime.enable");
  await page.send("Log.enable");
  await page.send("Page.enable");
  await page.send("Page.addScriptToEvaluateOnNewDocument", { source: kTurnRecorder });
  if (options.before) await page.send("Page.addScriptToEvaluateOnNewDocument", { source: options.before });
  if (options.media) await page.send("Emulation.setEmulatedMedia", { features: options.media });
  // A scale of null leaves the browser's own, which --force-device-scale-factor sets.
  const [width, height] = options.viewport || [800, 600];
  if (scale !== null) await page.send("Emulation.setDeviceMetricsOverride", { width, height, deviceScaleFactor: scale, mobile: !!options.mobile });
  if (options.touch) await page.send("Emulation.setTouchEmulationEnabled", { enabled: true, maxTouchPoints: 5 });
  await page.send("Page.navigate", { url });
  await page.waitFor(options.wait || "window.tavrel && (tavrel.frames > 0 || tavrel.failure !== null)");
  return page;
}

async function openRain(browser, url, scale, options = {}) {
  const page = await openPage(browser, url, scale, options);
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
    return { width: canvas.width, height: canvas.height, left: box.left, top: box.top, cssWidth: box.width, cssHeight: box.height, title: document.title };
  })()`);
}

const noticeText = (page) => page.evaluate("document.getElementById('notice').hidden ? '' : document.getElementById('notice').textContent");
const pause = (milliseconds) => new Promise((resolve) => setTimeout(resolve, milliseconds));

async function checkEnded(page) {
  await page.waitFor("tavrel.ended");
  check((await canvasFacts(page)) === null, "the canvas is still there");
  const notice = await noticeText(page);
  check(/ended/.test(notice), `the page does not say the program ended: "${notice}"`);
  check(await page.evaluate("!!document.querySelector('#notice a[href]')"), "no link starts it again");
  const frames = await page.evaluate("tavrel.frames");
  await pause(300);
  check((await page.evaluate("tavrel.frames")) === frames, "frames were shown after the end");
}

async function checkEndsOnKey(page, press) {
  await press();
  await checkEnded(page);
}

// The page's one sentence where it cannot run, and no canvas, no frames.
async function checkSays(page, expected) {
  const notice = await noticeText(page);
  check(expected.test(notice), `the page says "${notice}"`);
  check((await canvasFacts(page)) === null, "a canvas is shown");
  check((await page.evaluate("tavrel.frames")) === 0, "frames were shown");
  check(!page.uncaught.length, `uncaught exceptions: ${page.uncaught.join("; ")}`);
}

// The canvas' pixels beside a screenshot of the screen where its box is, the turns held so that
// both show one frame. The box lies on whole device pixels, by the browser's rounding: the pixels
// must be equal at its place or a pixel beside it.
async function checkShownPixelForPixel(page, scale) {
  // A second of rain first: the field starts dark.
  await page.waitFor("tavrel.frames > 64");
  await page.evaluate("turnRecord.held = true");
  await pause(100);
  const facts = await canvasFacts(page);
  const canvasPng = decodePng(Buffer.from((await page.evaluate("document.querySelector('canvas').toDataURL('image/png')")).split(",")[1], "base64"));
  const shot = decodePng(await page.screenshot());
  await page.evaluate("turnRecord.release()");
  const ratio = await page.evaluate("devicePixelRatio");
  const [boxWidth, boxHeight] = await page.evaluate(`new Promise((resolve) => {
    const observer = new ResizeObserver((entries) => { observer.disconnect(); const [box] = entries[0].devicePixelContentBoxSize; resolve([box.inlineSize, box.blockSize]); });
    observer.observe(document.querySelector("canvas"), { box: "device-pixel-content-box" });
  })`, true);
  check(boxWidth === canvasPng.width && boxHeight === canvasPng.height,
    `at scale ${scale} the canvas has ${canvasPng.width} x ${canvasPng.height} pixels, shown on ${boxWidth} x ${boxHeight}`);
  const differing = (x0, y0) => {
    let count = 0;
    for (let y = 0; y < canvasPng.height; ++y) {
      const row = shot.pixels.subarray(((y0 + y) * shot.width + x0) * 3, ((y0 + y) * shot.width + x0 + canvasPng.width) * 3);
      const canvasRow = canvasPng.pixels.subarray(y * canvasPng.width * 3, (y + 1) * canvasPng.width * 3);
      for (let index = 0; index < row.length; index += 3) count += row[index] !== canvasRow[index] || row[index + 1] !== canvasRow[index + 1] || row[index + 2] !== canvasRow[index + 2];
    }
    return count;
  };
  const left = Math.round(facts.left * ratio), top = Math.round(facts.top * ratio);
  let fewest = Infinity;
  for (const dy of [0, -1, 1]) for (const dx of [0, -1, 1]) fewest = Math.min(fewest, differing(left + dx, top + dy));
  check(fewest === 0, `at scale ${scale}, ${fewest} of ${canvasPng.width * canvasPng.height} pixels differ between the canvas and the screen`);
  const lit = [...colours(canvasPng).keys()].filter((key) => key !== 0).length;
  check(lit >= 5, `at scale ${scale} the canvas shows only ${lit} colours besides black`);
  console.log(`scale ${scale}: ${canvasPng.width} x ${canvasPng.height} pixels, shown pixel for pixel`);
}

const scenarios = {
  async rains({ browser, url, screenshotFile }) {
    const page = await openRain(browser, url, 1);
    const facts = await canvasFacts(page);
    check(facts.title === "Form1", `the title is "${facts.title}"`);
    check(facts.width === kClient[0] && facts.height === kClient[1], `the canvas has ${facts.width} x ${facts.height} pixels`);
    check(facts.cssWidth === kClient[0] && facts.cssHeight === kClient[1], `the canvas is ${facts.cssWidth} x ${facts.cssHeight} CSS pixels`);
    check((await noticeText(page)) === "", "the loading line is still shown");
    const first = await page.screenshot();
    if (screenshotFile) fs.writeFileSync(screenshotFile, first);
    checkRain(decodePng(first));
    // Another frame shown: the rain changes (within seconds, however busy the host).
    const changed = async () => {
      for (let tries = 0; tries < 20; ++tries) {
        await pause(500);
        if (!first.equals(await page.screenshot())) return true;
      }
      return false;
    };
    check(await changed(), "the rain did not change in ten seconds");

    // Five seconds of frames and steps, each on its grid of 1/64 s, whatever the host delivered;
    // the rate itself is the benchmarks' to measure.
    const from = await page.evaluate("performance.now()");
    await pause(5000);
    await checkTickRules(page, from, { frames: 1, steps: 1 }, true);
  },

  // What a visitor's browser and tools meet: a name for the picture that says what it is and how
  // it ends, a description, a dark scheme, and files named by their content.
  async conventions({ browser, url }) {
    const page = await openRain(browser, url, 1);
    await page.send("Accessibility.enable");
    const { nodes } = await page.send("Accessibility.getFullAXTree");
    const picture = nodes.find((node) => node.role?.value === "image");
    const name = picture?.name?.value || "";
    check(/rain/.test(name) && /key/.test(name) && /tap/.test(name), `the picture's accessible name is "${name}"`);
    const facts = await page.evaluate(`({
      description: document.querySelector('meta[name="description"]')?.content || "",
      scheme: getComputedStyle(document.documentElement).colorScheme,
      files: performance.getEntriesByType("resource").map((entry) => new URL(entry.name).pathname.slice(1)),
    })`);
    check(facts.description.length > 20, `the description is "${facts.description}"`);
    check(facts.scheme === "dark", `the colour scheme is "${facts.scheme}"`);
    for (const kind of [/\.js$/, /\.wasm$/, /\.css$/, /\.woff$/]) {
      const file = facts.files.find((name) => kind.test(name));
      check(file && /\.[0-9a-f]{12}\.[a-z]+$/.test(file), `the page's ${kind.source} file is "${file}", not named by its content`);
    }
  },

  async "scale-2"({ browser, url, screenshotFile }) {
    const page = await openRain(browser, url, 2);
    const facts = await canvasFacts(page);
    check(facts.width === 2 * kClient[0] && facts.height === 2 * kClient[1], `the canvas has ${facts.width} x ${facts.height} pixels`);
    check(facts.cssWidth === kClient[0] && facts.cssHeight === kClient[1], `the canvas is ${facts.cssWidth} x ${facts.cssHeight} CSS pixels`);
    const shot = await page.screenshot();
    if (screenshotFile) fs.writeFileSync(screenshotFile, shot);
    checkRain(decodePng(shot));
  },

  // The browser's first zoom steps (set before loading), a tablet's and a common phone's scale:
  // the canvas has exactly the pixels of the box it is shown in, so nothing is resampled.
  // The scale is the browser's own, as a display's or a zoom set before loading gives it.
  async "every-scale-pixel-for-pixel"({ url }) {
    for (const scale of [0.9, 1.1, 1.33, 2.625, 1, 2]) {
      const browser = Browser.launch([`--force-device-scale-factor=${scale}`, "--window-size=800,600"]);
      try {
        const page = await openRain(browser, url, null);
        await checkShownPixelForPixel(page, scale);
        checkConsoleClean(page, false);
      } finally {
        await browser.close();
      }
    }
  },

  // On a narrow window or a phone the whole rain can be reached: its left and top edges are on
  // the page, and scrolling shows the rest; where there is room it is centred.
  async "every-viewport-reaches-the-rain"({ browser, url }) {
    for (const [width, height, scale, mobile] of [[400, 600, 1, false], [375, 667, 3, true], [568, 320, 3, true], [1200, 900, 1, false]]) {
      const page = await openRain(browser, url, scale, { viewport: [width, height], mobile });
      const at = await page.evaluate(`(() => {
        scrollTo(0, 0);
        const box = document.querySelector("canvas").getBoundingClientRect();
        const page = document.scrollingElement;
        return { left: box.left, top: box.top, right: box.right, bottom: box.bottom, scrollWidth: page.scrollWidth, scrollHeight: page.scrollHeight, width: page.clientWidth, height: page.clientHeight };
      })()`);
      const where = `in a ${width} x ${height} viewport at scale ${scale}`;
      check(at.left >= 0 && at.top >= 0, `${where} the rain's corner is at (${at.left}, ${at.top}), out of reach`);
      check(at.scrollWidth >= at.right && at.scrollHeight >= at.bottom, `${where} the page scrolls to ${at.scrollWidth} x ${at.scrollHeight}, short of the rain's ${at.right} x ${at.bottom}`);
      if (at.width >= kClient[0]) check(Math.abs(at.left - (at.width - kClient[0]) / 2) <= 1, `${where} the rain is not centred: its left edge at ${at.left}`);
      if (at.height >= kClient[1]) check(Math.abs(at.top - (at.height - kClient[1]) / 2) <= 1, `${where} the rain is not centred: its top edge at ${at.top}`);
      console.log(`${where}: the rain at (${at.left}, ${at.top}), the page ${at.scrollWidth} x ${at.scrollHeight}`);
    }
  },

  // A page the browser stops for a second (a frozen background tab) takes the ticks it missed as
  // one per timer when it runs again, and goes on at 64 a second each: it never catches up. It
  // comes back hidden, so its frames are passed over, not shown.
  async "late-ticks-merged"({ browser, url }) {
    const page = await openRain(browser, url, 1);
    const from = await page.evaluate("performance.now()");
    await pause(200);
    await page.send("Page.setWebLifecycleState", { state: "frozen" });
    await pause(1000);
    await page.send("Page.setWebLifecycleState", { state: "active" });
    // It comes back hidden: its frames are passed over, not shown.
    const [frames, visibility] = await page.evaluate("[tavrel.frames, document.visibilityState]");
    await pause(1000);
    if (visibility === "hidden") check((await page.evaluate("tavrel.frames")) === frames, "frames were shown while the page was hidden");
    // The ticks missed while frozen merged into one per timer, none caught up, and then the rules
    // as ever: on what the page ran from before the freeze to a second after it.
    await checkTickRules(page, from, { ticks: 2 }, true);
  },

  async "key-ends"({ browser, url }) {
    const page = await openRain(browser, url, 1);
    await checkEndsOnKey(page, () => page.press("a", "KeyA", 65));
  },

  async "shift-alone-ends"({ browser, url }) {
    const page = await openRain(browser, url, 1);
    await checkEndsOnKey(page, () => page.press("Shift", "ShiftLeft", 16, 8));
  },

  // On a phone a tap is the key press a visitor without keys has; a mouse's click is not.
  async "tap-ends"({ browser, url }) {
    const page = await openRain(browser, url, 3, { viewport: [375, 667], mobile: true, touch: true });
    const facts = await canvasFacts(page);
    await page.click(facts.left + 100, facts.top + 100);
    const frames = await page.evaluate("tavrel.frames");
    await page.waitFor(`tavrel.frames > ${frames}`);
    check(!(await page.evaluate("tavrel.ended")), "a mouse click ended the program");
    await page.tap(facts.left + 100, facts.top + 100);
    await checkEnded(page);
  },

  // A failure while starting (here the browser refusing the glyphs' pixels) is the error report:
  // its message in the canvas' place and on the console, never an uncaught exception.
  async "failure-reported"({ browser, url }) {
    const refusePixels = 'OffscreenCanvasRenderingContext2D.prototype.getImageData = () => { throw new Error("no pixels here"); };';
    const page = await openPage(browser, url, 1, { before: refusePixels });
    const expected = "Couldn't draw the window font's glyphs";
    check((await page.evaluate("tavrel.failure")) === expected, `the failure reported is "${await page.evaluate("tavrel.failure")}"`);
    await checkSays(page, new RegExp(`^${expected}$`));
    check(page.consoleErrors.includes(`tavrel: ${expected}`), `the console has not the failure: ${page.consoleErrors.join("; ")}`);
  },

  // Browsers without OffscreenCanvas (Safari before 16.4) draw the glyphs on a canvas element.
  async "no-offscreen-canvas"({ browser, url }) {
    await openRain(browser, url, 1, { before: "delete window.OffscreenCanvas;" });
  },

  // A browser whose WebAssembly lacks what the module needs is told so in a sentence.
  async "old-browser-told"({ browser, url }) {
    const refuseFeatures = "WebAssembly.validate = () => false;";
    const page = await openPage(browser, url, 1, { before: refuseFeatures });
    await checkSays(page, /^This browser cannot run the rain: it lacks WebAssembly SIMD and WebAssembly exception handling\./);
  },

  // Without JavaScript the page says what it needs.
  async "no-javascript"({ browser, url }) {
    const page = await browser.openPage();
    await page.send("Emulation.setScriptExecutionDisabled", { value: true });
    await page.send("Page.enable");
    await page.send("Page.navigate", { url });
    await pause(1000);
    const shown = await page.evaluate("document.body.innerText");
    check(/needs JavaScript/.test(shown), `without JavaScript the page shows "${shown}"`);
  },

  // Many static hosts serve the module as application/octet-stream: it rains all the same.
  async "module-served-as-bytes"({ browser, pageDir }) {
    const server = await serve(pageDir, { types: { ".wasm": "application/octet-stream" } });
    try {
      await openRain(browser, server.url, 1);
    } finally {
      await server.close();
    }
  },

  // Under a Content-Security-Policy with 'self' and 'wasm-unsafe-eval' it rains.
  async "content-security-policy"({ browser, pageDir }) {
    const server = await serve(pageDir, { headers: { "Content-Security-Policy": "default-src 'self'; script-src 'self' 'wasm-unsafe-eval'" } });
    try {
      const page = await openRain(browser, server.url, 1);
      const background = await page.evaluate("getComputedStyle(document.documentElement).backgroundColor");
      check(background === "rgb(0, 0, 0)", `the page's background is ${background}: its style was refused`);
    } finally {
      await server.close();
    }
  },

  // A file the host does not have is named, with the HTTP status.
  async "missing-files-named"({ browser, pageDir }) {
    for (const [missing, kind] of [[/\.wasm$/, "wasm"], [/\.woff$/, "woff"]]) {
      const server = await serve(pageDir, { missing });
      try {
        const page = await openPage(browser, server.url, 1);
        await checkSays(page, new RegExp(`^Couldn't load [^ ]+\\.[0-9a-f]{12}\\.${kind}: HTTP 404 Not Found$`));
      } finally {
        await server.close();
      }
    }
  },

  // Opened from a file, the page says it needs a web server, and how to get one.
  async "file-url-told"({ browser, pageDir }) {
    const page = await openPage(browser, `file://${path.resolve(pageDir)}/index.html`, 1);
    await checkSays(page, /web server.*bash tools\/page\.sh/);
  },

  // A visitor who asks for reduced motion is shown a notice and a button first; the rain starts
  // when the button is pressed, and not before.
  async "reduced-motion-asks-first"({ browser, url }) {
    const page = await openPage(browser, url, 1, { media: [{ name: "prefers-reduced-motion", value: "reduce" }], wait: "!!document.querySelector('#notice button')" });
    await pause(1000);
    check((await page.evaluate("tavrel.frames")) === 0 && (await canvasFacts(page)) === null, "the rain started by itself");
    const button = await page.evaluate("(() => { const box = document.querySelector('#notice button').getBoundingClientRect(); return [box.left + box.width / 2, box.top + box.height / 2]; })()");
    await page.click(...button);
    await page.waitFor("tavrel.frames > 0");
    checkRain(decodePng(await page.screenshot()));
  },
};

function checkConsoleClean(page, errorsExpected) {
  check(page.consoleWarnings.length === 0, `console warnings: ${page.consoleWarnings.join("; ")}`);
  if (!errorsExpected) check(page.consoleErrors.length === 0, `console errors: ${page.consoleErrors.join("; ")}`);
}

// Scenarios where the page reports a failure, as the console's errors say too.
const kFailing = new Set(["failure-reported", "old-browser-told", "missing-files-named", "file-url-told"]);

async function main([pageDir, scenario, screenshotFile]) {
  check(scenarios[scenario], `no scenario "${scenario}"; there are ${Object.keys(scenarios).join(", ")}`);
  const server = await serve(pageDir);
  const browser = Browser.launch();
  try {
    await scenarios[scenario]({ browser, url: server.url, pageDir, screenshotFile });
    for (const page of browser.pages) checkConsoleClean(page, kFailing.has(scenario));
  } catch (error) {
    if (browser.stderr.trim()) console.error(`Chromium said:\n${browser.stderr.trim().split("\n").slice(-20).join("\n")}`);
    throw error;
  } finally {
    await browser.close();
    await server.close();
  }
  console.log(`${scenario}: passed`);
}

main(process.argv.slice(2)).catch((error) => {
  console.error(`FAIL: ${error.message}`);
  process.exit(1);
});
