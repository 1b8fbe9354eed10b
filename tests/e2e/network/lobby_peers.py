#!/usr/bin/env python3
"""End-to-end lobby cases: engine processes find each other through the real
quillmoor-lobby service on 127.0.0.1 and talk through its relayed packets.

A director, a lobby member written here from the service's wire format,
joins the lobby too. It answers the engines' HELO pings and sends them
commands ("CMND" oneshots, see lobby.nut) through the relay, and it forges a
KICK chat entry that the engines must ignore because it is not the owner.

Service frames: a u32 little-endian body length, then the body: a type byte
and the fields, little-endian; ids are u64, byte strings a u32 length and
the bytes.

Usage: lobby_peers.py QUILLMOOR_BINARY LOBBY_SERVICE_BINARY members|invitations|redis
"""

import os
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from network_peer import (DEADLINE_S, ONESHOT, REQUEST, RESPONSE, Checks, Game, frame, free_port,  # noqa: E402
                          text)

UNIVERSE = 76561197960265728
GAME_PROTOCOL = 3
HELLO, JOIN_LOBBY, SEND_CHAT, SEND_PACKET = 1, 3, 8, 10
WELCOME, LOBBY_ENTER_REPLY, PACKET_DELIVERY = 64, 66, 74
ENTER_SUCCESS = 1
NETWORK_RESULT_PROTOCOL, NETWORK_RESULT_LEAVE, NETWORK_RESULT_KICK, NETWORK_RESULT_DISCONNECT = 4, 5, 6, 8


# Every engine started, so that none outlives a failed case.
STARTED = []


def user(node):
    return UNIVERSE + node


class Service:
    """One quillmoor-lobby process."""

    def __init__(self, binary, work, name, extra=()):
        self.port = free_port()
        self.output = open(os.path.join(work, name + ".log"), "w")
        self.process = subprocess.Popen([binary, "--port", str(self.port)] + list(extra), stdout=self.output,
                                        stderr=subprocess.STDOUT)
        end = time.time() + DEADLINE_S
        while time.time() < end and self.process.poll() is None:
            try:
                socket.create_connection(("127.0.0.1", self.port), timeout=1).close()
                return
            except OSError:
                time.sleep(0.05)
        raise OSError("the lobby service on port %d did not start" % self.port)

    def stop(self):
        if self.output.closed:
            return
        self.process.terminate()
        try:
            self.process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.process.kill()
        self.output.close()


class Director:
    """A lobby member of our own that relays commands to the engines."""

    def __init__(self, port, node):
        self.node = node
        self.sock = socket.create_connection(("127.0.0.1", port), timeout=DEADLINE_S)
        self.lock = threading.Lock()
        self.replies = []
        self.closed = False
        self.send(HELLO, struct.pack("<IQ", 1, user(node)))
        self.reader = threading.Thread(target=self.read_forever, daemon=True)
        self.reader.start()

    def send(self, kind, fields):
        body = bytes([kind]) + fields
        with self.lock:
            self.sock.sendall(struct.pack("<I", len(body)) + body)

    def exactly(self, count):
        data = b""
        while len(data) < count:
            more = self.sock.recv(count - len(data))
            if not more:
                raise EOFError("the service closed the director's connection")
            data += more
        return data

    def read_forever(self):
        try:
            while True:
                body = self.exactly(struct.unpack("<I", self.exactly(4))[0])
                if body[0] == PACKET_DELIVERY:
                    self.answer_ping(body)
                elif body[0] in (WELCOME, LOBBY_ENTER_REPLY):
                    self.replies.append(body)
        except (OSError, EOFError):
            self.closed = True

    # An engine pings every member until it answers; the answer lets it send.
    def answer_ping(self, body):
        sender, _, size = struct.unpack("<QiI", body[1:17])
        data = body[17:17 + size]
        header = data[:6]
        word = struct.unpack(">H", header[4:6])[0]
        if header[:4][::-1] == b"HELO" and word >> 14 == REQUEST:
            msg_id = struct.unpack(">H", data[6:8])[0]
            self.packet(sender, frame("HELO", RESPONSE, b"", msg_id, 0))

    def packet(self, receiver, data):
        self.send(SEND_PACKET, struct.pack("<QiI", receiver, 0, len(data)) + data)

    def join(self, lobby):
        self.send(JOIN_LOBBY, struct.pack("<IQ", 7, int(lobby)))
        end = time.time() + DEADLINE_S
        while time.time() < end:
            for reply in self.replies:
                if reply[0] == LOBBY_ENTER_REPLY:
                    return struct.unpack("<IQI", reply[1:17])[2]
            time.sleep(0.01)
        return None

    def command(self, node, line):
        self.packet(user(node), frame("CMND", ONESHOT, text(line)))

    def chat(self, lobby, data):
        self.send(SEND_CHAT, struct.pack("<QI", int(lobby), len(data)) + data)

    def close(self):
        self.sock.close()


