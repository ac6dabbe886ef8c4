// Loads the program's module and gives it what it asks of the page: the window as a canvas, the
// browser's font engine for its glyphs, a clock, and timer, key and tap callbacks that turn its
// loop. Where the page cannot run, it says why in words a visitor can act on.
"use strict";

(() => {
  const kFontFamily = "Tavrel Window Font";
  // Named by their content's hash when the site is made, so that no cache pairs this loader with
  // another build's files.
  const kFontFile = "@FONT_FILE@";
  const kModuleFile = "@MODULE_FILE@";
  const kModuleNeeds = [@MODULE_NEEDS@];
  const kDescription = "A rain of green characters falling down the window in columns. Press any key, or tap, to end it.";
  // What tavrel_turn answers besides a wait in microseconds.
  const kNoTimer = -1;
  const kProgramEnded = -2;

  // Exposed for tests and benchmarks: frames shown (the first when, since the page's start), the
  // timers' ticks handled (a frame's and a rain step's each 1/64 s), how the program stands.
  // A test that sets window.tavrelCheckGlyphBoxes first has the glyphs whose ink reaches the edge
  // of their box counted (none may: their ink would be cut).
  const page = (window.tavrel = {
    frames: 0,
    firstFrameAt: null,
    glyphsAtTheirBoxEdge: null,
    ended: false,
    failure: null,
    get ticks() {
      return module ? module.exports.tavrel_ticks_run() : 0;
    },
  });

  // Where the time to the first frame goes, for the benchmarks: performance measures named
  // "tavrel:<step>", from the mark given to now.
  function measured(step, from) {
    performance.measure(`tavrel:${step}`, { start: from, end: performance.now() });
  }

  let module = null;
  let canvas = null;
  let context = null;
  let timer = null;
  const text = new TextDecoder();

  function memory() {
    return module.exports.memory.buffer;
  }

  function stringAt(pointer, length) {
    return text.decode(new Uint8Array(memory(), pointer, length));
  }

  // The notice in the canvas' place: what the page is doing, a failure's message, or the
  // program's end with a way back.
  function showNotice(build) {
    if (canvas) {
      canvas.remove();
      canvas = null;
    }
    const notice = document.getElementById("notice");
    notice.replaceChildren();
    build(notice);
    notice.hidden = false;
  }

  function end() {
    page.ended = true;
    clearTimeout(timer);
    removeEventListener("keydown", onKey, true);
    removeEventListener("pointerup", onTap, true);
    document.removeEventListener("visibilitychange", onVisibility);
  }

  function endedNormally() {
    end();
    showNotice((notice) => {
      notice.append("The program ended. ");
      const again = document.createElement("a");
      again.href = location.pathname + location.search;
      again.textContent = "Start it again";
      notice.append(again);
    });
  }

  // The next turn aimed at the moment the next tick falls due; browsers truncate a fractional
  // delay, so it is rounded up, never early.
  function schedule(answer) {
    clearTimeout(timer);
    if (answer === kProgramEnded) {
      if (!page.failure) endedNormally();
      return;
    }
    if (answer !== kNoTimer) timer = setTimeout(turn, Math.ceil(answer / 1000));
  }

  // The error report, also for what the module's own catching cannot reach (a trap: memory out
  // of bounds, the stack exhausted) and for a page that cannot start it.
  function fail(message) {
    page.failure = message;
    console.error(`tavrel: ${message}`);
    end();
    showNotice((notice) => notice.append(message));
  }

  // Calls into the module; what escapes it ends the program with its message.
  function call(name, ...args) {
    try {
      return module.exports[name](...args);
    } catch (error) {
      fail(`The program stopped: ${error.message}`);
      return kProgramEnded;
    }
  }

  function turn() {
    schedule(call("tavrel_turn"));
  }

  // Any key that reaches the page ends the program, a lone modifier included.
  function onKey(event) {
    const shift = (event.shiftKey ? 1 : 0) | (event.ctrlKey ? 2 : 0) | (event.altKey ? 4 : 0);
    schedule(call("tavrel_key", event.keyCode & 0x7fff, shift));
  }

  // A visitor without keys taps: a touch or a pen lifted where it was put down (a pan that
  // scrolls is cancelled instead) is that visitor's key. The mouse is ignored, as on the desktop.
  function onTap(event) {
    if (event.pointerType === "touch" || event.pointerType === "pen") schedule(call("tavrel_key", 0, 0));
  }

  function onVisibility() {
    call("tavrel_set_seen", document.visibilityState === "visible" ? 1 : 0);
  }

  // The font engine's side of the glyphs: the 256 glyphs of every size the module asks for on one
  // sheet, each in a box around its ink, read from the canvas at once. The glyphs are measured
  // once, large, and their measures scaled to each size (a measure costs as much as drawing a
  // glyph): the box has three pixels of room each side for hinting and antialiasing, and the module
  // trims it to the ink drawn. The canvas has no willReadFrequently: Chromium then draws text
  // several times faster, which outweighs its one slower reading. Browsers without
  // OffscreenCanvas draw on a canvas element that is never shown.
  const kSheetWidth = 1024;
  const kRoom = 3;
  const kMeasuredSize = 100;
  let glyphsPerEm = null;

  function canvasOf(width, height) {
    return typeof OffscreenCanvas === "function" ? new OffscreenCanvas(width, height) : Object.assign(document.createElement("canvas"), { width, height });
  }

  // Text is measured on a canvas of its own; the sheet's canvas is made at its size, once.
  let measuringContext = null;
  function measuring() {
    if (!measuringContext) measuringContext = canvasOf(1, 1).getContext("2d");
    return measuringContext;
  }

  function measurePerEm(codePointsPointer) {
    const context = measuring();
    context.font = `${kMeasuredSize}px "${kFontFamily}"`;
    glyphsPerEm = Array.from(new Uint32Array(memory(), codePointsPointer, 256), (point) => {
      if (!point) return null;
      const text = String.fromCodePoint(point);
      const measure = context.measureText(text);
      const perEm = (length) => length / kMeasuredSize;
      return { text, advance: perEm(measure.width), left: perEm(measure.actualBoundingBoxLeft), right: perEm(measure.actualBoundingBoxRight),
        ascent: perEm(measure.actualBoundingBoxAscent), descent: perEm(measure.actualBoundingBoxDescent) };
    });
  }

  // Measured once for a set of sizes: the module asks for the measures, then for the drawing.
  // Boxes run in rows across the sheet, size after size.
  const sheets = new Map();

  function measureSheet(pixelsPerEmPointer, sizeCount, codePointsPointer) {
    const sizes = Array.from(new Float32Array(memory(), pixelsPerEmPointer, sizeCount));
    const key = sizes.join(" ");
    if (sheets.has(key)) return sheets.get(key);
    if (!glyphsPerEm) measurePerEm(codePointsPointer);
    const context = measuring();
    let x = 0, y = 0, rowHeight = 0;
    const fonts = sizes.map((pixelsPerEm) => {
      context.font = `${pixelsPerEm}px "${kFontFamily}"`;
      const line = context.measureText("X");
      const ascent = Math.ceil(line.fontBoundingBoxAscent - 1e-3);
      const lineHeight = Math.ceil(line.fontBoundingBoxAscent + line.fontBoundingBoxDescent - 1e-3);
      const glyphs = glyphsPerEm.map((perEm) => {
        if (!perEm) return null;
        // The box relative to the pen on the baseline.
        const left = Math.floor(-perEm.left * pixelsPerEm) - kRoom;
        const top = Math.floor(-perEm.ascent * pixelsPerEm) - kRoom;
        const width = Math.max(1, Math.ceil(perEm.right * pixelsPerEm) + kRoom - left);
        const height = Math.max(1, Math.ceil(perEm.descent * pixelsPerEm) + kRoom - top);
        if (x + width > kSheetWidth) {
          x = 0;
          y += rowHeight;
          rowHeight = 0;
        }
        const glyph = { text: perEm.text, advance: Math.round(perEm.advance * pixelsPerEm), left, top, width, height, x, y };
        x += width;
        rowHeight = Math.max(rowHeight, height);
        return glyph;
      });
      return { pixelsPerEm, lineHeight, ascent, glyphs };
    });
    const sheet = { fonts, width: kSheetWidth, height: y + rowHeight };
    sheets.set(key, sheet);
    return sheet;
  }

  // An import that can fail answers false, and the console says why; the module then reports the
  // failure in its own words.
  function answering(step) {
    return (...args) => {
      try {
        step(...args);
        return true;
      } catch (error) {
        console.error(`tavrel: ${error.message}`);
        return false;
      }
    };
  }

  // Glyphs whose ink (the alpha of the sheet's pixels) reaches the edge of their box, where a
  // scaled measure fell short and ink may have been cut.
  function countInkAtBoxEdges(sheet, pixels) {
    let count = 0;
    for (const font of sheet.fonts) {
      for (const glyph of font.glyphs) {
        if (!glyph) continue;
        const at = (x, y) => pixels[((glyph.y + y) * sheet.width + glyph.x + x) * 4 + 3];
        let touches = false;
        for (let x = 0; x < glyph.width && !touches; ++x) touches = at(x, 0) || at(x, glyph.height - 1);
        for (let y = 0; y < glyph.height && !touches; ++y) touches = at(0, y) || at(glyph.width - 1, y);
        if (touches) ++count;
      }
    }
    return count;
  }

  const imports = {
    tavrel: {
      measure_glyphs: answering((pixelsPerEmPointer, sizeCount, codePointsPointer, factsPointer) => {
        const began = performance.now();
        const sheet = measureSheet(pixelsPerEmPointer, sizeCount, codePointsPointer);
        const facts = new Int32Array(memory(), factsPointer, 2 + sizeCount * (1 + 7 * 256));
        facts.set([sheet.width, sheet.height]);
        sheet.fonts.forEach((font, size) => {
          const start = 2 + size * (1 + 7 * 256);
          facts[start] = font.lineHeight;
          font.glyphs.forEach((glyph, code) => {
            // Boxes relative to the text box, whose top is the ascent above the baseline.
            if (glyph) facts.set([glyph.advance, glyph.left, glyph.top + font.ascent, glyph.width, glyph.height, glyph.x, glyph.y], start + 1 + 7 * code);
          });
        });
        measured("glyphs measured", began);
      }),
      draw_glyphs: answering((pixelsPerEmPointer, sizeCount, codePointsPointer, rgbaPointer) => {
        const began = performance.now();
        const sheet = measureSheet(pixelsPerEmPointer, sizeCount, codePointsPointer);
        const context = canvasOf(sheet.width, Math.max(1, sheet.height)).getContext("2d");
        context.fillStyle = "#fff";
        context.textBaseline = "alphabetic";
        for (const font of sheet.fonts) {
          context.font = `${font.pixelsPerEm}px "${kFontFamily}"`;
          for (const glyph of font.glyphs) {
            if (glyph) context.fillText(glyph.text, glyph.x - glyph.left, glyph.y - glyph.top);
          }
        }
        measured("glyphs drawn", began);
        const drawn = performance.now();
        const pixels = context.getImageData(0, 0, sheet.width, Math.max(1, sheet.height)).data;
        new Uint8Array(memory(), rgbaPointer, sheet.width * sheet.height * 4).set(pixels.subarray(0, sheet.width * sheet.height * 4));
        measured("glyphs read", drawn);
        if (window.tavrelCheckGlyphBoxes) page.glyphsAtTheirBoxEdge = (page.glyphsAtTheirBoxEdge || 0) + countInkAtBoxEdges(sheet, pixels);
        // Drawn once: the sheet's measures are not needed again.
        sheets.clear();
      }),
      open_window: answering((captionPointer, captionLength, width, height) => {
        document.title = stringAt(captionPointer, captionLength);
        canvas.width = width;
        canvas.height = height;
        context = canvas.getContext("2d", { alpha: false });
      }),
      show_image: answering((rgbaPointer, width, height) => {
        context.putImageData(new ImageData(new Uint8ClampedArray(memory(), rgbaPointer, width * height * 4), width, height), 0, 0);
        page.frames += 1;
        if (page.firstFrameAt === null) {
          page.firstFrameAt = performance.now();
          document.getElementById("notice").hidden = true;
        }
      }),
      report_failure(messagePointer, length) {
        fail(stringAt(messagePointer, length));
      },
    },
    // Views of the memory are made anew at every use, so a grown memory needs nothing more.
    env: { emscripten_notify_memory_growth() {} },
    // The little of WASI the C++ library reaches: the clocks, and writes to the console.
    wasi_snapshot_preview1: {
      clock_time_get(clockId, precision, timePointer) {
        const milliseconds = clockId === 0 ? Date.now() : performance.now();
        const nanoseconds = BigInt(Math.round(milliseconds * 1e6));
        new DataView(memory()).setBigUint64(timePointer, nanoseconds, true);
        return 0;
      },
      fd_write(fd, iovecs, count, writtenPointer) {
        const view = new DataView(memory());
        let written = 0;
        let output = "";
        for (let index = 0; index < count; ++index) {
          const pointer = view.getUint32(iovecs + index * 8, true);
          const length = view.getUint32(iovecs + index * 8 + 4, true);
          output += stringAt(pointer, length);
          written += length;
        }
        if (output.trim()) (fd === 2 ? console.error : console.log)(output.trimEnd());
        view.setUint32(writtenPointer, written, true);
        return 0;
      },
      proc_exit(status) {
        throw new Error(`the program exited with status ${status}`);
      },
    },
  };

  // The smallest modules that use what the module needs, for the browser to accept or refuse
  // before the module itself is fetched: a refusal is a sentence, not a compiler's byte offset.
  const kFeatureProbes = {
    simd: { name: "WebAssembly SIMD", bytes: [0, 97, 115, 109, 1, 0, 0, 0, 1, 5, 1, 96, 0, 1, 123, 3, 2, 1, 0, 10, 22, 1, 20, 0, 253, 12, ...new Array(16).fill(0), 11] },
    exceptions: { name: "WebAssembly exception handling", bytes: [0, 97, 115, 109, 1, 0, 0, 0, 1, 4, 1, 96, 0, 0, 3, 2, 1, 0, 10, 8, 1, 6, 0, 6, 64, 25, 11, 11] },
  };

  // Why the page cannot run here, or nothing.
  function whatStopsIt() {
    if (location.protocol === "file:")
      return "This page has to be opened through a web server, not as a file: browsers do not let a page opened from a file load its program. Run \"bash tools/page.sh\" in the project's folder and open the address it prints, or put this folder on any web host.";
    if (typeof WebAssembly !== "object") return "This browser cannot run the rain: it has no WebAssembly. A current Chrome, Edge, Firefox or Safari has it.";
    const missing = kModuleNeeds.filter((need) => !WebAssembly.validate(new Uint8Array(kFeatureProbes[need].bytes))).map((need) => kFeatureProbes[need].name);
    if (missing.length)
      return `This browser cannot run the rain: it lacks ${missing.join(" and ")}. A current Chrome, Edge or Firefox has them, as has Safari from version 16.4.`;
    return null;
  }

  async function fetchFile(name) {
    let response;
    try {
      response = await fetch(name);
    } catch (error) {
      throw new Error(`Couldn't load ${name}: ${error.message}`);
    }
    if (!response.ok) throw new Error(`Couldn't load ${name}: HTTP ${response.status}${response.statusText ? ` ${response.statusText}` : ""}`);
    return response;
  }

  // Compiled as it downloads where the host says it is WebAssembly; many static hosts call it
  // application/octet-stream, which the streaming compiler refuses: then from its bytes.
  async function instantiateModule() {
    const response = await fetchFile(kModuleFile);
    const type = response.headers.get("Content-Type") || "";
    try {
      if (typeof WebAssembly.instantiateStreaming === "function" && /^application\/wasm\b/i.test(type))
        return (await WebAssembly.instantiateStreaming(response, imports)).instance;
      return (await WebAssembly.instantiate(await response.arrayBuffer(), imports)).instance;
    } catch (error) {
      throw new Error(`Couldn't start ${kModuleFile}: ${error.message}`);
    }
  }

  async function loadFont() {
    const response = await fetchFile(kFontFile);
    try {
      const font = new FontFace(kFontFamily, await response.arrayBuffer());
      await font.load();
      document.fonts.add(font);
    } catch (error) {
      throw new Error(`Couldn't read the window font ${kFontFile}: ${error.message || error}`);
    }
  }

  // The canvas laid out at the window's size in CSS pixels; its size in pixels is that of the box
  // it takes on the device's pixels, so that the browser shows it pixel for pixel at any scale
  // (0.9, 1.1, 1.33, 2.625, ...). Where a browser cannot tell that box, its size is the scale's
  // nearest whole pixels, and its CSS size is made from them.
  function layOutCanvas(cssWidth, cssHeight) {
    canvas = document.createElement("canvas");
    canvas.setAttribute("role", "img");
    canvas.setAttribute("aria-label", kDescription);
    canvas.style.width = `${cssWidth}px`;
    canvas.style.height = `${cssHeight}px`;
    document.body.prepend(canvas);
    const ratio = window.devicePixelRatio || 1;
    const fromTheRatio = () => {
      const width = Math.round(cssWidth * ratio);
      const height = Math.round(cssHeight * ratio);
      canvas.style.width = `${width / ratio}px`;
      canvas.style.height = `${height / ratio}px`;
      return [width, height];
    };
    return new Promise((resolve) => {
      if (typeof ResizeObserver !== "function") return resolve(fromTheRatio());
      const observer = new ResizeObserver((entries) => {
        observer.disconnect();
        const box = entries[0].devicePixelContentBoxSize;
        // Within a pixel of the scale's size, as snapping to the device's pixels leaves it; a
        // browser emulating another device's scale answers in CSS pixels instead.
        const fits = box && box[0] && Math.abs(box[0].inlineSize - cssWidth * ratio) <= 1 && Math.abs(box[0].blockSize - cssHeight * ratio) <= 1;
        resolve(fits ? [box[0].inlineSize, box[0].blockSize] : fromTheRatio());
      });
      try {
        observer.observe(canvas, { box: "device-pixel-content-box" });
      } catch (error) {
        observer.disconnect();
        resolve(fromTheRatio());
      }
    });
  }

  async function start() {
    const stop = whatStopsIt();
    if (stop) return fail(stop);
    showNotice((notice) => notice.append("Loading the rain\u2026"));
    const began = performance.now();
    try {
      [module] = await Promise.all([instantiateModule(), loadFont()]);
      module.exports._initialize();
    } catch (error) {
      return fail(error.message);
    }
    measured("module and font", began);
    const loaded = performance.now();
    const [width, height] = await layOutCanvas(module.exports.tavrel_css_width(), module.exports.tavrel_css_height());
    measured("canvas laid out", loaded);
    addEventListener("keydown", onKey, true);
    addEventListener("pointerup", onTap, true);
    document.addEventListener("visibilitychange", onVisibility);
    const dotsPerInch = Math.round(96 * (window.devicePixelRatio || 1));
    const starting = performance.now();
    const answer = call("tavrel_start", dotsPerInch, width, height);
    measured("start-up", starting);
    if (document.visibilityState !== "visible") onVisibility();
    schedule(answer);
  }

  // A visitor who asked for less motion starts the full-window animation themselves.
  if (matchMedia("(prefers-reduced-motion: reduce)").matches) {
    showNotice((notice) => {
      notice.append("This page fills its window with an animation: columns of green characters falling without a pause. ");
      const button = document.createElement("button");
      button.textContent = "Start the rain";
      button.addEventListener("click", start, { once: true });
      notice.append(document.createElement("br"), button);
    });
  } else {
    start();
  }
})();
