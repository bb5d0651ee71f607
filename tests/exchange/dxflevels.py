#!/usr/bin/python3
# The contour lines of a DXF as ezdxf reads them, level by level, against the lines another
# reader found: as many, as many closed, as long (a closed line's closing stretch included);
# and every handle in the file unique and below the header's $HANDSEED.
# usage: dxflevels.py FILE.dxf LEVEL:COUNT:CLOSED:LENGTH...
import math
import sys
from collections import defaultdict

import ezdxf

doc = ezdxf.readfile(sys.argv[1])
got = defaultdict(lambda: [0, 0, 0.0])
for line in doc.modelspace().query("LWPOLYLINE"):
    if not line.dxf.layer.startswith("CONTOUR"):
        continue
    pts = line.get_points("xy")
    if line.closed:
        pts.append(pts[0])
    level = got[round(line.dxf.elevation, 6)]
    level[0] += 1
    level[1] += line.closed
    level[2] += sum(math.dist(a, b) for a, b in zip(pts, pts[1:]))
problems = []
want = {round(float(z), 6): (int(n), int(c), float(s))
        for z, n, c, s in (arg.split(":") for arg in sys.argv[2:])}
if sorted(got) != sorted(want):
    problems.append("levels %s, expected %s" % (sorted(got), sorted(want)))
for z, (n, c, s) in want.items():
    if got[z][:2] != [n, c] or abs(got[z][2] - s) > 1e-5 * (1 + s):
        problems.append("level %s: %s, expected %s" % (z, got[z], (n, c, s)))
# Handles as the file holds them, past the header (where $HANDSEED is a group 5 too), before
# ezdxf adds any objects of its own.
with open(sys.argv[1], encoding="cp874") as f:
    tags = [t.strip() for t in f.read().split("\n")]
tags = tags[tags.index("ENDSEC") - 1:]
handles = [int(v, 16) for g, v in zip(tags[::2], tags[1::2]) if g in ("5", "105")]
if len(set(handles)) != len(handles) or max(handles) >= int(doc.header["$HANDSEED"], 16):
    problems.append("handles repeated or at or above $HANDSEED")
print("\n".join(problems))
sys.exit(1 if problems else 0)
