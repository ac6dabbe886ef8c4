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

  // Exposed for tests and benchmarks: frames shown (the first when, since the page's start), rain
  // steps taken, how the program stands.
  const page = (window.tavrel = {
    frames: 0,
    firstFrameAt: null,
    ended: false,
    failure: null,
    get steps() {
      return module ? module.exports.tavrel_ticks_run() - page.frames : 0;
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

  function turn() {
    schedule(module.exports.tavrel_turn());
  }

  // Any key that reaches the page ends the program, a lone modifier included.
  function onKey(event) {
    const shift = (event.shiftKey ? 1 : 0) | (event.ctrlKey ? 2 : 0) | (event.altKey ? 4 : 0);
    schedule(module.exports.tavrel_key(event.keyCode & 0x7fff, shift));
  }

  function onVisibility() {
    module.exports.tavrel_set_seen(document.visibilityState === "visible" ? 1 : 0);
  }

  // The font engine's side of the glyphs: a size's 256 glyphs in a 16 x 16 grid of equal cells.
  const glyphCanvas = new OffscreenCanvas(1, 1);
  const glyphContext = glyphCanvas.getContext("2d", { willReadFrequently: true });

  // Measured once a size: the module asks for the measures, then for the drawing.
  const grids = new Map();

  function measureGrid(pixelsPerEm, codePointsPointer) {
    if (grids.has(pixelsPerEm)) return grids.get(pixelsPerEm);
    glyphContext.font = `${pixelsPerEm}px "${kFontFamily}"`;
    const points = new Uint32Array(memory(), codePointsPointer, 256);
    const line = glyphContext.measureText("X");
    const ascent = Math.ceil(line.fontBoundingBoxAscent - 1e-3);
    const lineHeight = Math.ceil(line.fontBoundingBoxAscent + line.fontBoundingBoxDescent - 1e-3);
    const advances = Array.from(points, (point) => (point ? Math.round(glyphContext.measureText(String.fromCodePoint(point)).width) : 0));
    // Room around the pen for ink that reaches beyond the advance or the line.
    const margin = Math.ceil(pixelsPerEm / 2);
    const grid = { ascent, lineHeight, advances, margin, cellWidth: Math.max(...advances) + 2 * margin, cellHeight: lineHeight + 2 * margin };
    grids.set(pixelsPerEm, grid);
    return grid;
  }

  const imports = {
    tavrel: {
      measure_glyphs(pixelsPerEm, codePointsPointer, factsPointer) {
        const grid = measureGrid(pixelsPerEm, codePointsPointer);
        const facts = new Int32Array(memory(), factsPointer, 5 + 256);
        facts.set([grid.lineHeight, grid.cellWidth, grid.cellHeight, grid.margin, grid.margin]);
        facts.set(grid.advances, 5);
      },
      draw_glyphs(pixelsPerEm, codePointsPointer, coveragePointer) {
        const grid = measureGrid(pixelsPerEm, codePointsPointer);
        const points = new Uint32Array(memory(), codePointsPointer, 256);
        const width = grid.cellWidth * 16;
        const height = grid.cellHeight * 16;
        glyphCanvas.width = width;
        glyphCanvas.height = height;
        glyphContext.font = `${pixelsPerEm}px "${kFontFamily}"`;
        glyphContext.fillStyle = "#fff";
        glyphContext.textBaseline = "alphabetic";
        points.forEach((point, code) => {
          if (!point) return;
          const x = (code % 16) * grid.cellWidth + grid.margin;
          const y = Math.floor(code / 16) * grid.cellHeight + grid.margin + grid.ascent;
          glyphContext.fillText(String.fromCodePoint(point), x, y);
        });
        const pixels = glyphContext.getImageData(0, 0, width, height).data;
        const coverage = new Uint8Array(memory(), coveragePointer, width * height);
        for (let index = 0; index < coverage.length; ++index) coverage[index] = pixels[index * 4 + 3];
      },
      open_window(captionPointer, captionLength, cssWidth, cssHeight, width, height) {
        document.title = stringAt(captionPointer, captionLength);
        canvas = document.createElement("canvas");
        canvas.width = width;
        canvas.height = height;
        canvas.style.width = `${cssWidth}px`;
        canvas.style.height = `${cssHeight}px`;
        context = canvas.getContext("2d", { alpha: false });
        document.body.prepend(canvas);
      },
      show_image(rgbaPointer, width, height) {
        context.putImageData(new ImageData(new Uint8ClampedArray(memory(), rgbaPointer, width * height * 4), width, height), 0, 0);
        page.frames += 1;
        if (page.firstFrameAt === null) page.firstFrameAt = performance.now();
      },
      report_failure(messagePointer, length) {
        const message = stringAt(messagePointer, length);
        page.failure = message;
        console.error(`tavrel: ${message}`);
        end();
        showNotice((notice) => notice.append(message));
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
      page.failure = `Couldn't load the program: ${error.message}`;
      console.error(`tavrel: ${page.failure}`);
      showNotice((notice) => notice.append(page.failure));
      return;
    }
    addEventListener("keydown", onKey, true);
    document.addEventListener("visibilitychange", onVisibility);
    const dotsPerInch = Math.round(96 * (window.devicePixelRatio || 1));
    const answer = module.exports.tavrel_start(dotsPerInch);
    if (document.visibilityState !== "visible") onVisibility();
    schedule(answer);
  }

  start();
})();
