#!/usr/bin/env python3
"""End-to-end netplay cases: the real quillmoor runs netgame.nut with the
netplay library (lib:netplay.nut) alone, as a host, and as clients on
127.0.0.1.

    synctest   --synctest 8 passes on the game; a game that reads the clock
               in tick 100 exits with status 3 naming tick 100, the member
               that differs, and both dumps
    peers      a host and a client with 100 ms latency each way, a second
               client joining midway: the final ticks they logged agree, no
               desync is reported, and the host's replay verifies
    desync     a client that reads the clock in one tick: the host names
               the first tick that differs and the member, and both peers'
               dumps of that tick are written
    replay     a solo game's replay verifies; re-simulated by a game that
               reads the clock it fails with status 3 naming the member; a
               damaged replay is refused with status 3
    lobby      a host creates a lobby on the real lobby service and a member
               joins the running game through it; both stay in sync

    soak       by hand, not in the suite: the peers case stretched to
               SECONDS (600): two peers with 100 ms latency, a third joining
               halfway; prints when each joiner was first seen in sync

Usage: netplay_peers.py QUILLMOOR_BINARY synctest|peers|desync|replay
       netplay_peers.py QUILLMOOR_BINARY soak [SECONDS]
       netplay_peers.py QUILLMOOR_BINARY lobby LOBBY_SERVICE_BINARY
"""

import os
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "network"))
from network_peer import Checks, Game, free_port  # noqa: E402

GAME = os.path.join(HERE, "netgame.nut")
DEADLINE_S = 120.0


def settings(**values):
    lines = []
    for key, value in values.items():
        text = '"%s"' % value if isinstance(value, str) else str(value)
        lines.append("net::%s = %s\n" % (key, text))
    return "network::log = 3\n" + "".join(lines)


def start(binary, work, name, arguments=(), platform="", **values):
    return Game(binary, work, name, GAME, {}, config=settings(**values) + platform, arguments=arguments)


def save_dir(work, name):
    return os.path.join(work, "docs", name)


def wait(game):
    end = time.time() + DEADLINE_S
    while time.time() < end and game.process.poll() is None:
        time.sleep(0.05)
    if game.process.poll() is None:
        game.process.kill()
    return game.process.wait()


def acked(work, name):
    """The final lines a peer logged, by tick."""
    lines = {}
    with open(os.path.join(save_dir(work, name), "network_log_acked.txt")) as log:
        for line in log:
            tick, text = line.rstrip("\n").split(" : ", 1)
            lines[int(tick)] = text
    return lines


def netplay_lines(game):
    return [line for line in game.log().splitlines() if line.startswith("netplay:")]


def case_synctest(binary, work, checks):
    steady = start(binary, work, "steady", ["--synctest", "8"], quit_after_ticks=600)
    drifting = start(binary, work, "drifting", ["--synctest", "8"], quit_after_ticks=600, clock_at_tick=100)
    checks.expect(wait(steady) == 0, "a deterministic game fails the sync test")
    checks.expect_line(steady, "netplay: sync test, rolling back 8 ticks every tick")
    checks.expect(any(line.startswith("netplay: sync test passed: 6") for line in netplay_lines(steady)),
                  "no pass line after 600 ticks: %s" % netplay_lines(steady)[-2:])
    checks.expect(wait(drifting) == 3, "a game that reads the clock passes the sync test")
    checks.expect(any("tick 100 ran differently" in line for line in netplay_lines(drifting)),
                  "the failing tick is not named: %s" % netplay_lines(drifting))
    checks.expect(any("member score:" in line for line in netplay_lines(drifting)),
                  "the differing member is not named: %s" % netplay_lines(drifting))
    for which in ("first", "second"):
        checks.expect(os.path.exists(os.path.join(save_dir(work, "drifting"), "synctest_tick_100_%s.txt" % which)),
                      "no %s dump of tick 100" % which)


