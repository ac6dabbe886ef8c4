// When the page's first frame comes after the page's start (performance.now() at the first image
// shown), beside the floor page's, each load in a fresh headless Chromium; with the loader's
// performance measures (names beginning "tavrel:") where it makes them.
//
// usage: node first_frame.js ROUNDS NAME=URL...   (interleaved: every page at every scale per round)
"use strict";

const { Browser } = require("../../tests/e2e/page/chromium");

async function firstFrame(url, scale) {
  const browser = Browser.launch();
  try {
    const page = await browser.openPage();
    await page.send("Page.enable");
    await page.send("Emulation.setDeviceMetricsOverride", { width: 800, height: 600, deviceScaleFactor: scale, mobile: false });
    await page.send("Page.navigate", { url });
    await page.waitFor("window.tavrel && tavrel.firstFrameAt !== null");
    return await page.evaluate(`({ first: tavrel.firstFrameAt,
      measures: performance.getEntriesByType("measure").filter((entry) => entry.name.startsWith("tavrel:"))
        .map((entry) => [entry.name, entry.startTime, entry.duration]) })`);
  } finally {
    await browser.close();
  }
}

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = sorted.length >> 1;
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

async function main([rounds, ...pages]) {
  const named = pages.map((page) => page.split(/=(.*)/s).slice(0, 2));
  const results = new Map();
  for (let round = 0; round < Number(rounds); ++round) {
    for (const scale of [1, 2]) {
      for (const [name, url] of named) {
        const key = `${name} @${scale}`;
        if (!results.has(key)) results.set(key, []);
        results.get(key).push(await firstFrame(url, scale));
      }
    }
  }
  console.log("page @scale: first frame ms median (lowest..highest); the loader's measures, medians (start + duration)");
  for (const [key, list] of results) {
    const firsts = list.map((result) => result.first);
    console.log(`${key}: ${median(firsts).toFixed(0)} (${Math.min(...firsts).toFixed(0)}..${Math.max(...firsts).toFixed(0)})`);
    const names = [...new Set(list.flatMap((result) => result.measures.map(([name]) => name)))];
    for (const name of names) {
      const of = (index) => median(list.map((result) => (result.measures.find(([measure]) => measure === name) || [0, 0, 0])[index]));
      console.log(`    ${name}: ${of(1).toFixed(0)} + ${of(2).toFixed(1)}`);
    }
  }
}

main(process.argv.slice(2)).catch((error) => {
  console.error(`FAIL: ${error.message}`);
  process.exit(1);
});
