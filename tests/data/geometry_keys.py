#!/usr/bin/env python3
"""Geometry keys of the meshes the cache tests use, computed apart from the
library: FNV-1a 64 over each 32-bit word (lowest byte first), per-axis
running hashes of the vertex coordinates (zeros of either sign as the word
0), combined, then the triangle indices; a key of 0 becomes 1."""
import struct

MASK = (1 << 64) - 1


def word_hash(word):
    h = 14695981039346656037
    for byte in struct.pack('<I', word):
        h = ((h ^ byte) * 1099511628211) & MASK
    return h


def coordinate_word(c):
    if c == 0.0:
        return 0
    return struct.unpack('<I', struct.pack('<f', c))[0]


def key(vertices, indices):
    hx = hy = hz = 17
    for x, y, z in vertices:
        hx = (hx * 31 + word_hash(coordinate_word(x))) & MASK
        hy = (hy * 31 + word_hash(coordinate_word(y))) & MASK
        hz = (hz * 31 + word_hash(coordinate_word(z))) & MASK
    h = (((hx * 31 + hy) & MASK) * 31 + hz) & MASK
    for k in indices:
        h = (h * 31 + word_hash(k)) & MASK
    return h or 1


MESHES = {
    'empty': ([], []),
    'triangle': ([(0.0, 0.0, 0.0), (1.0, 0.0, 0.0), (0.0, 1.0, 0.0)], [0, 1, 2]),
    'tetrahedron': ([(0.0, 0.0, 0.0), (10.5, 0.0, 0.0), (0.0, -3.25, 0.0), (0.0, 0.0, 7.0)],
                    [0, 2, 1, 0, 1, 3, 0, 3, 2, 1, 2, 3]),
    'large indices': ([(1e6, -1e-6, 123.456)], [0, 4294967295, 65536]),
}

if __name__ == '__main__':
    for name, (vertices, indices) in MESHES.items():
        print(f'{name}: {key(vertices, indices)}')