def member(binary, work, name, node, service_port, **settings):
    constants = {"CREATE": "false", "JOIN": '""', "INVITATIONS": 2, "PROTOCOL": GAME_PROTOCOL,
                 "ACCEPT_AFTER": 0, "INVITE_ON_CREATE": "false", "TIME_LIMIT": DEADLINE_S * 2}
    constants.update(settings.pop("constants", {}))
    config = 'platform::lobby_server = "127.0.0.1:%d"\nplatform::user_id = "%d"\n' % (service_port, user(node))
    config += settings.pop("config", "")
    game = Game(binary, work, name, "lobby.nut", constants, config=config, **settings)
    STARTED.append(game)
    return game


def wait_for_prefix(game, prefix):
    end = time.time() + DEADLINE_S
    while time.time() < end:
        if any(line.startswith(prefix) for line in game.log().splitlines()):
            return True
        if game.process.poll() is not None:
            break
        time.sleep(0.01)
    return any(line.startswith(prefix) for line in game.log().splitlines())


def value_after(game, prefix):
    if not wait_for_prefix(game, prefix):
        return None
    for line in game.log().splitlines():
        if line.startswith(prefix):
            return line[len(prefix):]
    return None


def created_lobby(checks, owner, node):
    created = value_after(owner, "lobby:created ")
    checks.expect(created is not None, "the owner created no lobby")
    lobby, own_node, _, is_owner = (created or "0 0 owner false").split()
    checks.expect((own_node, is_owner) == (str(node), "true"), "created line '%s'" % created)
    return lobby


def run_members(binary, service_binary, work, checks, services):
    """Create, find and join, a protocol mismatch, +connect_lobby, relayed
    messages in order, a forged kick ignored, an owner's kick obeyed, and the
    owner leaving so that ownership migrates."""
    a_port, b_port = services[0].port, services[-1].port
    a = member(binary, work, "A", 101, a_port, constants={"CREATE": "true"})
    checks.expect_line(a, "lobby:implements true")
    lobby = created_lobby(checks, a, 101)
    b = member(binary, work, "B", 102, b_port, constants={"JOIN": '"%s"' % lobby})
    checks.expect_line(b, "lobby:joined %s 102 false" % lobby)
    checks.expect_line(b, "lobby:node_joined 101 true mode 3")
    checks.expect_line(a, "lobby:node_joined 102 false mode 3")

    director = Director(a_port, 150)
    checks.expect(director.join(lobby) == ENTER_SUCCESS, "the director could not join the lobby")
    checks.expect_line(b, "lobby:node_joined 150 false mode 3")

    mismatch = member(binary, work, "E", 104, b_port, constants={"JOIN": '"%s"' % lobby, "PROTOCOL": 99,
                                                                 "TIME_LIMIT": 3})
    checks.expect_line(mismatch, "lobby:join_failed %d" % NETWORK_RESULT_PROTOCOL)
    checks.expect(mismatch.wait_for("Lobby attribute 'game_protocol' value mismatch, expected 99, got 3"),
                  "no protocol mismatch line")
    checks.expect(mismatch.finish() == 0, "the mismatching engine did not exit with 0")

    c = member(binary, work, "C", 103, a_port, constants={"INVITATIONS": 0}, arguments=["+connect_lobby", lobby])
    checks.expect_line(c, "lobby:invitation %s" % lobby)
    checks.expect_line(c, "lobby:joined %s 103 false" % lobby)
    checks.expect_line(a, "lobby:node_joined 103 false mode 3")

    for sender, receiver, game in ((102, 101, a), (101, 103, c), (103, 102, b)):
        director.command(sender, "send %d 300" % receiver)
        checks.expect_line(game, "lobby:data from %d 300 in order" % sender)

    director.chat(lobby, b"KICK" + struct.pack("<ii", 103, NETWORK_RESULT_KICK))
    forged = "Ignoring the kick of node 103 sent by node 150, who is not the lobby owner"
    for game in (a, b, c):
        checks.expect_line(game, forged)
    checks.expect("lobby:node_left 103" not in c.log(), "a member's forged kick was obeyed")

    director.command(101, "kick 103 %d" % NETWORK_RESULT_KICK)
    checks.expect_line(a, "lobby:kick true")
    checks.expect_line(c, "lobby:node_left 103 %d" % NETWORK_RESULT_KICK)
    checks.expect_line(b, "lobby:node_left 103 %d" % NETWORK_RESULT_KICK)

    director.command(101, "leave %d" % NETWORK_RESULT_LEAVE)
    checks.expect_line(a, "lobby:node_left 101 %d" % NETWORK_RESULT_LEAVE)
    checks.expect_line(b, "lobby:node_left 101 %d" % NETWORK_RESULT_LEAVE)
    checks.expect_line(b, "lobby:migration 102 owner true")

    # More than one engine message in one packet: the owner drops the sender.
    director.packet(user(102), bytes(2000))
    checks.expect(b.wait_for("Received incoming message 2000 bytes large from Steam, node id 150. Messages can be "
                             "only 1024 or less bytes large. Disconnecting"), "no line about the oversized packet")
    checks.expect_line(b, "lobby:node_left 150 1")
    director.close()


