"""Checks tavrel-trace against the rain's rules derived here on their own: the generator, the
start-up fill, the full-loop step and the frame's prints, in plain Python.
Usage: trace_check.py TAVREL_TRACE"""

import json
import math
import subprocess
import sys


class Generator:
    def __init__(self, state=0x50000):
        self.state = state

    def next(self):
        self.state = (self.state * 1140671485 + 12820163) % (1 << 24)
        return self.state / (1 << 24)


def round_half_even(value):
    return int(round(value))  # Python rounds halves to even


def start_up(width, height, cell_width, cell_height, generator):
    max_column = math.floor(width / cell_width) - 1
    max_row = math.floor(height / cell_height) - 1
    drop_row = [0] * (max_column + 1)
    glyph_size = [0] * (max_column + 1)
    for column in range(1, max_column + 1):
        drop_row[column] = round_half_even(generator.next() * max_row)
        glyph_size[column] = round_half_even(generator.next() * 20)
    brightness = [[0] * (max_row + 1) for _ in range(max_column + 1)]
    return max_column, max_row, drop_row, glyph_size, brightness


def step(field, generator):
    max_column, max_row, drop_row, glyph_size, brightness = field
    restarted = round_half_even(generator.next() * max_column)
    glyph_size[restarted] = 20
    drop_row[restarted] = 0
    for column in range(max_column + 1):
        drop_row[column] += 1
        glyph_size[column] -= 1
        if glyph_size[column] <= 8:
            glyph_size[column] = 20
        if drop_row[column] >= max_row + 50:
            drop_row[column] = 0
            glyph_size[column] = 20
        head = drop_row[column]
        for k in range(head + 1):
            if head - k <= max_row and 255 - 8 * k >= 0:
                brightness[column][head - k] = 255 - 8 * k


def fits_16_bits(value):
    return -32768 <= value <= 32767


def frame(field, cell_width, cell_height, generator):
    """The prints of one frame: [x, y, red, green, blue, points, code] for every lit cell."""
    max_column, max_row, drop_row, glyph_size, brightness = field
    prints = []
    x, y, points = 0, 0, 8
    for column in range(max_column + 1):
        for row in range(max_row + 1):
            value = brightness[column][row]
            if fits_16_bits(column * cell_width):
                x = column * cell_width
            if fits_16_bits(row * cell_height):
                y = row * cell_height
            colour = (0, round_half_even(value / 1.5), 0)
            if 1 <= glyph_size[column] <= 288:
                points = glyph_size[column]
            if value == 255:
                colour = (100, 255, 100)
            if value >= 50:
                prints.append([x, y, *colour, points, round_half_even(generator.next() * 255)])
    return prints


def check(trace, width, height, cell_width, cell_height, steps, state):
    arguments = [trace, "--client", str(width), str(height), "--cell", str(cell_width), str(cell_height),
                 "--steps", str(steps), "--frame"]
    if state is not None:
        arguments += ["--state", str(state)]
    actual = json.loads(subprocess.run(arguments, check=True, capture_output=True, text=True).stdout)
    generator = Generator()
    field = start_up(width, height, cell_width, cell_height, generator)
    if state is not None:
        generator.state = state
    for _ in range(steps):
        step(field, generator)
    max_column, max_row, drop_row, glyph_size, brightness = field
    expected = {"cell_width": cell_width, "cell_height": cell_height, "max_column": max_column,
                "max_row": max_row, "drop_row": drop_row, "glyph_size": glyph_size, "brightness": brightness,
                "frame": frame(field, cell_width, cell_height, generator)}
    for key, value in expected.items():
        if actual[key] != value:
            sys.exit(f"FAIL: {key} differs for {arguments[1:]}")
    print(f"ok: {' '.join(arguments[1:])}")


def main():
    trace = sys.argv[1]
    check(trace, 545, 336, 7, 13, 0, None)
    check(trace, 545, 336, 7, 13, 300, None)
    check(trace, 545, 336, 7, 13, 300, 12345)
    check(trace, 100, 400, 7, 13, 500, 777)
    check(trace, 13, 60, 7, 13, 120, 1)
    # Positions beyond 16 bits are skipped: the previous one stays for the cell.
    check(trace, 100000, 200, 10000, 20, 30, 99)
    check(trace, 300, 100000, 150, 10000, 30, 5)
    print("1 passed, 0 failed")


main()