def case_peers(binary, work, checks):
    port = free_port()
    common = dict(port=port, latency_ms=100)
    host = start(binary, work, "host", mode="host", quit_after_ticks=1260, replay="session.replay", **common)
    checks.expect_line(host, "netplay: Hosting on port %d" % port)
    first = start(binary, work, "first", mode="join", autopilot=2, quit_after_ticks=1200, **common)
    checks.expect(wait_for_prefix(host, "netplay: Player 2 joins at tick "), "the first client never joined")
    while host.process.poll() is None and reached_tick(host) < 300:
        time.sleep(0.05)
    second = start(binary, work, "second", mode="join", autopilot=3, quit_after_ticks=1200, **common)
    for game in (first, second, host):
        checks.expect(wait(game) == 0, "%s did not end normally" % game.folder)
    checks.expect_line(second, "netplay: Joined as player 3 at tick %s" % second_join_tick(second))
    host_lines = acked(work, "host")
    for name in ("first", "second"):
        lines = acked(work, name)
        common_ticks = sorted(set(lines) & set(host_lines))
        checks.expect(len(common_ticks) > 250, "%s and the host share only %d final ticks" % (name, len(common_ticks)))
        differing = [tick for tick in common_ticks if lines[tick] != host_lines[tick]]
        checks.expect(not differing, "%s differs from the host from tick %s" % (name, differing[:1]))
    for player in (2, 3):
        checks.expect(any(line.startswith("netplay: player %d is in sync: " % player) for line in netplay_lines(host)),
                      "the host never saw player %d in sync: %s" % (player, netplay_lines(host)))
    for game in (host, first, second):
        checks.expect(not any("desync" in line for line in netplay_lines(game)),
                      "a desync was reported: %s" % netplay_lines(game))
    verifier = Game(binary, work, "verifier", GAME, {}, config=settings(quit_after_ticks=0),
                    arguments=["--verify-replay", os.path.join(save_dir(work, "host"), "session.replay")])
    checks.expect(wait(verifier) == 0, "the recorded replay does not verify")
    checks.expect(any(line.startswith("netplay: replay verified: ") for line in netplay_lines(verifier)),
                  "no verification line: %s" % netplay_lines(verifier))


def wait_for_prefix(game, prefix):
    end = time.time() + DEADLINE_S
    while time.time() < end and game.process.poll() is None:
        if any(line.startswith(prefix) for line in game.log().splitlines()):
            return True
        time.sleep(0.05)
    return any(line.startswith(prefix) for line in game.log().splitlines())


def reached_tick(game):
    ticks = [int(line.split()[2]) for line in game.log().splitlines() if line.startswith("net: tick ")]
    return max(ticks, default=-1)


def second_join_tick(game):
    for line in netplay_lines(game):
        if line.startswith("netplay: Joined as player 3 at tick "):
            return line.rsplit(" ", 1)[1]
    return "?"


def case_desync(binary, work, checks):
    port = free_port()
    host = start(binary, work, "host", mode="host", port=port, quit_after_ticks=580)
    checks.expect_line(host, "netplay: Hosting on port %d" % port)
    client = start(binary, work, "client", mode="join", port=port, autopilot=2, quit_after_ticks=560,
                   clock_at_tick=360)
    wait(client)
    wait(host)
    found = [line for line in netplay_lines(host) if line.startswith("netplay: desync: the state at the start of tick")]
    checks.expect(len(found) == 1, "the host reported %d desyncs: %s" % (len(found), netplay_lines(host)))
    checks.expect(found and " tick 361 " in found[0], "the first differing tick is not 361: %s" % found)
    checks.expect(any("member score:" in line for line in netplay_lines(host)),
                  "the host does not name the differing member: %s" % netplay_lines(host))
    for player in (1, 2):
        checks.expect(os.path.exists(os.path.join(save_dir(work, "host"), "desync_tick_361_player_%d.txt" % player)),
                      "the host has no dump of player %d" % player)
    checks.expect(os.path.exists(os.path.join(save_dir(work, "client"), "desync_tick_361_player_2.txt")),
                  "the client wrote no dump of its own state")


