#!/usr/bin/env python3
"""Differential check of Acorn against a reference Squirrel 3 interpreter.

Generates random but valid Squirrel programs (expressions over every type,
string and array methods with edge arguments, classes with metamethods and
inheritance, generators, threads, exceptions, try/catch of runtime errors),
runs each through both interpreters and compares standard output byte for
byte. Values stay within 32-bit integers, and nothing prints an address or
depends on the order of a table's slots, so every difference is a real one.

  compare live, for as long as you like (stops at the first N differences):
    differential.py run --acorn build/bin/acorn --reference path/to/sq \\
        --seed 1 --count 100000 --keep /tmp/acorn-diffs
  record programs with the reference's output (for the test suite):
    differential.py record --reference path/to/sq --seed 1 --count 40 --into DIR
  check recorded programs (what CI runs; needs no reference):
    differential.py check --acorn build/bin/acorn --from DIR
"""
import argparse
import os
import random
import subprocess
import sys
import tempfile

INTS = ["0", "1", "-1", "2", "7", "-13", "100", "255", "65535", "-32768", "2147483647", "-2147483647"]
FLOATS = ["0.0", "1.5", "-2.25", "0.1", "100.", "1e3", "3.75", "-0.5"]
STRINGS = ['""', '"a"', '"abc"', '"Hello"', '"a,b,,c"', '"  pad  "', '"12"', '"0x1f"', '"-7"', '"3.5"']


def is_container(source):
    return source.startswith("[") or source.startswith("{")


