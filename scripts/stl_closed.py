#!/usr/bin/env python3
"""Says whether a binary STL is a closed surface: every edge, by its two
end positions, met once each way. Prints the triangle count, the edges met
unevenly and the triangles without area; exits 1 when it is not closed."""
import struct
import sys
from collections import Counter


def facts(path):
    with open(path, "rb") as f:
        data = f.read()
    count = struct.unpack_from("<I", data, 80)[0]
    edges = Counter()
    flat = 0
    for t in range(count):
        values = struct.unpack_from("<12f", data, 84 + 50 * t)
        corners = [tuple(values[3 + 3 * k: 6 + 3 * k]) for k in range(3)]
        if len(set(corners)) < 3:
            flat += 1
        for k in range(3):
            edges[(corners[k], corners[(k + 1) % 3])] += 1
    uneven = sum(1 for (a, b), n in edges.items() if edges.get((b, a), 0) != n)
    return count, uneven, flat


if __name__ == "__main__":
    triangles, uneven, flat = facts(sys.argv[1])
    print(f"{triangles} triangles, {uneven} uneven edges, {flat} without area")
    sys.exit(0 if triangles > 0 and uneven == 0 else 1)
