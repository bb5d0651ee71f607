#!/usr/bin/python3
# An independent reading of a contour DXF: version, audit, layers, elevations, Thai title, labels.
# With --outline the site's edge is one closed polyline on SITE-OUTLINE, and border labels may
# all fall off the site.
# usage: dxfcheck.py FILE.dxf "PROJECT NAME" [--outline] LEVEL...
import sys

import ezdxf

doc = ezdxf.readfile(sys.argv[1])
name, rest = sys.argv[2], sys.argv[3:]
outline = "--outline" in rest
levels = {float(v) for v in rest if v != "--outline"}
problems = []
if doc.dxfversion != "AC1015" or doc.header.get("$DWGCODEPAGE") != "ANSI_874":
    problems.append("version %s, code page %s" % (doc.dxfversion, doc.header.get("$DWGCODEPAGE")))
audit = doc.audit()
problems += ["audit: " + str(e.message) for e in audit.errors + audit.fixes]
msp = doc.modelspace()
if len(msp.query("POLYLINE VERTEX SEQEND")):
    problems.append("old-style polylines")
layers = set()
for line in msp.query("LWPOLYLINE"):
    if not line.dxf.layer.startswith("CONTOUR"):
        continue
    if round(line.dxf.elevation, 6) not in levels:
        problems.append("polyline elevation %r not a traced level" % line.dxf.elevation)
    # A closed line does not repeat its first point; an open one has two ends.
    pts = line.get_points("xy")
    if len(pts) < 2 or (line.closed and pts[0] == pts[-1]):
        problems.append("polyline of %d points, closed %s" % (len(pts), line.closed))
    layers.add(line.dxf.layer)
if len(layers) < 2:
    problems.append("polylines on %d layer(s)" % len(layers))
# Thai texts in a TrueType style; CAD's shape font txt has no Thai glyphs.
for t in msp.query("TEXT"):
    if any(ord(c) > 127 for c in t.dxf.text):
        style = doc.styles.get(t.dxf.style)
        if style is None or not style.dxf.font.lower().endswith(".ttf"):
            problems.append("Thai text %r in style %r" % (t.dxf.text, t.dxf.style))
titles = [t.dxf.text for t in msp.query("TEXT[layer=='TITLE']")]
if name not in titles:
    problems.append("title %r lacks %r" % (titles, name))
labels = [t.dxf.text.strip() for t in msp.query("TEXT[layer=='CONTOUR-LABEL']")]
if (not labels and not outline) or any(float(t) != int(float(t)) for t in labels):
    problems.append("labels %r are not whole metres" % labels)
edges = msp.query("LWPOLYLINE[layer=='SITE-OUTLINE']")
if outline and (len(edges) != 1 or not edges[0].is_closed):
    problems.append("%d site outline(s), closed: %s" % (len(edges), [e.is_closed for e in edges]))
if not outline and len(edges):
    problems.append("a site outline in a drawing without one")
print("\n".join(problems))
sys.exit(1 if problems else 0)
