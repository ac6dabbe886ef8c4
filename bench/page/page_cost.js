// The page's cost beside the floor page's, in headless Chromium: the browser's CPU per tick (all
// its processes, from /proc), the module's time per turn, the frame rate and the first frame.
//
// usage: node page_cost.js SECONDS ROUNDS NAME=URL...   (one page per NAME, interleaved rounds)
"use strict";

const fs = require("fs");
const path = require("path");
const { Browser } = require("../../tests/e2e/page/chromium");

const kTicksPerSecond = 64;
const kClockTicks = 100; // USER_HZ

// CPU seconds of a process and all its descendants still alive.
function groupCpuSeconds(rootPid) {
  const children = new Map();
  const cpu = new Map();
  for (const entry of fs.readdirSync("/proc")) {
    if (!/^\d+$/.test(entry)) continue;
    let stat;
    try {
      stat = fs.readFileSync(path.join("/proc", entry, "stat"), "utf8");
    } catch (error) {
      continue;
    }
    const fields = stat.slice(stat.lastIndexOf(")") + 2).split(" ");
    const parent = Number(fields[1]);
    cpu.set(Number(entry), (Number(fields[11]) + Number(fields[12])) / kClockTicks);
    if (!children.has(parent)) children.set(parent, []);
    children.get(parent).push(Number(entry));
  }
  let total = 0;
  const stack = [rootPid];
  while (stack.length) {
    const pid = stack.pop();
    total += cpu.get(pid) || 0;
    stack.push(...(children.get(pid) || []));
  }
  return total;
}

// The module's turns timed from outside: the page's loader gets its exports wrapped.
const kTimeTurns = `(() => {
  const instantiate = WebAssembly.instantiateStreaming;
  WebAssembly.instantiateStreaming = async (...args) => {
    const result = await instantiate(...args);
    const exports = {};
    for (const [name, value] of Object.entries(result.instance.exports)) {
      exports[name] = typeof value !== "function" || !name.startsWith("tavrel_") ? value : (...inner) => {
        const began = performance.now();
        try { return value(...inner); } finally { window.tavrel.moduleTime = (window.tavrel.moduleTime || 0) + performance.now() - began; }
      };
    }
    return { module: result.module, instance: { exports } };
  };
})();`;

async function measure(browser, url, scale, seconds) {
  const page = await browser.openPage();
  await page.send("Page.enable");
  await page.send("Page.addScriptToEvaluateOnNewDocument", { source: kTimeTurns });
  await page.send("Emulation.setDeviceMetricsOverride", { width: 800, height: 600, deviceScaleFactor: scale, mobile: false });
  await page.send("Page.navigate", { url });
  await page.waitFor("window.tavrel && tavrel.frames > 64");
  const counters = "[tavrel.frames, tavrel.moduleTime || 0, performance.now()]";
  const [frames0, time0, at0] = await page.evaluate(counters);
  const cpu0 = groupCpuSeconds(browser.child.pid);
  await new Promise((resolve) => setTimeout(resolve, seconds * 1000));
  const cpu1 = groupCpuSeconds(browser.child.pid);
  const [frames1, time1, at1] = await page.evaluate(counters);
  const firstFrameAt = await page.evaluate("tavrel.firstFrameAt");
  const elapsed = (at1 - at0) / 1000;
  const ticks = elapsed * kTicksPerSecond;
  return { cpuPerTick: ((cpu1 - cpu0) * 1000) / ticks, modulePerFrame: (time1 - time0) / (frames1 - frames0), fps: (frames1 - frames0) / elapsed, firstFrameAt };
}

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = sorted.length >> 1;
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

async function main([seconds, rounds, ...pages]) {
  const named = pages.map((page) => page.split(/=(.*)/s).slice(0, 2));
  const results = new Map();
  for (let round = 0; round < Number(rounds); ++round) {
    for (const scale of [1, 2]) {
      for (const [name, url] of named) {
        // A browser of its own for each measure, so that no page's leftovers count for another.
        const browser = Browser.launch();
        try {
          const result = await measure(browser, url, scale, Number(seconds));
          const key = `${name} @${scale}`;
          if (!results.has(key)) results.set(key, []);
          results.get(key).push(result);
        } finally {
          await browser.close();
        }
      }
    }
  }
  console.log("page @scale: browser CPU ms/tick median (min..max) | module ms/frame median | frames/s median | first frame ms median");
  for (const [key, list] of results) {
    const cpu = list.map((result) => result.cpuPerTick);
    const format = (value) => value.toFixed(3);
    console.log(`${key}: ${format(median(cpu))} (${format(Math.min(...cpu))}..${format(Math.max(...cpu))}) | ${format(median(list.map((result) => result.modulePerFrame)))} | ${median(list.map((result) => result.fps)).toFixed(2)} | ${median(list.map((result) => result.firstFrameAt)).toFixed(0)}`);
  }
}

main(process.argv.slice(2)).catch((error) => {
  console.error(`FAIL: ${error.message}`);
  process.exit(1);
});