def case_replay(binary, work, checks):
    recorder = start(binary, work, "recorder", quit_after_ticks=200, replay="solo.replay")
    checks.expect(wait(recorder) == 0, "the solo game did not end normally")
    path = os.path.join(save_dir(work, "recorder"), "solo.replay")
    with open(path, "rb") as replay:
        data = bytearray(replay.read())
    checks.expect(len(data) > 1000, "the replay is only %d bytes" % len(data))
    good = Game(binary, work, "good", GAME, {}, config=settings(), arguments=["--verify-replay", path])
    checks.expect(wait(good) == 0, "the undamaged replay does not verify")
    checks.expect(any(line.startswith("netplay: replay verified: ") and "2 states compared" in line
                      for line in netplay_lines(good)), "the start and end states were not both compared: %s"
                  % netplay_lines(good))
    # The same replay against a game that reads the clock in tick 100.
    drifting = Game(binary, work, "drifting", GAME, {}, config=settings(clock_at_tick=100),
                    arguments=["--verify-replay", path])
    checks.expect(wait(drifting) == 3, "a re-simulation that differs is not refused with status 3")
    checks.expect(any("replay verification failed: the state at the start of tick" in line
                      for line in netplay_lines(drifting)), "the differing tick is not named: %s"
                  % netplay_lines(drifting))
    checks.expect(any("member score:" in line for line in netplay_lines(drifting)),
                  "the differing member is not named: %s" % netplay_lines(drifting))
    data[len(data) // 2] ^= 0x40
    damaged_path = os.path.join(work, "damaged.replay")
    with open(damaged_path, "wb") as out:
        out.write(data)
    damaged = Game(binary, work, "damaged", GAME, {}, config=settings(), arguments=["--verify-replay", damaged_path])
    checks.expect(wait(damaged) == 3, "a damaged replay is not refused with status 3")
    checks.expect(any("does not load as a replay" in line for line in netplay_lines(damaged)),
                  "the refusal does not say why: %s" % netplay_lines(damaged))


def case_soak(binary, work, checks, seconds="600"):
    global DEADLINE_S
    ticks = int(seconds) * 60
    DEADLINE_S = int(seconds) + 120
    port = free_port()
    common = dict(port=port, latency_ms=100)
    host = start(binary, work, "host", mode="host", quit_after_ticks=ticks + 120, replay="soak.replay", **common)
    checks.expect_line(host, "netplay: Hosting on port %d" % port)
    first = start(binary, work, "first", mode="join", autopilot=2, quit_after_ticks=ticks, **common)
    while host.process.poll() is None and reached_tick(host) < ticks // 2:
        time.sleep(0.5)
    second = start(binary, work, "second", mode="join", autopilot=3, quit_after_ticks=ticks, **common)
    for game in (first, second, host):
        checks.expect(wait(game) == 0, "%s did not end normally" % game.folder)
    host_lines = acked(work, "host")
    for name in ("first", "second"):
        lines = acked(work, name)
        shared = sorted(set(lines) & set(host_lines))
        differing = [tick for tick in shared if lines[tick] != host_lines[tick]]
        print("%s: %d final ticks shared with the host, %d differ" % (name, len(shared), len(differing)))
        checks.expect(shared and not differing, "%s is not in sync with the host" % name)
    for line in netplay_lines(host):
        if "in sync" in line or "desync" in line or "traffic" in line or "rollback of" in line:
            print("host " + line)
    for game, name in ((first, "first"), (second, "second")):
        for line in netplay_lines(game):
            if "traffic" in line or "rollback of" in line or "desync" in line:
                print(name + " " + line)
    verifier = Game(binary, work, "verifier", GAME, {}, config=settings(quit_after_ticks=0),
                    arguments=["--verify-replay", os.path.join(save_dir(work, "host"), "soak.replay")])
    checks.expect(wait(verifier) == 0, "the soak replay does not verify")
    print("\n".join(line for line in netplay_lines(verifier) if "verified" in line or "failed" in line))


def case_lobby(binary, work, checks, service_binary):
    from lobby_peers import Service, user
    service = Service(service_binary, work, "service")
    try:
        def member(name, node, **values):
            platform = 'platform::lobby_server = "127.0.0.1:%d"\nplatform::user_id = "%d"\n' % (service.port, user(node))
            return start(binary, work, name, platform=platform, **values)
        host = member("host", 11, mode="lobby", quit_after_ticks=840)
        checks.expect(wait_for_prefix(host, "netplay: Lobby "), "the host opened no lobby: %s" % netplay_lines(host))
        opened = [line for line in netplay_lines(host) if line.startswith("netplay: Lobby ")]
        lobby_id = opened[0].split()[2] if opened else "0"
        guest = member("guest", 12, mode="join_lobby", lobby=lobby_id, autopilot=2, quit_after_ticks=780)
        checks.expect(wait(guest) == 0 and wait(host) == 0, "a lobby peer did not end normally")
        checks.expect(any(line.startswith("netplay: Joined as player 2") for line in netplay_lines(guest)),
                      "the guest never joined the game: %s" % netplay_lines(guest))
        checks.expect(any(line.startswith("netplay: player 2 is in sync") for line in netplay_lines(host)),
                      "the host never saw the guest in sync: %s" % netplay_lines(host))
        host_lines, guest_lines = acked(work, "host"), acked(work, "guest")
        shared = sorted(set(host_lines) & set(guest_lines))
        checks.expect(len(shared) > 200, "the lobby peers share only %d final ticks" % len(shared))
        checks.expect(all(host_lines[t] == guest_lines[t] for t in shared), "the lobby peers' final ticks differ")
    finally:
        service.stop()


def main():
    binary, case = os.path.abspath(sys.argv[1]), sys.argv[2]
    checks = Checks()
    with tempfile.TemporaryDirectory(prefix="quillmoor_netplay_") as work:
        if os.environ.get("NETPLAY_KEEP"):
            work = os.environ["NETPLAY_KEEP"]
            os.makedirs(work, exist_ok=True)
        try:
            globals()["case_" + case](binary, work, checks, *sys.argv[3:])
        finally:
            if checks.failures:
                for name in sorted(os.listdir(os.path.join(work, "docs"))) if os.path.isdir(
                        os.path.join(work, "docs")) else []:
                    print("--- %s netplay lines" % name)
                    log = os.path.join(work, "docs", name, "game_log.txt")
                    if os.path.exists(log):
                        with open(log, errors="replace") as text:
                            for line in text:
                                if line.startswith(("netplay:", "net:", "error", "warning")):
                                    print(line.rstrip())
    if checks.failures:
        print("%d check(s) failed" % len(checks.failures))
        return 1
    print("PASS: netplay %s" % case)
    return 0


if __name__ == "__main__":
    sys.exit(main())
