#!/usr/bin/python3
# The contour lines of a DXF as ezdxf reads them, one line per level:
# "LEVEL COUNT CLOSED LENGTH", the length including a closed line's closing stretch, and the
# largest handle against $HANDSEED ("seed ok" when the seed lies above every handle).
# usage: dxflevels.py FILE.dxf
import math
import sys
from collections import defaultdict

import ezdxf

doc = ezdxf.readfile(sys.argv[1])
levels = defaultdict(lambda: [0, 0, 0.0])
for line in doc.modelspace().query("LWPOLYLINE"):
    if not line.dxf.layer.startswith("CONTOUR"):
        continue
    pts = line.get_points("xy")
    if line.closed:
        pts.append(pts[0])
    got = levels[round(line.dxf.elevation, 6)]
    got[0] += 1
    got[1] += line.closed
    got[2] += sum(math.dist(a, b) for a, b in zip(pts, pts[1:]))
for level in sorted(levels):
    print("%r %d %d %.9f" % (level, *levels[level]))
# Handles as the file holds them, before ezdxf adds any objects of its own.
with open(sys.argv[1], encoding="cp874") as f:
    tags = [t.strip() for t in f.read().split("\n")]
tags = tags[tags.index("ENDSEC") - 1:]  # past the header, where $HANDSEED is a group 5 too
handles = [int(v, 16) for g, v in zip(tags[::2], tags[1::2]) if g in ("5", "105")]
seed = int(doc.header["$HANDSEED"], 16)
unique = len(set(handles)) == len(handles)
print("seed", "ok" if unique and max(handles) < seed else "low")