def run_invitations(binary, service_binary, work, checks, services):
    """The owner invites three players through invite_friends; each obeys
    its invitation mode: accept, discard, and delay until it accepts."""
    port = services[0].port
    modes = {"F": (111, 0, 0), "G": (112, 1, 0), "H": (113, 2, 1.0)}
    players = {}
    for name, (node, mode, accept_after) in modes.items():
        players[name] = member(binary, work, name, node, port,
                               constants={"INVITATIONS": mode, "ACCEPT_AFTER": accept_after})
        checks.expect_line(players[name], "The lobby service at 127.0.0.1:%d welcomed user %d" % (port, user(node)))
    friends = " ".join(str(user(node)) for node, _, _ in modes.values())
    owner = member(binary, work, "Owner", 110, port, constants={"CREATE": "true", "INVITE_ON_CREATE": "true"},
                   config='platform::friends = "%s"\n' % friends)
    lobby = created_lobby(checks, owner, 110)
    f, g, h = players["F"], players["G"], players["H"]
    checks.expect_line(f, "Accepting invitation to lobby %s" % lobby)
    checks.expect_line(f, "lobby:joined %s 111 false" % lobby)
    checks.expect_line(g, "Discarding invitation to lobby %s" % lobby)
    checks.expect_line(h, "Delaying invitation to lobby %s" % lobby)
    checks.expect_line(h, "lobby:accepting from now on")
    checks.expect_line(h, "lobby:invitation %s" % lobby)
    checks.expect_line(h, "lobby:joined %s 113 false" % lobby)
    checks.expect_line(owner, "lobby:node_joined 113 false mode 3")
    checks.expect("lobby:joined" not in g.log(), "the discarding player joined")

    # Without the service nobody can be reached: every other member is gone.
    services[0].stop()
    for node in (111, 113):
        checks.expect_line(owner, "lobby:node_left %d %d" % (node, NETWORK_RESULT_DISCONNECT))
    # The service may close while our last message is still unread, which makes the kernel
    # reset the connection instead of closing it: either way the owner must notice.
    gone = "error: The lobby service at 127.0.0.1:%d is not available: " % port
    noticed = wait_for_prefix(owner, gone)
    checks.expect(noticed and any(gone + reason + "\n" in owner.log()
                                  for reason in ("the service closed the connection", "reading failed")),
                  "the owner did not notice the service stopping")


def start_redis(work):
    server = shutil.which("redis-server")
    if server is None:
        return None, None
    port = free_port()
    process = subprocess.Popen([server, "--port", str(port), "--save", "", "--appendonly", "no", "--dir", work],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    end = time.time() + DEADLINE_S
    while time.time() < end:
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            return process, port
        except OSError:
            time.sleep(0.05)
    process.kill()
    raise OSError("redis-server did not start")


def main():
    binary, service_binary, case = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]), sys.argv[3]
    work = tempfile.mkdtemp(prefix="quillmoor_lobby_")
    checks = Checks()
    services, redis = [], None
    try:
        if case == "redis":
            redis, redis_port = start_redis(work)
            if redis is None:
                print("SKIP: redis-server is not installed")
                return 0
            extra = ["--redis", "127.0.0.1:%d" % redis_port]
            services = [Service(service_binary, work, "service1", extra), Service(service_binary, work, "service2",
                                                                                  extra)]
            run_members(binary, service_binary, work, checks, services)
        else:
            services = [Service(service_binary, work, "service")]
            run = {"members": run_members, "invitations": run_invitations}[case]
            run(binary, service_binary, work, checks, services)
    except (OSError, EOFError, struct.error) as error:
        checks.expect(False, "%s: %s" % (type(error).__name__, error))
    finally:
        for game in STARTED:
            if game.process.poll() is None:
                game.process.kill()
                game.process.wait()
        for service in services:
            service.stop()
        if redis is not None:
            redis.kill()
            redis.wait()
        if checks.failures:
            for root, _, names in os.walk(work):
                for name in names:
                    if name in ("game_log.txt",) or name.startswith("service"):
                        print("--- " + os.path.join(root, name))
                        print(open(os.path.join(root, name), errors="replace").read()[-6000:])
        shutil.rmtree(work, ignore_errors=True)
    if checks.failures:
        return 1
    print("PASS: lobby %s" % case)
    return 0


if __name__ == "__main__":
    sys.exit(main())
