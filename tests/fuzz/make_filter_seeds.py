#!/usr/bin/env python3
"""Writes the seed inputs of the filter fuzz target (tests/fuzz/filter/).

Each seed spells out, field by field, what filter_session.cpp decodes."""
import os
import struct

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "filter")

KIND = {3: 0, 2: 3, 6: 4, 1: 5, 4: 6, 5: 7, 0: 8, 7: 9, -1: 10}
ITEM = {k: i for i, k in enumerate(
    [140, 141, 150, 161, 162, 170, 171, 172, 202, 203, 204, 205, 206, 207, 208,
     220, 221, 222, 223, 224, 225, 226, 227, 228])}
DECIMAL = {"nan": 0, "-nan": 1, "inf": 2, "-inf": 3, "max": 4, "-max": 5, "denorm": 6,
           "0": 8, "1": 10, "-1": 11, "100": 13, "-100": 14, "1e308": 15, "1e9": 16}
INTEGER = {"min": 0, "max": 1, "0": 4, "1": 5, "-1": 6, "1000": 8, "-1000": 9, "100000": 10}


def u16(v):
    return struct.pack("<H", v)


def i32(v):
    return struct.pack("<i", v)


def layer(kind, pattern=2, hostile_indices=None):
    out = bytes([KIND[kind]])
    if hostile_indices is None:
        out += bytes([0])
    else:
        out += bytes([255]) + bytes(hostile_indices)
    return out + bytes([pattern])


def edit(key, value=b"", raw=True, notify=None):
    how = 1 if raw else 0
    out = bytes([ITEM[key]])
    if notify is not None:
        how |= 0xF0
        out += bytes([how]) + i32(notify)
    else:
        out += bytes([how])
    return out + value


def dec(name):
    return bytes([DECIMAL[name]])


def integer(name):
    return bytes([INTEGER[name]])


def point(x, y):
    return integer(x) + integer(y)


def raw_integer(v):
    return bytes([255]) + i32(v)


def session(w, h, src=3, dst=3, scene=0, hostile=b"\x00", extra_scene=b"", replies=(0, 0, 0),
            order=0, edits=(), later=()):
    out = hostile + bytes([scene]) + u16(w) + u16(h) + layer(src)
    out += (layer(dst) if scene & 2 == 0 else bytes([w % 256, h % 256]) + layer(dst))
    out += extra_scene + bytes([200, 30, 30])
    for n in replies:
        out += bytes([n])
    out += bytes([order, len(edits)]) + b"".join(edits)
    if order & 4:
        out += bytes([len(later)]) + b"".join(later)
    return out


SEEDS = {
    "plain_radial": session(64, 48, edits=[edit(224, bytes([8]), raw=False)]),
    "parallel_and_circle": session(
        80, 60, order=4, edits=[edit(150, bytes([0, 1]), raw=False)],
        later=[edit(150, bytes([0, 2]), raw=False)]),
    "nan_everywhere": session(48, 48, edits=[edit(k, dec("nan")) for k in
                                             (162, 202, 203, 204, 221, 223, 225, 226, 227)]),
    "infinities": session(48, 48, edits=[edit(k, dec("inf" if i % 2 else "-inf")) for i, k in
                                         enumerate((162, 202, 203, 204, 221, 223, 225, 226, 227))]),
    "huge_size": session(40, 40, edits=[edit(202, dec("1e308"))]),
    "dense_spacing": session(64, 64, edits=[edit(224, integer("1")), edit(227, dec("-100")),
                                            edit(226, dec("100"))]),
    "long_lines": session(64, 64, edits=[edit(222, integer("1000")), edit(226, dec("100")),
                                         edit(205, integer("1000")), edit(206, integer("1000")),
                                         edit(207, bytes([1]))]),
    "int_extremes": session(32, 32, edits=[edit(k, integer("min" if i % 2 else "max"))
                                           for i, k in enumerate((205, 206, 220, 222, 224))]),
    "points_extreme": session(32, 32, edits=[edit(170, point("max", "max")),
                                             edit(171, point("min", "min")),
                                             edit(172, point("0", "0"))]),
    "points_equal": session(32, 32, edits=[edit(170, point("1", "1")), edit(171, point("1", "1")),
                                           edit(172, point("1", "1"))]),
    # Found as a timeout: a thousand radial lines of 12 million pixels crossing the canvas.
    "timeout_far_point_spacing_one": session(40, 30, edits=[
        edit(224, integer("1")), edit(170, point("0", "0")), edit(171, point("0", "0")),
        edit(172, integer("0") + raw_integer(12201611))]),
    "empty_canvas": session(0, 0),
    "thin_canvases": session(1, 256, order=4, later=[edit(150, bytes([0, 2]), raw=False)]),
    "kinds_differ": session(50, 40, src=4, dst=2, scene=2 | 4 | 8,
                            extra_scene=bytes([20, 90]) + layer(1)),
    # Destination colour indices far outside a pixel.
    "hostile_indices": (b"\x00\x00" + u16(24) + u16(24) + layer(3)
                        + layer(3, hostile_indices=[250, 251, 252, 0, 0, 0, 0])
                        + bytes([1, 2, 3, 0, 0, 0, 0, 0])),
    "failing_host": session(32, 32, hostile=b"\x0f\x20" + i32(7), order=4,
                            edits=[edit(150, bytes([0, 2]), raw=False)]),
    "null_handles": session(32, 32, hostile=b"\xf0"),
    "unknown_keys_and_notify_kinds": session(32, 32, edits=[
        bytes([250]) + i32(99999) + bytes([0]), edit(224, integer("1"), notify=5),
        edit(150, bytes([0, 1]), raw=True, notify=0x21)]),
    "selectors_out_of_order": session(32, 32, order=1 | 2 | 8 | 16),
    # Four more passes asked for, then a reply the host protocol does not know.
    # A host whose offscreen and bitmap getters fail half the time after
    # writing a plausible value, strings too: no copy of a wrong pixel size,
    # no gap in an enumeration.
    "junk_getters": session(40, 30, hostile=b"\x0e\x80" + i32(12345), order=4,
                            edits=[edit(150, bytes([0, 2]), raw=False)]),
    # A preset with base points through huge fractions, length and gains far
    # past their ranges (type, three points, curvature, size, length, gain,
    # position, spacing, spacing gain).
    "hostile_preset": session(48, 40, hostile=b"\xe0" + bytes([2]) + dec("1e9") + dec("1e308")
                              + dec("1") + dec("-1") + dec("100") + dec("1e9")
                              + dec("1") + dec("100") + integer("max") + dec("1e308")
                              + integer("max") + integer("1") + dec("-100")),
    # Found as a timeout, kept as found: parallel lines from a point at x = -2^31
    # across a 218 x 115 canvas, and the host asking for five passes a run.
    "far_parallel_passes_repeated": bytes.fromhex(
        "0000d8ff730000000000000000000100007063676169"
        "6e4002c800d1d100feffffcd00b61b014d4d0008cd00"),
    "many_passes": (b"\x00\x00" + u16(32) + u16(32) + layer(3) + layer(3) + bytes([9, 9, 9])
                    + bytes([0, 0, 5, 100, 100, 100, 100, 255]) + i32(-7) + bytes([0, 0])),
}

os.makedirs(HERE, exist_ok=True)
for name, data in SEEDS.items():
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)
print(len(SEEDS), "seeds")
