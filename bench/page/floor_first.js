// The least a page showing the rain's first frame can do: fetch the page's module and font as the
// page does (page_first_frame.sh serves them as module.wasm and font.woff), compile the one and
// load the other, then show one cleared image of the canvas' size.
"use strict";
window.tavrel = { frames: 0, firstFrameAt: null };
(async () => {
  const noImports = new Proxy({}, { get: () => new Proxy({}, { get: () => () => 0 }) });
  const [, fontBytes] = await Promise.all([
    fetch("module.wasm").then((response) => WebAssembly.instantiateStreaming(response, noImports)),
    fetch("font.woff").then((response) => response.arrayBuffer()),
  ]);
  const font = new FontFace("Floor", fontBytes);
  await font.load();
  document.fonts.add(font);
  const scale = window.devicePixelRatio || 1;
  const canvas = document.createElement("canvas");
  canvas.width = Math.round(545 * scale);
  canvas.height = Math.round(336 * scale);
  canvas.style.width = "545px";
  canvas.style.height = "336px";
  document.body.append(canvas);
  const context = canvas.getContext("2d", { alpha: false });
  const pixels = new Uint32Array(canvas.width * canvas.height).fill(0xff000000);
  context.putImageData(new ImageData(new Uint8ClampedArray(pixels.buffer), canvas.width, canvas.height), 0, 0);
  tavrel.frames = 1;
  tavrel.firstFrameAt = performance.now();
})();
