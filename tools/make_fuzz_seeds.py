#!/usr/bin/env python3
"""Writes the seed inputs of tests/fuzz/corpus/ in the byte formats the fuzz targets read
(described at the top of each target's source). Run it after changing a format."""
import os
import struct

CORPUS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "fuzz", "corpus")


def write(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


# Command line: the raw text.
for name, text in {
    "quoted_path_file_and_slot": b'"C:\\Program Files\\Padwright\\padwright.exe" "my settings.cfg" id=4',
    "slot_only": b"padwright.exe id=3",
    "two_spaces": b"padwright.exe  padwrt.cfg",
    "unterminated_quote": b'padwright.exe "half open id=2',
    "token_without_digit": b"padwright.exe file id=",
    "token_inside_word": b"padwright.exe grid=5 other",
    "file_argument_too_long": b'padwright.exe "' + b"long name " * 30 + b'" id=5',
}.items():
    write("command_line", name, text)

# Slot load.
REG_SZ, REG_BINARY, REG_DWORD = 1, 3, 4
VALUES = ["config", "numkeys", "keymap", "typematic", "joyid", "configname", "enabled",
          "pollingspeed", "typematicdelay", "typematicrate", "threshold"]


def word(v):
    return struct.pack("<i", v)


def entry(mask, vk, scan, reserved=0):
    bits = bin(mask & ((1 << 48) - 1)).count("1")
    return struct.pack("<IIBBBB", mask & 0xFFFFFFFF, mask >> 32, vk, scan, bits, reserved)


def slot_seed(flags, digit, count, values):
    out = bytes([flags, digit, count])
    for name in VALUES:
        if name in values:
            data, kind = values[name]
            out += bytes([1 | kind << 1]) + struct.pack("<H", len(data)) + data
        else:
            out += bytes([0]) + struct.pack("<H", 0)
    return out


keymap3 = entry(1 << 16, 0x0D, 0x1C) + entry(1 << 17 | 1 << 18, 0x09, 0x0F, 7) + entry(3, 0x26, 0xC8)
write("slot_load", "saved_slot_one", slot_seed(0, ord("1"), 0, {
    "numkeys": (word(3), REG_BINARY), "keymap": (keymap3, REG_BINARY),
    "typematic": (word(1), REG_BINARY), "joyid": (word(0), REG_BINARY),
    "configname": (b"Racing".ljust(32, b"\0"), REG_SZ),
    "enabled": (struct.pack("<Q", 1 | 1 << 47), REG_BINARY),
    "pollingspeed": (word(20), REG_BINARY), "typematicdelay": (word(400), REG_BINARY),
    "typematicrate": (word(50), REG_BINARY), "threshold": (word(30), REG_BINARY)}))
write("slot_load", "oversized_and_out_of_range", slot_seed(6, ord("1"), 40, {
    "config": (b"\\", REG_BINARY), "numkeys": (word(129), REG_BINARY),
    "keymap": (bytes(range(256)) * 7 + bytes(208), REG_BINARY),
    "joyid": (word(99), REG_DWORD), "configname": (b"N" * 40, REG_SZ),
    "pollingspeed": (word(0), REG_BINARY), "threshold": (word(200), REG_BINARY)}))
write("slot_load", "short_values_other_slot", slot_seed(5, ord("1"), 128, {
    "config": (b"x", REG_BINARY), "numkeys": (b"\x02\x00", REG_BINARY),
    "keymap": (b"\x01\x00\x01\x00\x41", REG_BINARY), "enabled": (b"\x00\x00\x00", REG_BINARY),
    "configname": (b"Short", REG_BINARY), "typematicrate": (word(600), REG_DWORD)}))
write("slot_load", "negative_and_huge_counts", slot_seed(4, ord("7"), 1, {
    "config": (b"\0", REG_BINARY), "numkeys": (word(-1), REG_BINARY),
    "keymap": (entry(0xFFFFFFFFFFFFFFFF, 1, 0xFF, 0xFF) * 128, REG_BINARY),
    "typematic": (word(-5), REG_SZ), "pollingspeed": (word(-5), REG_BINARY),
    "typematicdelay": (word(100000), REG_BINARY)}))

# Grid layout.


def rect(left, top, width, height):
    return struct.pack("<hhHH", left, top, width, height)


def grid_seed(joystick, key_count, scroll_pos, page_rows, work_area, operations, missing=0):
    buttons, axes, caps, fails = joystick
    out = struct.pack("<IIIB", buttons, axes, caps, fails)
    out += struct.pack("<iii", key_count, scroll_pos, page_rows)
    # The template dialog: window, client size and top, key button, separator, scroll bar,
    # header 0 and the step between headers, missing headers, the controls below the grid.
    out += rect(150, 40, 1101, 121) + struct.pack("<HHh", 1095, 95, 63)
    out += rect(161, 112, 240, 23) + rect(162, 110, 1066, 1) + rect(1231, 120, 15, 24)
    out += rect(403, 95, 12, 13) + struct.pack("<h", 15) + struct.pack("<Q", missing)
    out += struct.pack("<9h", *[118 + 10 * (i % 3) for i in range(9)])
    out += struct.pack("<iiii", *work_area)
    return out + operations


SCROLL, PRESS, MOVE, RELEASE, PLUS, MINUS, CHORD, WORKAREA, JOYSTICK, DEFAULTS, REOPEN = range(11)
HAT = 0x10


def op(code, fmt="", *args):
    return bytes([code]) + struct.pack("<" + fmt, *args)


drag = (op(PRESS, "HB", 160, 1) + op(MOVE, "HB", 240, 1) + op(MOVE, "HB", 20, 1) +
        op(RELEASE, "H", 20))
write("grid_layout", "small_pad_default_map", grid_seed(
    (4, 2, 0, 0), 10, 0, 0, (0, 0, 1920, 1040),
    drag + op(PLUS) + op(MINUS) + op(CHORD, "BQ", 3, 0x30005)))
write("grid_layout", "long_map_scrolled", grid_seed(
    (32, 6, HAT, 0), 128, 200, 36, (0, 0, 1920, 1040),
    op(SCROLL, "HH", 3, 0) + op(SCROLL, "HH", 7, 0) + op(SCROLL, "HH", 5, 60000) + drag +
    op(WORKAREA, "iiii", 0, 0, 1920, 800) + op(MINUS) + op(REOPEN, "B", 20)))
write("grid_layout", "extreme_joystick_and_work_area", grid_seed(
    (255, 0xFFFFFFFF, 0xFFFFFFFF, 0), 0x7FFFFFFF, -0x80000000, -1,
    (-0x80000000, -0x80000000, 0x7FFFFFFF, 0x7FFFFFFF),
    op(JOYSTICK, "IIIB", 0, 0, 0, 1) + op(DEFAULTS) + op(SCROLL, "HH", 1, 0), missing=1 << 25))
write("grid_layout", "work_area_too_low", grid_seed(
    (0, 1, 0, 0), 1, 5, 80, (0, 0, 800, 149),
    op(PLUS) + op(PRESS, "HB", 120, 1) + op(WORKAREA, "iiii", 0, 0, 800, 2000) + op(MINUS)))
