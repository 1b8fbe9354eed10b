#!/usr/bin/env python3
"""Independent reader of the engine's saved-state formats, for the tests.

Written from the format descriptions alone (it shares no code with the
engine): state buffers, the binary and text debug dumps, and replay files.

    state_format.py SCHEMA.json FOLDER

SCHEMA.json names the registered classes in registration order, each with
its saved members as [name, type, nullable]. Every "save_*.bin" in FOLDER is
decoded and printed; its "save_debug_*.txt" twin (same time and slot) must
equal the text dump rendered here from the decoded values; every "*.rep"
file is decoded element by element. Any mismatch prints "ERROR: ..." and
the exit status is 1.
"""
import json
import os
import struct
import sys
import zlib

SCALARS = {
    "uint8": (1, False), "uint16": (2, False), "uint32": (4, False),
    "sint8": (1, True), "sint16": (2, True), "sint32": (4, True), "fixed": (4, True),
}


class Malformed(Exception):
    pass


class Reader:
    def __init__(self, data):
        self.data = data
        self.pos = 0

    def take(self, count):
        if self.pos + count > len(self.data):
            raise Malformed("read of %d bytes at %d runs past %d" % (count, self.pos, len(self.data)))
        chunk = self.data[self.pos:self.pos + count]
        self.pos += count
        return chunk

    def uint(self, size):
        return int.from_bytes(self.take(size), "big")

    def compact(self):
        first = self.uint(1)
        if first < 0x80:
            return first
        return ((first & 0x7F) << 8) | self.uint(1)


def check_crc(data, what):
    if len(data) < 4:
        raise Malformed("%s: %d bytes cannot hold a CRC" % (what, len(data)))
    stored = int.from_bytes(data[-4:], "big")
    actual = zlib.crc32(data[:-4]) & 0xFFFFFFFF
    if stored != actual:
        raise Malformed("%s: CRC %08x stored, %08x computed" % (what, stored, actual))
    return data[:-4], stored


class StateDecoder:
    """One state buffer: counts, type runs, then one record per object."""

    def __init__(self, classes):
        self.classes = classes

    def decode(self, payload):
        r = Reader(payload)
        static_count = r.uint(2)
        total = r.uint(2)
        if total < static_count:
            raise Malformed("total %d < static %d" % (total, static_count))
        runs, kinds = [], []
        while len(kinds) < total:
            length, cls = r.uint(1), r.uint(2)
            if length == 0 or cls >= len(self.classes):
                raise Malformed("bad run (%d, %d)" % (length, cls))
            runs.append((length, cls))
            kinds += [cls] * length
        if len(kinds) != total:
            raise Malformed("runs cover %d objects, not %d" % (len(kinds), total))
        self.strings = [None]
        self.total = total
        objects = []
        for index, cls in enumerate(kinds):
            if r.uint(2) != cls:
                raise Malformed("record %d names another class" % index)
            values = []
            for name, kind, nullable in self.classes[cls]["members"]:
                if nullable and r.uint(1) == 0:
                    values.append((name, kind, None))
                else:
                    values.append((name, kind, self.value(r, kind)))
            objects.append((cls, values))
        if r.pos != len(payload):
            raise Malformed("%d bytes left after the records" % (len(payload) - r.pos))
        return {"static": static_count, "runs": runs, "objects": objects}

    def value(self, r, kind):
        if kind.endswith("[]"):
            return [self.value(r, kind[:-2]) for _ in range(r.uint(2))]
        if kind in SCALARS:
            size, signed = SCALARS[kind]
            return int.from_bytes(r.take(size), "big", signed=signed)
        if kind == "bool":
            return r.uint(1) != 0
        if kind == "string":
            index = r.compact()
            if index == len(self.strings):
                self.strings.append(r.take(r.compact()).decode("utf-8"))
            elif index > len(self.strings):
                raise Malformed("string index %d beyond %d" % (index, len(self.strings)))
            return ("str", self.strings[index])
        if kind in ("ref", "weakref"):
            target = r.uint(2)
            if target > self.total:
                raise Malformed("reference %d beyond %d objects" % (target, self.total))
            return ("ref", target - 1 if target else None)
        raise Malformed("unknown member type " + kind)