class Generator:
    def __init__(self, seed):
        self.rng = random.Random(seed)

    def pick(self, items):
        return self.rng.choice(items)

    def integer(self, depth=0):
        r = self.rng.random()
        if depth > 2 or r < 0.4:
            return self.pick(INTS[:9])
        a, b = self.integer(depth + 1), self.integer(depth + 1)
        op = self.pick(["+", "-", "&", "|", "^", "<<", ">>", "%", "/"])
        if op in ("%", "/"):
            return f"({a} {op} ({b} == 0 ? 1 : {b}))"
        if op == "<<":
            # Only the low bits, which are alike at every integer width.
            return f"((({a}) << ({self.rng.randint(0, 8)})) & 0xffffff)"
        if op == ">>":
            return f"(({a}) >> ({self.rng.randint(0, 8)}))"
        return f"(({a} & 0xffff) {op} ({b} & 0xffff))"

    def number(self):
        if self.rng.random() < 0.5:
            return self.integer()
        return f"({self.pick(FLOATS)} {self.pick(['+', '-', '*'])} {self.pick(FLOATS + INTS[:5])})"

    def string(self):
        s = self.pick(STRINGS)
        r = self.rng.random()
        if r < 0.3:
            return f"({s} + {self.pick(STRINGS + INTS[:4])})"
        if r < 0.5:
            return f"{s}.{self.pick(['toupper()', 'tolower()', 'slice(1)', 'slice(-2)'])}"
        return s

    # Small integers keep a product within 32 bits.
    def any_value(self, small=False):
        kind = self.pick(["int", "float", "string", "bool", "null", "array", "table"])
        if kind == "int":
            return self.pick(INTS[:7]) if small else self.integer()
        if kind == "float":
            return self.number()
        if kind == "string":
            return self.string()
        if kind == "bool":
            return self.pick(["true", "false"])
        if kind == "null":
            return "null"
        if kind == "array":
            return "[" + ", ".join(self.pick(INTS[:6]) for _ in range(self.rng.randint(0, 4))) + "]"
        return "{ a = 1, b = \"x\" }"

    # Each statement prints one line or the error it raised.
    def statement(self):
        form = self.pick([self.arith, self.compare, self.string_method, self.array_method, self.conversion,
                          self.sort_call, self.format_call, self.class_use, self.generator_use, self.thread_use,
                          self.index_use, self.closure_use, self.slot_use, self.base_conversion,
                          self.literal_use])
        return f"try {{ show({form()}); }} catch (e) {{ print(\"E: \" + e + \"\\n\"); }}"

    def arith(self):
        # `%` on anything but numbers is a fault of the reference (it
        # answers its left operand), so it only meets numbers here.
        if self.rng.random() < 0.2:
            return f"{self.number()} % ({self.integer()} | 1)"
        op = self.pick(['+', '-', '*', '/'])
        left, right = self.any_value(op == "*"), self.any_value(op == "*")
        # A string joined with an array or table names its address: the
        # other side stays a number there.
        if op == "+" and (is_container(left) or is_container(right)):
            left, right = [v if is_container(v) else self.number() for v in (left, right)]
        return f"{left} {op} {right}"

    def scalar(self):
        return self.pick([self.integer(), self.number(), self.string(), "true", "false", "null"])

    # Two arrays or tables order by address: only equality is compared there.
    def compare(self):
        if self.rng.random() < 0.3:
            return f"{self.any_value()} {self.pick(['==', '!='])} {self.any_value()}"
        return f"{self.scalar()} {self.pick(['<', '<=', '>', '>=', '<=>'])} {self.any_value() if self.rng.random() < 0.3 else self.scalar()}"

    def string_method(self):
        s = self.string()
        args = self.pick(["len()", f"find({self.pick(STRINGS)})", f"find({self.pick(STRINGS)}, {self.pick(INTS[:6])})",
                          f"slice({self.pick(INTS[:6])})", f"slice({self.pick(INTS[:6])}, {self.pick(INTS[:6])})",
                          "tointeger()", "tofloat()", "toupper()", f"[{self.pick(INTS[:6])}]"])
        return f"{s}.{args}" if not args.startswith("[") else f"{s}{args}"

    def array_method(self):
        a = "[" + ", ".join(self.pick(INTS[:8]) for _ in range(self.rng.randint(0, 5))) + "]"
        call = self.pick(["len()", "pop()", "top()", f"find({self.pick(INTS[:6])})", "reverse().len()",
                          f"slice({self.pick(INTS[:5])})", f"remove({self.pick(INTS[:5])})",
                          f"insert({self.pick(INTS[:5])}, 9).len()", f"resize({self.pick(INTS[:5])}).len()",
                          "map(@(x) x * 2).len()", "filter(@(i, x) x > 0).len()",
                          f"apply(@(x) x).len()", "reduce(@(a, b) a + b)"])
        return f"{a}.{call}"

    def conversion(self):
        # tostring() of an array or table names its address: not compared.
        value = self.pick([self.integer(), self.number(), self.string(), "true", "null"])
        return f"({value}).{self.pick(['tostring()', 'tointeger()', 'tofloat()', 'len()'])}"

    def sort_call(self):
        cmp = self.pick(["", "@(a, b) a <=> b", "@(a, b) b <=> a", "@(a, b) a > b", "@(a, b) (a - b) * 0.5",
                         "@(a, b) null", "@(a, b) \"x\"", "@(a, b) true"])
        items = ", ".join(self.pick(INTS[:8]) for _ in range(self.rng.randint(0, 7)))
        return f"J([{items}].sort({cmp}))"

    def format_call(self):
        fmt = self.pick(['"%d"', '"%s|%s"', '"%5.2f"', '"%x"', '"%c"', '"%-4d|"', '"%%"', '"%"', '"%d %d"'])
        # Negative numbers in hex depend on the integer width: left out.
        args = ", ".join(self.pick(["0", "1", "2", "7", "100"] + STRINGS[:3]) for _ in range(self.rng.randint(0, 2)))
        return f"format({fmt}{', ' + args if args else ''})"

    def class_use(self):
        return self.pick([
            f"V({self.integer()}) + V({self.integer()})",
            f"V({self.integer()}) < V({self.integer()})",
            f"V({self.integer()}) <=> {self.integer()}",
            f"W({self.integer()}).twice()",
            "typeof V(1)", "typeof W(2)", "W(3) instanceof V", "\"_add\" in V", "V(1).tostring()",
            f"W({self.integer()}) - 1",
        ])

    def generator_use(self):
        return f"G({self.rng.randint(0, 5)})"

    def thread_use(self):
        return f"T({self.rng.randint(0, 4)})"

    def index_use(self):
        return self.pick([f"[1, 2, 3][{self.pick(INTS[:6])}]", f"\"hello\"[{self.pick(INTS[:6])}]",
                          f"{{ a = 1 }}[{self.pick(STRINGS[:3])}]", f"[1, 2][{self.pick(STRINGS[:3])}]"])

    def closure_use(self):
        return self.pick([f"D({self.pick(INTS[:4])})", f"D({self.pick(INTS[:4])}, {self.pick(INTS[:4])})",
                          "D()", f"R({self.rng.randint(0, 2000)})"])

    # Setting, adding and deleting slots of every kind of value.
    def slot_use(self):
        target = self.pick(["[1, 2]", "{ a = 1 }", "\"str\"", "5", "null", "V(1)", "V", "{ a = 1 }.weakref()"])
        key = self.pick(["0", "1", "\"a\"", "\"zz\"", "null", "true", "1.5"])
        op = self.pick(["=", "<-"])
        # Setting a table's null key does nothing in the reference; Acorn
        # raises an error there on purpose.
        if op == "=" and key == "null":
            key = "\"a\""
        if self.rng.random() < 0.3:
            return f"(function() {{ local t = {target}; delete t[{key}]; return \"deleted\"; }})()"
        return f"(function() {{ local t = {target}; t[{key}] {op} 7; return t[{key}]; }})()"

    def base_conversion(self):
        text = self.pick(['"12"', '"ff"', '"0x1f"', '"017"', '"-101"', '""', '"zz"', '"1e2"'])
        return f"{text}.tointeger({self.pick(['0', '1', '2', '8', '10', '16', '36', '37', '-1'])})"

    def literal_use(self):
        return self.pick(["0x", "0x1F", "017", "09", "100.", "5.e1", "1.5.5", "1e1.5", "2E-1", "'a'", "'\\x41'",
                          "1e3", "0.5e-1"])

    def program(self):
        lines = [PRELUDE]
        for _ in range(self.rng.randint(10, 30)):
            lines.append(self.statement())
        return "\n".join(lines) + "\n"


