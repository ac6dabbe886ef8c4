// What the rain looks like in a screenshot, whichever browser took it.
"use strict";

const kHead = [100, 255, 100];

function check(condition, message) {
  if (!condition) throw new Error(message);
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

module.exports = { checkRain, colours };
