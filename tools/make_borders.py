#!/usr/bin/env python3
"""Turns Natural Earth country borders (TopoJSON from the npm package world-atlas
2.0.2) into the map's border resources.

    npm pack world-atlas@2.0.2        # or: curl -sO https://registry.npmjs.org/world-atlas/-/world-atlas-2.0.2.tgz
    tar xzf world-atlas-2.0.2.tgz
    tools/make_borders.py package/countries-110m.json resources/borders-110m.bin
    tools/make_borders.py --tolerance 2 package/countries-50m.json resources/borders-50m.bin

Each TopoJSON arc becomes one polyline, so a border shared by two countries is
drawn once; an arc that crosses the 180th meridian is cut there. Points are kept
in hundredths of a degree (about a kilometre). --tolerance drops the points that
lie closer than that many hundredths to the line through their neighbours
(Douglas-Peucker), far below what the 1:50m data itself is true to.

Layout, little-endian: "OVB2", uint32 polyline count, then per polyline an
unsigned LEB128 point count, the first point as int16 lon and int16 lat, and
each further point as the change of lon and of lat from the point before it,
each zigzag-coded (0, -1, 1, -2, ... as 0, 1, 2, 3, ...) in unsigned LEB128.
"""
import argparse
import json
import struct


def arcs_as_lines(topo):
    sx, sy = topo["transform"]["scale"]
    tx, ty = topo["transform"]["translate"]
    lines = []
    for arc in topo["arcs"]:
        x = y = 0
        points = []
        for dx, dy in arc:
            x += dx
            y += dy
            lon = round((x * sx + tx) * 100)
            lat = round((y * sy + ty) * 100)
            # An arc that crosses the 180th meridian is cut there, so that no line runs
            # across the whole map.
            if points and abs(lon - points[-1][0]) > 18000:
                if len(points) >= 2:
                    lines.append(points)
                points = []
            if not points or points[-1] != (lon, lat):
                points.append((lon, lat))
        if len(points) >= 2:
            lines.append(points)
    return lines


def simplify(points, tolerance):
    """Douglas-Peucker: keeps the ends and every point farther than tolerance from the
    chord of the stretch it lies in."""
    if tolerance <= 0 or len(points) < 3:
        return points
    keep = [False] * len(points)
    keep[0] = keep[-1] = True
    stack = [(0, len(points) - 1)]
    while stack:
        a, b = stack.pop()
        (ax, ay), (bx, by) = points[a], points[b]
        dx, dy = bx - ax, by - ay
        length = (dx * dx + dy * dy) ** 0.5
        far, at = -1.0, -1
        for i in range(a + 1, b):
            px, py = points[i]
            d = (abs(dx * (ay - py) - dy * (ax - px)) / length if length
                 else ((px - ax) ** 2 + (py - ay) ** 2) ** 0.5)
            if d > far:
                far, at = d, i
        if far > tolerance:
            keep[at] = True
            stack += [(a, at), (at, b)]
    return [p for p, k in zip(points, keep) if k]


def leb128(value):
    out = bytearray()
    while True:
        byte, value = value & 0x7F, value >> 7
        out.append(byte | (0x80 if value else 0))
        if not value:
            return out


def zigzag(value):
    return value * 2 if value >= 0 else -value * 2 - 1


def encode(lines):
    out = bytearray(b"OVB2") + struct.pack("<I", len(lines))
    for points in lines:
        out += leb128(len(points)) + struct.pack("<hh", *points[0])
        for (ax, ay), (bx, by) in zip(points, points[1:]):
            out += leb128(zigzag(bx - ax)) + leb128(zigzag(by - ay))
    return out


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tolerance", type=float, default=0,
                        help="Douglas-Peucker tolerance in hundredths of a degree")
    parser.add_argument("src")
    parser.add_argument("dst")
    args = parser.parse_args()
    with open(args.src, encoding="utf-8") as f:
        lines = arcs_as_lines(json.load(f))
    lines = [simplify(points, args.tolerance) for points in lines]
    out = encode(lines)
    with open(args.dst, "wb") as f:
        f.write(out)
    print(f"{args.dst}: {len(lines)} polylines, {sum(map(len, lines))} points, "
          f"{len(out)} bytes")


if __name__ == "__main__":
    main()
