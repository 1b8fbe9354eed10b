#!/usr/bin/env python3
"""End-to-end network cases: a hand-written peer on 127.0.0.1 drives the real
quillmoor executable as a host and as a client, and two engines talk to each
other. The peer builds every frame itself from the wire format:

    type        4 bytes, the four characters last to first ("HELO" is O L E H)
    word        2 bytes big-endian: kind << 14 | total frame length
    id          2 bytes, requests and responses
    code        2 bytes, responses
    payload     big-endian integers, varints (7 bits a byte, low group first),
                strings as a varint length and the bytes

Usage: network_peer.py QUILLMOOR_BINARY host|client|pair|state
"""

import os
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ONESHOT, REQUEST, RESPONSE = 0, 1, 2
DEADLINE_S = 20.0
NETWORK_RESULT_PROTOCOL = 4
NETWORK_RESULT_DISCONNECT = 8


def frame(type_text, kind, payload=b"", msg_id=None, code=None):
    header_tail = b""
    if kind in (REQUEST, RESPONSE):
        header_tail += struct.pack(">H", msg_id)
    if kind == RESPONSE:
        header_tail += struct.pack(">H", code)
    length = 6 + len(header_tail) + len(payload)
    return type_text.ljust(4)[:4][::-1].encode() + struct.pack(">H", kind << 14 | length) + header_tail + payload


def varint(value):
    out = bytearray()
    while value >= 0x80:
        out.append(value & 0x7F | 0x80)
        value >>= 7
    out.append(value)
    return bytes(out)


def text(value):
    data = value.encode()
    return varint(len(data)) + data


def helo_request(node, internal=4, game=3, msg_id=1):
    return frame("HELO", REQUEST, struct.pack(">IHH", node & 0xFFFFFFFF, internal, game), msg_id)


class Frame:
    def __init__(self, type_text, kind, msg_id, code, payload):
        self.type, self.kind, self.id, self.code, self.payload = type_text, kind, msg_id, code, payload
        self.at = 0

    def u8(self):
        self.at += 1
        return self.payload[self.at - 1]

    def i32(self):
        self.at += 4
        return struct.unpack(">i", self.payload[self.at - 4:self.at])[0]

    def varint(self):
        value, shift = 0, 0
        while True:
            byte = self.u8()
            value |= (byte & 0x7F) << shift
            shift += 7
            if byte < 0x80:
                return value

    def string(self):
        size = self.varint()
        self.at += size
        return self.payload[self.at - size:self.at].decode()


class Peer:
    def __init__(self, port=None, sock=None):
        self.sock = sock or socket.create_connection(("127.0.0.1", port), timeout=DEADLINE_S)
        self.sock.settimeout(DEADLINE_S)

    def send(self, data):
        self.sock.sendall(data)

    def exactly(self, count):
        data = b""
        while len(data) < count:
            more = self.sock.recv(count - len(data))
            if not more:
                raise EOFError("closed after %d of %d bytes" % (len(data), count))
            data += more
        return data

    def read_frame(self):
        head = self.exactly(6)
        word = struct.unpack(">H", head[4:6])[0]
        kind, length = word >> 14, word & 0x3FFF
        extra = {ONESHOT: 0, REQUEST: 2, RESPONSE: 4}[kind]
        rest = self.exactly(length - 6)
        msg_id = struct.unpack(">H", rest[0:2])[0] if extra else None
        code = struct.unpack(">H", rest[2:4])[0] if extra == 4 else None
        return Frame(head[:4][::-1].decode(), kind, msg_id, code, rest[extra:])

    def closed_by_other_side(self):
        try:
            return self.sock.recv(1) == b""
        except ConnectionResetError:
            return True

    def close(self):
        self.sock.close()


