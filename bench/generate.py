#!/usr/bin/env python3
"""Deterministic speedcam files of realistic shape for benchmarks.

  generate.py DIALECT ROWS ENCODING EOL OUT [--unicsv OUT.csv | --overlap OUT2 FRACTION]

DIALECT navitel, igo or nine; ENCODING utf8 or cp1251; EOL lf or crlf. Navitel rows carry a
Cyrillic comment in about a third of the lines; iGO rows follow the indexed Russian export
(IDX,X,Y,TYPE,SPEED,DIRTYPE,DIRECTION); nine-column rows follow the OpenSpeedcam export
(IDX,X,Y,TYPE,SPEED,DIRTYPE,DIRECTION,DISTANCE,ANGLE // source | comment) with Navitel types. --unicsv also writes the same points as a GPSBabel
unicsv file (lon,lat,name) for the peer comparison. --overlap also writes a second file of as
many rows, as a neighbouring region's list would be, in which FRACTION of the rows name a camera
of the first file again, of the same type and a few metres away.
"""
import random
import sys

NAVITEL_TYPES = [1, 1, 1, 2, 3, 4, 5, 100, 101, 102, 103, 104]
IGO_TYPES = [192, 192, 192, 68, 227, 199, 194, 198, 215]
STREETS = ["Тверская улица", "Садовое кольцо", "МКАД", "Невский проспект", "Ленинский проспект",
           "КАД, внешнее кольцо", "трасса М-11", "у школы № 5", "перекресток с ул. Мира"]


def main():
    dialect, rows, encoding, eol, out = sys.argv[1:6]
    unicsv = sys.argv[7] if len(sys.argv) > 7 and sys.argv[6] == "--unicsv" else None
    overlap = (sys.argv[7], float(sys.argv[8])) if len(sys.argv) > 8 and sys.argv[6] == "--overlap" else None
    rows = int(rows)
    newline = "\r\n" if eol == "crlf" else "\n"
    rnd = random.Random(20261206 + rows)
    lines = []
    points = []
    if dialect == "navitel":
        lines.append("IDX,X,Y,TYPE,SPEED,DIRTYPE,DIRECTION,COMMENT")
    elif dialect == "nine":
        lines.append("IDX,X,Y,TYPE,SPEED,DIRTYPE,DIRECTION,DISTANCE,ANGLE")
    else:
        lines.append("IDX,X,Y,TYPE,SPEED,DIRTYPE,DIRECTION")
    for i in range(rows):
        x = f"{rnd.uniform(19.9, 158.7):.7f}"
        y = f"{rnd.uniform(42.0, 69.5):.7f}"
        speed = rnd.choice([0, 40, 60, 60, 80, 90, 110])
        direction = rnd.randrange(360)
        if dialect == "navitel":
            t = rnd.choice(NAVITEL_TYPES)
            comment = "," + rnd.choice(STREETS) if rnd.random() < 0.33 else ""
            lines.append(f"{i + 1},{x},{y},{t},{speed},1,{direction}{comment}")
        elif dialect == "nine":
            t = rnd.choice(NAVITEL_TYPES)
            distance, angle = rnd.choice([300, 500, 1000]), rnd.choice([15, 20, 30])
            lines.append(f"{i + 1},{x},{y},{t},{speed},1,{direction},{distance},{angle}"
                         f" // source | {rnd.choice(STREETS)}")
        else:
            t = rnd.choice(IGO_TYPES)
            lines.append(f"{i + 3},{x},{y},{t},{speed},1,{direction}")
        points.append((x, y, f"Камера {speed}"))
    with open(out, "wb") as f:
        f.write((newline.join(lines) + newline).encode(encoding))
    if overlap:
        second = lines[:1]
        for i in range(rows):
            if rnd.random() < overlap[1]:
                # A camera of the first file again: its row, moved by up to about 3 m.
                cells = lines[1 + rnd.randrange(rows)].split(",")
                cells[1] = f"{float(cells[1]) + rnd.uniform(-4e-5, 4e-5):.7f}"
                cells[2] = f"{float(cells[2]) + rnd.uniform(-2.5e-5, 2.5e-5):.7f}"
                second.append(",".join(cells))
            else:
                second.append(lines[1 + rnd.randrange(rows)].split(",", 1)[0] + "," +
                              f"{rnd.uniform(19.9, 158.7):.7f},{rnd.uniform(42.0, 69.5):.7f}," +
                              lines[1 + rnd.randrange(rows)].split(",", 3)[3])
        with open(overlap[0], "wb") as f:
            f.write((newline.join(second) + newline).encode(encoding))
    if unicsv:
        with open(unicsv, "wb") as f:
            f.write(("lon,lat,name\n" + "".join(f"{x},{y},{n}\n" for x, y, n in points)).encode())


if __name__ == "__main__":
    main()
