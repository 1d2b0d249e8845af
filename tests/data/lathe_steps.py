#!/usr/bin/env python3
"""The project's own lathe job and its design part.

Writes lathe_steps.ngc (a shaft turned from a 40 mm bar: a face, three
diameters, a groove, then parted off) and, with --design FILE, the design
part as a binary STL revolved from the same drawing about the Z axis.

    python3 lathe_steps.py OUT.ngc --design OUT.stl
"""
import argparse
import math
import struct

# The drawing, from the front face (z = 0) towards the chuck: diameter over
# each span of z, and the groove cut into the 30 mm step.
STEPS = [(0.0, -20.0, 20.0), (-20.0, -45.0, 30.0), (-45.0, -60.0, 36.0)]
GROOVE = (-32.0, -36.0, 24.0)
PART_LENGTH = 60.0
BAR = 40.0
GROOVE_WIDTH = 3.0


def program():
    lines = ["(a shaft from a 40 mm bar: steps 20/30/36, a groove, part-off)",
             "(T1 turn 55 0.4, T2 groove 3 0.2; diameter mode)",
             "G21 G18 G7 G90 G94", "G64", "T0101", "G97 S1000 M3", "G00 X44 Z2",
             "(face the front)", "G00 Z0", "G01 X-1 F100", "G00 Z2", "X44"]
    # Roughing, 2 mm on the diameter a pass, each step down to its own length.
    for diameter in range(38, 19, -2):
        end = min(z1 for z0, z1, d in STEPS if d <= diameter)
        lines += [f"G00 X{diameter:.1f}", f"G01 Z{end:.2f} F200", f"X{diameter + 2:.1f}", "G00 Z2"]
    lines += ["(finish the profile)", "G00 X20 Z2", "G01 Z-20 F100", "X30", "Z-45", "X36", "Z-60", "X42",
              "G00 Z2", "G00 X50 Z10", "T0202", "S600"]
    z0, z1, d = GROOVE
    lines.append("(groove)")
    for centre in (z0 - GROOVE_WIDTH / 2, z1 + GROOVE_WIDTH / 2):
        lines += [f"G00 X34 Z{centre:.2f}", f"G01 X{d:.1f} F40", "G00 X34"]
    centre = -PART_LENGTH - GROOVE_WIDTH / 2
    lines += ["(part off)", f"G00 X42 Z{centre:.2f}", "G01 X-1 F40", "G00 X50", "Z10", "M5", "M30"]
    return "\n".join(lines) + "\n"


def profile():
    """The outline's (z, radius) corners from the front face's centre to the back face's."""
    points = [(0.0, 0.0)]
    for z0, z1, d in STEPS:
        r = d / 2
        points += [(z0, r)]
        if z0 > GROOVE[0] > z1:
            g = GROOVE[2] / 2
            points += [(GROOVE[0], r), (GROOVE[0], g), (GROOVE[1], g), (GROOVE[1], r)]
        points += [(z1, r)]
    points.append((-PART_LENGTH, 0.0))
    return points


def revolve(path, segments=180):
    outline = profile()
    triangles = []
    for k in range(segments):
        a0, a1 = 2 * math.pi * k / segments, 2 * math.pi * (k + 1) / segments
        for (za, ra), (zb, rb) in zip(outline, outline[1:]):
            p = [(ra * math.cos(a0), ra * math.sin(a0), za), (ra * math.cos(a1), ra * math.sin(a1), za),
                 (rb * math.cos(a1), rb * math.sin(a1), zb), (rb * math.cos(a0), rb * math.sin(a0), zb)]
            # Counter-clockwise seen from outside; the axis points give one triangle.
            if ra > 0:
                triangles.append((p[0], p[2], p[1]))
            if rb > 0:
                triangles.append((p[0], p[3], p[2]))
    with open(path, "wb") as f:
        f.write(b"lathe_steps design".ljust(80, b" "))
        f.write(struct.pack("<I", len(triangles)))
        for t in triangles:
            f.write(struct.pack("<3f", 0, 0, 0))
            for v in t:
                f.write(struct.pack("<3f", *v))
            f.write(b"\0\0")


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("out")
    parser.add_argument("--design")
    args = parser.parse_args()
    with open(args.out, "w") as f:
        f.write(program())
    if args.design:
        revolve(args.design)