class Game:
    """One engine process in its own folder with its own save directory."""

    def __init__(self, binary, work, name, script, constants, extra_scripts=(), config="", arguments=()):
        self.folder = os.path.join(work, name)
        os.makedirs(os.path.join(self.folder, "scripts"))
        with open(os.path.join(self.folder, "boot.config"), "w") as boot:
            boot.write('system::save_dir = "user:%s"\nsystem::maximum_fps = 500\nsystem::inactive_fps = 500\n%s'
                       % (name, config))
        shutil.copy(os.path.join(HERE, script), os.path.join(self.folder, "scripts", "main.nut"))
        for extra in extra_scripts:
            shutil.copy(os.path.join(HERE, extra), os.path.join(self.folder, "scripts", extra))
        with open(os.path.join(self.folder, "scripts", "constants.nut"), "w") as out:
            for key, value in constants.items():
                out.write("const %s = %s;\n" % (key, value))
        env = dict(os.environ, HOME=os.path.join(work, "home"), XDG_DOCUMENTS_DIR=os.path.join(work, "docs"),
                   QUILLMOOR_NO_MESSAGE_BOX="1", SDL_VIDEODRIVER="offscreen", SDL_AUDIODRIVER="dummy")
        self.log_path = os.path.join(work, "docs", name, "game_log.txt")
        self.process = subprocess.Popen([binary] + list(arguments), cwd=self.folder, env=env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def log(self):
        try:
            with open(self.log_path, encoding="utf-8", errors="replace") as log:
                return log.read()
        except FileNotFoundError:
            return ""

    def wait_for(self, line):
        end = time.time() + DEADLINE_S
        while time.time() < end:
            if line + "\n" in self.log():
                return True
            if self.process.poll() is not None:
                return line + "\n" in self.log()
            time.sleep(0.01)
        return False

    def finish(self):
        try:
            return self.process.wait(timeout=DEADLINE_S)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            return None


class Checks:
    def __init__(self):
        self.failures = []

    def expect(self, condition, what):
        if not condition:
            self.failures.append(what)
            print("FAIL: " + what)

    def expect_line(self, game, line):
        self.expect(game.wait_for(line), "the log has no line '%s'" % line)


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def expect_refusal(checks, port, first_bytes, reply_code, what):
    peer = Peer(port)
    peer.send(first_bytes)
    if reply_code is not None:
        reply = peer.read_frame()
        checks.expect((reply.type, reply.kind, reply.id, reply.code, reply.payload) ==
                      ("HELO", RESPONSE, 1, reply_code, b""),
                      "%s: reply %s" % (what, vars(reply)))
    checks.expect(peer.closed_by_other_side(), what + ": the connection stays open")
    peer.close()


def joined_peer(checks, port, node, host_node):
    peer = Peer(port)
    peer.send(helo_request(node))
    reply = peer.read_frame()
    checks.expect((reply.kind, reply.id, reply.code, reply.payload) == (RESPONSE, 1, 0, struct.pack(">I", host_node)),
                  "node %d: accepting reply %s" % (node, vars(reply)))
    return peer


def run_host(binary, work, checks):
    port = free_port()
    game = Game(binary, work, "Host", "host.nut", {"NODE": 1, "PORT": port, "TIME_LIMIT": DEADLINE_S})
    checks.expect_line(game, "net:listening %d" % port)
    first = joined_peer(checks, port, 7, 1)
    checks.expect_line(game, "net:connect 7")

    expect_refusal(checks, port, helo_request(7), 3, "a taken node id")
    expect_refusal(checks, port, helo_request(1), 3, "the host's own node id")
    expect_refusal(checks, port, helo_request(-1), 3, "node id -1")
    expect_refusal(checks, port, helo_request(12, internal=5), 2, "internal protocol 5")
    expect_refusal(checks, port, helo_request(66), 7, "refused by handle_connect")
    expect_refusal(checks, port, helo_request(67), 7, "handle_connect returned false")
    expect_refusal(checks, port, frame("HELO", RESPONSE, struct.pack(">I", 5), 1, 0), None, "a HELO response first")
    expect_refusal(checks, port, frame("DATA", ONESHOT), None, "a oneshot first")
    expect_refusal(checks, port, b"OLEH\x40\x03", None, "a length inside the header")

    first.send(frame("ECHO", REQUEST, text("hi"), 9))
    reply = first.read_frame()
    checks.expect((reply.type, reply.kind, reply.id, reply.code, reply.string()) == ("ECHO", RESPONSE, 9, 0, "hi!"),
                  "echo reply %s" % vars(reply))

    first.send(frame("NUMS", REQUEST, struct.pack(">ii", -1, 5), 10))
    reply = first.read_frame()
    seen = (reply.code, reply.i32(), reply.u8(), reply.i32(), reply.i32(), reply.u8(), reply.varint())
    checks.expect(seen == (7, -1, 0, 5, -1, 1, 300), "numbers reply %s" % (seen,))
    checks.expect(reply.at == len(reply.payload), "numbers reply has %d extra bytes" % (len(reply.payload) - reply.at))
    checks.expect_line(game, "net:write_uint8 256 false")

    first.send(frame("NOTE", ONESHOT, text("one shot")))
    checks.expect_line(game, "net:note one shot 0")

    broken = joined_peer(checks, port, 8, 1)
    broken.send(b"ATAD\x00\x02")
    checks.expect_line(game, "net:disconnect 8 %d" % NETWORK_RESULT_PROTOCOL)
    broken.close()
    vanished = joined_peer(checks, port, 9, 1)
    vanished.send(b"ATAD\x00\x40\x01")
    vanished.close()
    checks.expect_line(game, "net:disconnect 9 %d" % NETWORK_RESULT_DISCONNECT)

    # The host kept serving the first peer through all of the above.
    first.send(frame("QUIT", ONESHOT))
    checks.expect_line(game, "net:quit from 7")
    checks.expect(game.finish() == 0, "the host did not exit with 0")
    log = game.log()
    for refused in ("disconnect 12", "disconnect 66", "disconnect 67", "connect 12", "connect -1"):
        checks.expect("net:" + refused + "\n" not in log, "the host script heard '%s'" % refused)
    checks.expect("error: " not in log, "the host logged an error")
    checks.expect("Connected node reports the reserved node id (-1), disconnecting it" in log,
                  "no line about node id -1")
    first.close()
    return log


def run_client(binary, work, checks):
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(4)
    listener.settimeout(DEADLINE_S)
    port = listener.getsockname()[1]
    game = Game(binary, work, "Client", "client.nut",
                {"NODE": 21, "PORT": port, "GAME_PROTOCOL": 3, "ATTEMPTS": 5, "QUIT_HOST": "false",
                 "TIME_LIMIT": DEADLINE_S})

    def next_helo():
        peer = Peer(sock=listener.accept()[0])
        request = peer.read_frame()
        fields = struct.unpack(">IHH", request.payload)
        checks.expect((request.type, request.kind, fields) == ("HELO", REQUEST, (21, 4, 3)),
                      "client HELO request %s %s" % (vars(request), fields))
        return peer, request.id

    peer, msg_id = next_helo()
    peer.send(frame("HELO", RESPONSE, b"", msg_id, 2))
    checks.expect_line(game, "net:failure %d" % NETWORK_RESULT_PROTOCOL)
    peer.close()

    peer, msg_id = next_helo()
    peer.send(frame("HELO", RESPONSE, b"", msg_id, 3))
    checks.expect_line(game, "net:failure %d" % NETWORK_RESULT_DISCONNECT)
    peer.close()

    peer, msg_id = next_helo()
    peer.send(frame("HELO", REQUEST, helo_request(5)[8:], 1))
    checks.expect_line(game, "net:failure 1")
    peer.close()

    peer, msg_id = next_helo()
    peer.send(frame("HELO", RESPONSE, struct.pack(">I", 5), msg_id, 0))
    checks.expect_line(game, "net:connect 5 mode 1")
    request = peer.read_frame()
    checks.expect((request.type, request.kind, request.string()) == ("ECHO", REQUEST, "ping"),
                  "client echo request %s" % vars(request))
    checks.expect_line(game, "net:request %d" % request.id)
    peer.send(frame("ECHO", RESPONSE, text("pong"), request.id, 12))
    checks.expect_line(game, "net:message kind 2 id %d code 12 text pong" % request.id)
    peer.send(b"ATAD\xC0\x10")
    checks.expect_line(game, "net:disconnect 5 %d" % NETWORK_RESULT_PROTOCOL)
    peer.close()

    peer, msg_id = next_helo()
    peer.close()
    checks.expect_line(game, "net:failure %d" % NETWORK_RESULT_DISCONNECT)
    checks.expect(game.finish() == 0, "the client did not exit with 0")
    listener.close()
    log = game.log()
    checks.expect("error: " not in log, "the client logged an error")
    return log


def run_pair(binary, work, checks):
    port = free_port()
    host = Game(binary, work, "Host", "host.nut", {"NODE": 1, "PORT": port, "TIME_LIMIT": DEADLINE_S})
    checks.expect_line(host, "net:listening %d" % port)
    client = Game(binary, work, "Client", "client.nut",
                  {"NODE": 2, "PORT": port, "GAME_PROTOCOL": 3, "ATTEMPTS": 1, "QUIT_HOST": "true",
                   "TIME_LIMIT": DEADLINE_S})
    checks.expect_line(client, "net:message kind 2 id 2 code 0 text ping!")
    checks.expect_line(host, "net:connect 2")
    checks.expect_line(host, "net:quit from 2")
    checks.expect(client.finish() == 0, "the client engine did not exit with 0")
    checks.expect(host.finish() == 0, "the host engine did not exit with 0")
    return host.log() + client.log()


def logged_value(game, prefix):
    for line in game.log().splitlines():
        if line.startswith(prefix):
            return line[len(prefix):]
    return None


def run_state(binary, work, checks):
    """The host sends a saved map of a few hundred KB in STAT chunks; the joiner
    rebuilds it from slot 0 with load_world_object and rollback, saves it again
    and must reach the same CRC."""
    port, things = free_port(), 3000
    host = Game(binary, work, "Host", "state_host.nut",
                {"NODE": 1, "PORT": port, "SEED": 4242, "THINGS": things, "SLOT": 3, "TIME_LIMIT": DEADLINE_S},
                ["state_world.nut"])
    checks.expect_line(host, "net:listening %d" % port)
    client = Game(binary, work, "Client", "state_client.nut", {"NODE": 2, "PORT": port, "TIME_LIMIT": DEADLINE_S},
                  ["state_world.nut"])
    checks.expect_line(host, "state:sent true")
    checks.expect_line(client, "state:world object true seed 4242")
    checks.expect_line(host, "net:quit from 2")
    checks.expect(client.finish() == 0, "the client engine did not exit with 0")
    checks.expect(host.finish() == 0, "the host engine did not exit with 0")
    host_crc, client_crc = logged_value(host, "state:host crc "), logged_value(client, "state:client crc ")
    checks.expect(host_crc not in (None, "0") and host_crc == client_crc,
                  "host CRC %s, rebuilt CRC %s" % (host_crc, client_crc))
    size = logged_value(host, "state:host bytes ")
    checks.expect(size is not None and int(size) > 200000, "the saved state has %s bytes, not a few hundred KB" % size)
    last = things - 1
    checks.expect(logged_value(client, "state:client things ") ==
                  "%d last %d thing %d of seed 4242, a name long enough to make the saved state large"
                  % (things, last * 7919 - 4242, last), "the rebuilt things differ")
    log = host.log() + client.log()
    checks.expect("error: " not in log, "an engine logged an error")
    return log


def main():
    binary, role = os.path.abspath(sys.argv[1]), sys.argv[2]
    work = tempfile.mkdtemp(prefix="quillmoor_net_")
    checks = Checks()
    try:
        log = {"host": run_host, "client": run_client, "pair": run_pair, "state": run_state}[role](binary, work, checks)
    except (OSError, EOFError, struct.error) as error:
        checks.expect(False, "%s: %s" % (type(error).__name__, error))
        log = ""
    finally:
        logs = [os.path.join(root, name) for root, _, names in os.walk(work) for name in names
                if name == "game_log.txt"]
        if checks.failures:
            for path in logs:
                print("--- " + path)
                print(open(path, errors="replace").read())
        shutil.rmtree(work, ignore_errors=True)
    if checks.failures:
        return 1
    print("PASS: network %s (%d log lines)" % (role, log.count("\n")))
    return 0


if __name__ == "__main__":
    sys.exit(main())
