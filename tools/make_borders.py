#!/usr/bin/env python3
"""Turns Natural Earth 1:110m country borders (TopoJSON from the npm package
world-atlas 2.0.2, countries-110m.json) into resources/borders.bin.

    curl -sO https://registry.npmjs.org/world-atlas/-/world-atlas-2.0.2.tgz
    tar xzf world-atlas-2.0.2.tgz
    tools/make_borders.py package/countries-110m.json resources/borders.bin

Each TopoJSON arc becomes one polyline, so a border shared by two countries is
drawn once. Layout, little-endian: "OVB1", uint32 polyline count, then per
polyline a uint16 point count and that many (int16 lon, int16 lat) pairs in
hundredths of a degree.
"""
import json
import struct
import sys


def main(src, dst):
    topo = json.load(open(src, encoding="utf-8"))
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
    out = bytearray(b"OVB1")
    out += struct.pack("<I", len(lines))
    for points in lines:
        out += struct.pack("<H", len(points))
        for lon, lat in points:
            out += struct.pack("<hh", lon, lat)
    open(dst, "wb").write(out)
    print(f"{dst}: {len(lines)} polylines, {sum(map(len, lines))} points, {len(out)} bytes")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