PRELUDE = r'''
function J(a) { local s = "["; foreach (i, x in a) s += (i ? "," : "") + x; return s + "]"; }
function show(v) {
    local t = typeof v;
    if (t == "array") print("array " + J(v) + "\n");
    else if (t == "table" || t == "instance" || t == "class" || t == "closure" || t == "nativeclosure") print(t + "\n");
    else print(t + " " + v + "\n");
}
class V {
    n = 0;
    constructor(x) { n = x; }
    function _add(o) { return V(n + o.n).n; }
    function _sub(o) { return n - o; }
    function _cmp(o) { return n <=> o.n; }
    function _tostring() { return "V" + n; }
}
class W extends V { function twice() { return n * 2; } }
function G(n) { local g = (function(k) { for (local i = 0; i < k; i++) yield i * i; return -1; })(n);
    local s = ""; foreach (x in g) s += x + ";"; return s; }
function T(n) { local t = newthread(function(k) { for (local i = 0; i < k; i++) suspend(i); return "end"; });
    local s = "" + t.call(n); while (t.getstatus() == "suspended") s += "," + t.wakeup(); return s; }
function D(a, b = 5) { return a * 10 + b; }
function R(n) { return n == 0 ? 0 : 1 + R(n - 1); }
'''


def run(interpreter, source):
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "case.nut")
        with open(path, "w") as f:
            f.write(source)
        try:
            done = subprocess.run([os.path.abspath(interpreter), "case.nut"], cwd=folder, capture_output=True, timeout=20)
        except subprocess.TimeoutExpired:
            return b"<timeout>"
        return done.stdout


def command_run(args):
    differences = 0
    os.makedirs(args.keep, exist_ok=True)
    for seed in range(args.seed, args.seed + args.count):
        source = Generator(seed).program()
        ours, theirs = run(args.acorn, source), run(args.reference, source)
        if ours != theirs:
            differences += 1
            with open(os.path.join(args.keep, f"case_{seed}.nut"), "w") as f:
                f.write(source)
            with open(os.path.join(args.keep, f"case_{seed}.expected"), "wb") as f:
                f.write(theirs)
            with open(os.path.join(args.keep, f"case_{seed}.actual"), "wb") as f:
                f.write(ours)
            print(f"seed {seed}: outputs differ (kept in {args.keep})", flush=True)
            if differences >= args.max_differences:
                break
    print(f"{differences} difference(s) in programs {args.seed}..{seed}")
    return 1 if differences else 0


def command_record(args):
    os.makedirs(args.into, exist_ok=True)
    for seed in range(args.seed, args.seed + args.count):
        source = Generator(seed).program()
        with open(os.path.join(args.into, f"case_{seed}.nut"), "w") as f:
            f.write(source)
        with open(os.path.join(args.into, f"case_{seed}.out"), "wb") as f:
            f.write(run(args.reference, source))
    return 0


def command_check(args):
    failures = 0
    names = sorted(n for n in os.listdir(args.source) if n.endswith(".nut"))
    for name in names:
        base = os.path.join(args.source, name[:-4])
        with open(base + ".nut") as f:
            source = f.read()
        with open(base + ".out", "rb") as f:
            expected = f.read()
        # The recorded program must still be what the generator makes for
        # its seed, or the recording is stale.
        seed = int(name[len("case_"):-4])
        if Generator(seed).program() != source:
            print(f"{name}: the generator no longer makes this program; record again")
            failures += 1
            continue
        actual = run(args.acorn, source)
        if actual != expected:
            failures += 1
            print(f"{name}: output differs from the recorded reference output")
    print(f"{len(names) - failures} of {len(names)} recorded programs match")
    return 1 if failures or not names else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = parser.add_subparsers(dest="command", required=True)
    p = sub.add_parser("run")
    p.add_argument("--acorn", required=True)
    p.add_argument("--reference", required=True)
    p.add_argument("--seed", type=int, default=1)
    p.add_argument("--count", type=int, default=1000)
    p.add_argument("--keep", default="differential-failures")
    p.add_argument("--max-differences", type=int, default=50)
    p = sub.add_parser("record")
    p.add_argument("--reference", required=True)
    p.add_argument("--seed", type=int, default=1)
    p.add_argument("--count", type=int, default=40)
    p.add_argument("--into", required=True)
    p = sub.add_parser("check")
    p.add_argument("--acorn", required=True)
    p.add_argument("--from", dest="source", required=True)
    args = parser.parse_args()
    return {"run": command_run, "record": command_record, "check": command_check}[args.command](args)


if __name__ == "__main__":
    sys.exit(main())
