// Reads the PNG files Chromium's screenshots are: 8 bits a channel, RGB or RGBA, not interlaced.
"use strict";

const zlib = require("zlib");

function decodePng(file) {
  let offset = 8;
  let width = 0, height = 0, channels = 0;
  const data = [];
  while (offset < file.length) {
    const length = file.readUInt32BE(offset);
    const type = file.toString("ascii", offset + 4, offset + 8);
    const body = file.subarray(offset + 8, offset + 8 + length);
    if (type === "IHDR") {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      const [depth, colourType, , , interlace] = body.subarray(8);
      channels = { 2: 3, 6: 4 }[colourType];
      if (depth !== 8 || !channels || interlace) throw new Error(`an unexpected PNG: depth ${depth}, colour type ${colourType}`);
    } else if (type === "IDAT") {
      data.push(body);
    }
    offset += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(data));
  const stride = width * channels;
  const pixels = Buffer.alloc(width * height * 3);
  let previous = Buffer.alloc(stride);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const row = Buffer.from(raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1)));
    for (let x = 0; x < stride; ++x) {
      const left = x >= channels ? row[x - channels] : 0;
      const up = previous[x];
      const upLeft = x >= channels ? previous[x - channels] : 0;
      let predicted = 0;
      if (filter === 1) predicted = left;
      else if (filter === 2) predicted = up;
      else if (filter === 3) predicted = (left + up) >> 1;
      else if (filter === 4) {
        const estimate = left + up - upLeft;
        const [a, b, c] = [Math.abs(estimate - left), Math.abs(estimate - up), Math.abs(estimate - upLeft)];
        predicted = a <= b && a <= c ? left : b <= c ? up : upLeft;
      }
      row[x] = (row[x] + predicted) & 0xff;
    }
    for (let x = 0; x < width; ++x) row.copy(pixels, (y * width + x) * 3, x * channels, x * channels + 3);
    previous = row;
  }
  return { width, height, pixels };
}

module.exports = { decodePng };
