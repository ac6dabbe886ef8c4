// Loads the program's module and gives it what it asks of the page: the window as a canvas, the
// browser's font engine for its glyphs, a clock, and timer and key callbacks that turn its loop.
"use strict";

(() => {
  const kFontFamily = "Tavrel Window Font";
  const kFontFile = "DejaVuSans-codepage.woff";
  const kModuleFile = "tavrel.wasm";
  // What tavrel_turn answers besides a wait in microseconds.
  const kNoTimer = -1;
  const kProgramEnded = -2;

  // Exposed for tests and benchmarks: frames shown (the first when, since the page's start), the
  // timers' ticks handled (a frame's and a rain step's each 1/64 s), how the program stands.
  const page = (window.tavrel = {
    frames: 0,
    firstFrameAt: null,
    glyphsAtTheirBoxEdge: 0,
    ended: false,
    failure: null,
    get ticks() {
      return module ? module.exports.tavrel_ticks_run() : 0;
    },
  });

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

  // The notice in the canvas' place: a failure's message, or the program's end with a way back.
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

  // The error report for what the module's own catching cannot reach (a trap: memory out of
  // bounds, the stack exhausted).
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

  function onVisibility() {
    call("tavrel_set_seen", document.visibilityState === "visible" ? 1 : 0);
  }

  // The font engine's side of the glyphs: the 256 glyphs of every size the module asks for on one
  // sheet, each in a box around its ink, read from the canvas at once. The glyphs are measured
  // once, large, and their measures scaled to each size (a measure costs as much as drawing a
  // glyph): the box has three pixels of room each side for hinting and antialiasing, and the module
  // trims it to the ink drawn. The canvas has no willReadFrequently: Chromium then draws text
  // several times faster, which outweighs its one slower reading.
  const kSheetWidth = 1024;
  const kRoom = 3;
  const kMeasuredSize = 100;
  const glyphCanvas = new OffscreenCanvas(kSheetWidth, 1);
  const glyphContext = glyphCanvas.getContext("2d");
  let glyphsPerEm = null;

  function measurePerEm(codePointsPointer) {
    glyphContext.font = `${kMeasuredSize}px "${kFontFamily}"`;
    glyphsPerEm = Array.from(new Uint32Array(memory(), codePointsPointer, 256), (point) => {
      if (!point) return null;
      const text = String.fromCodePoint(point);
      const measure = glyphContext.measureText(text);
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
    let x = 0, y = 0, rowHeight = 0;
    const fonts = sizes.map((pixelsPerEm) => {
      glyphContext.font = `${pixelsPerEm}px "${kFontFamily}"`;
      const line = glyphContext.measureText("X");
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

  // Glyphs whose ink reaches the edge of their box, where a scaled measure fell short and ink may
  // have been cut: the tests hold it at 0.
  function countInkAtBoxEdges(sheet, coverage) {
    let count = 0;
    for (const font of sheet.fonts) {
      for (const glyph of font.glyphs) {
        if (!glyph) continue;
        const at = (x, y) => coverage[(glyph.y + y) * sheet.width + glyph.x + x];
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
      }),
      draw_glyphs: answering((pixelsPerEmPointer, sizeCount, codePointsPointer, coveragePointer) => {
        const sheet = measureSheet(pixelsPerEmPointer, sizeCount, codePointsPointer);
        // Grown when a sheet needs it, and only then: a canvas resized is a canvas made anew.
        if (glyphCanvas.height < sheet.height) glyphCanvas.height = sheet.height;
        glyphContext.clearRect(0, 0, sheet.width, sheet.height);
        glyphContext.fillStyle = "#fff";
        glyphContext.textBaseline = "alphabetic";
        for (const font of sheet.fonts) {
          glyphContext.font = `${font.pixelsPerEm}px "${kFontFamily}"`;
          for (const glyph of font.glyphs) {
            if (glyph) glyphContext.fillText(glyph.text, glyph.x - glyph.left, glyph.y - glyph.top);
          }
        }
        const pixels = glyphContext.getImageData(0, 0, sheet.width, Math.max(1, sheet.height)).data;
        const coverage = new Uint8Array(memory(), coveragePointer, sheet.width * sheet.height);
        for (let index = 0; index < coverage.length; ++index) coverage[index] = pixels[index * 4 + 3];
        page.glyphsAtTheirBoxEdge += countInkAtBoxEdges(sheet, coverage);
        // Drawn once: the sheet's measures are not needed again.
        sheets.clear();
      }),
      open_window: answering((captionPointer, captionLength, cssWidth, cssHeight, width, height) => {
        document.title = stringAt(captionPointer, captionLength);
        canvas = document.createElement("canvas");
        canvas.width = width;
        canvas.height = height;
        canvas.style.width = `${cssWidth}px`;
        canvas.style.height = `${cssHeight}px`;
        context = canvas.getContext("2d", { alpha: false });
        document.body.prepend(canvas);
      }),
      show_image: answering((rgbaPointer, width, height) => {
        context.putImageData(new ImageData(new Uint8ClampedArray(memory(), rgbaPointer, width * height * 4), width, height), 0, 0);
        page.frames += 1;
        if (page.firstFrameAt === null) page.firstFrameAt = performance.now();
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

  async function start() {
    try {
      const font = new FontFace(kFontFamily, `url(${kFontFile})`);
      const [compiled] = await Promise.all([WebAssembly.instantiateStreaming(fetch(kModuleFile), imports), font.load()]);
      document.fonts.add(font);
      module = compiled.instance;
      module.exports._initialize();
    } catch (error) {
      fail(`Couldn't load the program: ${error.message}`);
      return;
    }
    addEventListener("keydown", onKey, true);
    document.addEventListener("visibilitychange", onVisibility);
    const dotsPerInch = Math.round(96 * (window.devicePixelRatio || 1));
    const answer = call("tavrel_start", dotsPerInch);
    if (document.visibilityState !== "visible") onVisibility();
    schedule(answer);
  }

  start();
})();