def render_value(value, kind, state, classes):
    """A value as the engine's debug text dump shows it."""
    base = kind[:-2] if kind.endswith("[]") else kind
    if isinstance(value, tuple) and value[0] == "ref":
        if value[1] is None:
            return "null"
        return "%s(%d)" % (classes[state["kinds"][value[1]]]["name"], value[1])
    if isinstance(value, tuple):
        return "null" if value[1] is None else value[1]
    if value is None:
        return "null"
    if base == "bool":
        return "true" if value else "false"
    if base == "fixed":
        bits = value & 0xFFFFFFFF
        high = bits >> 16
        return "%d:%d" % (high - 0x10000 if high >= 0x8000 else high, bits & 0xFFFF)
    return str(value)


def render_dump(state, classes):
    lines = ["static_count = %d" % state["static"], "count = %d" % len(state["objects"])]
    state["kinds"] = [cls for cls, _ in state["objects"]]
    lines += ["%s = %d" % (classes[cls]["name"], length) for length, cls in state["runs"]]
    for index, (cls, values) in enumerate(state["objects"]):
        lines.append("%s %d {" % (classes[cls]["name"], index))
        for name, kind, value in values:
            if kind.endswith("[]") and value is not None:
                items = "".join(" " + render_value(v, kind, state, classes) for v in value)
                lines.append("  %s = %d[%s ]" % (name, len(value), items))
            else:
                lines.append("  %s = %s" % (name, render_value(value, kind, state, classes)))
        lines.append("}")
    return "\n".join(lines) + "\n"


def describe_value(value):
    if isinstance(value, list):
        return "[" + ", ".join(describe_value(v) for v in value) + "]"
    if isinstance(value, tuple):
        if value[1] is None:
            return "null"
        return "#%d" % value[1] if value[0] == "ref" else "'%s'" % value[1]
    if value is None:
        return "null"
    if value is True or value is False:
        return "true" if value else "false"
    return str(value)


def describe_state(state, classes, indent=""):
    out = ["%sstatic=%d runs=%s" % (indent, state["static"],
                                    " ".join("%d*%s" % (n, classes[c]["name"]) for n, c in state["runs"]))]
    for index, (cls, values) in enumerate(state["objects"]):
        members = " ".join("%s=%s" % (name, describe_value(v)) for name, _, v in values)
        out.append("%s%d %s %s" % (indent, index, classes[cls]["name"], members))
    return out


def decode_replay(data, classes, state_tags):
    if len(data) < 12:
        raise Malformed("replay header cut short")
    tag, version, count = struct.unpack_from("<III", data, 0)
    out = ["replay tag=%d version=%d elements=%d" % (tag, version, count)]
    pos = 12
    for index in range(count):
        if pos + 8 > len(data):
            raise Malformed("element %d header cut short" % index)
        element_tag, length = struct.unpack_from("<II", data, pos)
        pos += 8
        if pos + length > len(data):
            raise Malformed("element %d runs past the file" % index)
        payload, crc = check_crc(data[pos:pos + length], "element %d" % index)
        pos += length
        out.append("element %d tag=%d length=%d" % (index, element_tag, length))
        if element_tag in state_tags:
            out += describe_state(StateDecoder(classes).decode(payload), classes, "  ")
        else:
            out.append("  bytes " + payload.hex())
    if pos != len(data):
        raise Malformed("%d bytes after the last element" % (len(data) - pos))
    return out


def main():
    schema = json.load(open(sys.argv[1]))
    folder = sys.argv[2]
    classes = schema["classes"]
    errors = 0
    for name in sorted(os.listdir(folder)):
        path = os.path.join(folder, name)
        data = open(path, "rb").read()
        try:
            if name.startswith("save_") and not name.startswith("save_debug_") and name.endswith(".bin"):
                payload, crc = check_crc(data, name)
                state = StateDecoder(classes).decode(payload)
                slot = name[:-4].rsplit("_", 1)[1]
                print("state slot=%s size=%d crc=%08x" % (slot, len(payload), crc))
                print("\n".join(describe_state(state, classes, "  ")))
                twin = os.path.join(folder, "save_debug_" + name[len("save_"):-4] + ".txt")
                if not os.path.exists(twin):
                    raise Malformed("no text dump beside " + name)
                expected = render_dump(state, classes)
                actual = open(twin).read()
                if actual != expected:
                    raise Malformed("text dump differs:\n%s---\n%s" % (actual, expected))
                print("  text dump agrees")
            elif name.endswith(".rep"):
                print("\n".join(decode_replay(data, classes, set(schema.get("state_tags", [])))))
        except Malformed as problem:
            print("ERROR: %s: %s" % (name, problem))
            errors += 1
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
