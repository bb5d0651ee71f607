#!/usr/bin/python3
# Labels along the contour lines of a DXF, read independently: each centred TEXT on
# CONTOUR-LABEL is a whole metre, upright, and turned along the nearest stretch of the polyline
# of its level. Prints the problems and the number of labels checked.
# usage: alongcheck.py FILE.dxf
import math
import sys

import ezdxf

msp = ezdxf.readfile(sys.argv[1]).modelspace()
lines = [(round(p.dxf.elevation, 6), [ezdxf.math.Vec2(v) for v in p.get_points("xy")] +
          ([ezdxf.math.Vec2(p[0][:2])] if p.closed else []))
         for p in msp.query("LWPOLYLINE")]
problems, checked = [], 0
for t in msp.query("TEXT[layer=='CONTOUR-LABEL']"):
    if t.dxf.halign != 1 or t.dxf.valign != 2:
        continue  # a border label
    checked += 1
    level, angle, at = float(t.dxf.text), t.dxf.rotation, t.dxf.align_point
    if level != int(level) or not -90 < angle <= 90:
        problems.append("label %s turned %s" % (t.dxf.text, angle))
    best, turn = 10.0, 0.0
    for z, pts in lines:
        if z != level:
            continue
        for a, b in zip(pts, pts[1:]):
            d = math.hypot((a.x + b.x) / 2 - at.x, (a.y + b.y) / 2 - at.y)
            if d < best:
                best = d
                turn = abs(math.degrees(math.atan2(b.y - a.y, b.x - a.x)) - angle) % 180
    if best >= 10 or min(turn, 180 - turn) > 20:
        problems.append("label %s at %s off its line" % (t.dxf.text, at))
print("\n".join(problems + ["checked %d" % checked]))
sys.exit(1 if problems or not checked else 0)
