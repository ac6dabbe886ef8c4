// The page in Firefox ESR, headless: it rains (a screenshot with the rain's colours, frames
// shown), and a key ends it. Usage: node firefox_test.js PAGE_DIR
"use strict";

const { decodePng } = require("./png");
const { Firefox } = require("./firefox");
const { checkRain } = require("./rain_look");
const { serve } = require("./server");

function check(condition, message) {
  if (!condition) throw new Error(message);
}

async function main([pageDir]) {
  const server = await serve(pageDir);
  const firefox = await Firefox.launch();
  try {
    await firefox.send("WebDriver:Navigate", { url: server.url });
    await firefox.waitFor("window.tavrel && (tavrel.frames > 64 || tavrel.failure !== null)");
    const failure = await firefox.evaluate("return tavrel.failure;");
    check(failure === null, `the program failed: ${failure}`);
    const canvas = await firefox.evaluate("const canvas = document.querySelector('canvas'); return [canvas.width, canvas.height, devicePixelRatio];");
    console.log(`a canvas of ${canvas[0]} x ${canvas[1]} pixels at scale ${canvas[2]}`);
    checkRain(decodePng(await firefox.screenshot()));
    await firefox.press("a");
    await firefox.waitFor("tavrel.ended");
    check((await firefox.evaluate("return document.querySelector('canvas');")) === null, "the canvas is still there after a key");
  } catch (error) {
    if (firefox.stderr.trim()) console.error(`Firefox said:\n${firefox.stderr.trim().split("\n").slice(-20).join("\n")}`);
    throw error;
  } finally {
    await firefox.close();
    await server.close();
  }
  console.log("Firefox: it rains, and a key ends it");
}

main(process.argv.slice(2)).catch((error) => {
  console.error(`FAIL: ${error.message}`);
  process.exit(1);
});
