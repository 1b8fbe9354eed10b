#!/usr/bin/env python3
"""Writes the model viewer's house: python3 make_house.py OUTPUT_DIR

OUTPUT_DIR/models/house.dae is a COLLADA 1.4 document (Y up, as many
modelling tools write them) with one geometry of two parts: brick walls as
<triangles> and a roof as <polygons>, each bound to its own material.
OUTPUT_DIR/textures/bricks.png is the walls' texture. Only the standard
library is used. The files are ours, under the project's licence.
"""

import os
import struct
import sys
import zlib

WALL_HALF = 1.0
WALL_HEIGHT = 1.4
ROOF_HALF = 1.25
ROOF_TOP = 2.4


def sub(a, b):
    return tuple(x - y for x, y in zip(a, b))


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def dot(a, b):
    return sum(x * y for x, y in zip(a, b))


def normalized(v):
    length = dot(v, v) ** 0.5
    return tuple(x / length for x in v)


class Part:
    """Faces with their own corners, one normal per face, counter-clockwise
    seen from outside."""

    def __init__(self, centre):
        self.centre = centre
        self.positions = []
        self.normals = []
        self.uvs = []
        self.polygons = []  # (position, normal, uv) index triples per corner

    def face(self, corners, uvs):
        normal = normalized(cross(sub(corners[1], corners[0]), sub(corners[2], corners[0])))
        if dot(normal, sub(corners[0], self.centre)) < 0:
            corners, uvs = corners[::-1], uvs[::-1]
            normal = tuple(-x for x in normal)
        first_position, first_uv = len(self.positions), len(self.uvs)
        self.positions += corners
        self.uvs += uvs
        self.normals.append(normal)
        n = len(self.normals) - 1
        for i in range(1, len(corners) - 1):
            self.polygons.append([(first_position + k, n, first_uv + k) for k in (0, i, i + 1)])


def walls():
    part = Part((0.0, WALL_HEIGHT / 2, 0.0))
    h, top = WALL_HALF, WALL_HEIGHT
    square = [(0, 0), (1, 0), (1, 1), (0, 1)]
    for x0, z0, x1, z1 in ((-h, h, h, h), (h, h, h, -h), (h, -h, -h, -h), (-h, -h, -h, h)):
        part.face([(x0, 0, z0), (x1, 0, z1), (x1, top, z1), (x0, top, z0)], square)
    part.face([(-h, 0, -h), (h, 0, -h), (h, 0, h), (-h, 0, h)], square)
    return part


def roof():
    part = Part((0.0, WALL_HEIGHT + 0.3, 0.0))
    r, apex = ROOF_HALF, (0.0, ROOF_TOP, 0.0)
    base = [(-r, WALL_HEIGHT, r), (r, WALL_HEIGHT, r), (r, WALL_HEIGHT, -r), (-r, WALL_HEIGHT, -r)]
    for i in range(4):
        part.face([base[i], base[(i + 1) % 4], apex], [(0, 0), (1, 0), (0.5, 1)])
    part.face(base, [(0, 0), (1, 0), (1, 1), (0, 1)])
    return part


def numbers(values):
    return " ".join("%g" % v for v in values)


def source(name, rows, stride):
    flat = [v for row in rows for v in row]
    return (f'<source id="{name}"><float_array id="{name}-array" count="{len(flat)}">{numbers(flat)}</float_array>'
            f'<technique_common><accessor source="#{name}-array" count="{len(rows)}" stride="{stride}"/>'
            f'</technique_common></source>')


def mesh_part(element, symbol, prefix, part, offset):
    inputs = (f'<input semantic="VERTEX" source="#{prefix}-vertices" offset="0"/>'
              f'<input semantic="NORMAL" source="#{prefix}-normals" offset="1"/>'
              f'<input semantic="TEXCOORD" source="#{prefix}-uvs" offset="2" set="0"/>')
    corners = [[p + offset[0], n + offset[1], t + offset[2]] for polygon in part.polygons for p, n, t in polygon]
    if element == "triangles":
        body = "<p>" + numbers(v for corner in corners for v in corner) + "</p>"
        return f'<triangles material="{symbol}" count="{len(part.polygons)}">{inputs}{body}</triangles>'
    body = "".join("<p>" + numbers(v for corner in corners[i:i + 3] for v in corner) + "</p>"
                   for i in range(0, len(corners), 3))
    return f'<polygons material="{symbol}" count="{len(part.polygons)}">{inputs}{body}</polygons>'


def house_document():
    wall, top = walls(), roof()
    positions = wall.positions + top.positions
    normals = wall.normals + top.normals
    uvs = wall.uvs + top.uvs
    roof_offset = (len(wall.positions), len(wall.normals), len(wall.uvs))
    mesh = (source("house-positions", positions, 3) + source("house-normals", normals, 3) +
            source("house-uvs", uvs, 2) +
            '<vertices id="house-vertices"><input semantic="POSITION" source="#house-positions"/></vertices>' +
            mesh_part("triangles", "walls_sym", "house", wall, (0, 0, 0)) +
            mesh_part("polygons", "roof_sym", "house", top, roof_offset))
    bind = ('<bind_material><technique_common>'
            '<instance_material symbol="walls_sym" target="#walls-material"/>'
            '<instance_material symbol="roof_sym" target="#roof-material"/>'
            '</technique_common></bind_material>')
    return f'''<?xml version="1.0" encoding="utf-8"?>
<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">
<asset><unit name="meter" meter="1"/><up_axis>Y_UP</up_axis></asset>
<library_materials>
<material id="walls-material" name="Walls"/>
<material id="roof-material" name="Roof"/>
</library_materials>
<library_geometries>
<geometry id="house" name="house"><mesh>
{mesh}
</mesh></geometry>
</library_geometries>
<library_visual_scenes>
<visual_scene id="scene">
<node id="house-node" name="House"><translate sid="location">0 -0.9 0</translate>
<instance_geometry url="#house">{bind}</instance_geometry></node>
</visual_scene>
</library_visual_scenes>
<scene><instance_visual_scene url="#scene"/></scene>
</COLLADA>
'''


def png(width, height, pixel):
    rows = b"".join(b"\0" + bytes(c for x in range(width) for c in pixel(x, y)) for y in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b"")


def brick(x, y):
    """Rows of bricks 16 pixels high, every other row shifted by half a brick."""
    row = y // 16
    mortar = y % 16 < 2 or (x + (16 if row % 2 else 0)) % 32 < 2
    if mortar:
        return (200, 196, 184, 255)
    shade = 20 if (x // 32 + row) % 3 == 0 else 0
    return (178 - shade, 74 - shade // 2, 52, 255)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    os.makedirs(os.path.join(out, "models"), exist_ok=True)
    os.makedirs(os.path.join(out, "textures"), exist_ok=True)
    with open(os.path.join(out, "models", "house.dae"), "w") as f:
        f.write(house_document())
    with open(os.path.join(out, "textures", "bricks.png"), "wb") as f:
        f.write(png(64, 64, brick))


if __name__ == "__main__":
    main()
