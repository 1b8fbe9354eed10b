// Connection manager figures on 127.0.0.1, with one update of each manager
// standing for one frame: the round trip of a request in frames and
// microseconds (median and 99th percentile), the host's update cost with 1,
// 4 and 16 peers each sending one message a frame (60 a second at 60 fps),
// the frames and time to move a 1 MiB state, and the worst host update while
// a peer floods it with valid frames.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "../tests/unit/network/loopback_peer.h"
#include "network/stat_chunk_sender.h"

namespace me {
namespace {

using Clock = std::chrono::steady_clock;
constexpr NodeId kHostNode = 1;

double micros_since(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

// CPU time of this thread: the machine is shared, so wall time of a short
// update mostly measures other processes.
double thread_cpu_micros() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) * 1e-3;
}

double percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(fraction * static_cast<double>(values.size() - 1))];
}

// A host and n connected clients, each with a recording handler.
struct Network {
    explicit Network(int clients) {
        host.set_handler(std::make_unique<test::RecordingHandler>());
        host_events = static_cast<test::RecordingHandler*>(host.handler());
        host.start_host(kHostNode, 0, "127.0.0.1");
        for (int i = 0; i < clients; ++i) {
            auto client = std::make_unique<ConnectionManager>();
            client->set_handler(std::make_unique<test::RecordingHandler>());
            client->start_client(100 + i, "127.0.0.1", host.listen_port(), 1);
            peers.push_back(std::move(client));
        }
        test::pump_until({&host}, [&] {
            for (auto& peer : peers)
                peer->update();
            return host.connection_count() == peers.size() &&
                   std::all_of(peers.begin(), peers.end(), [](auto& p) { return p->find(kHostNode) != nullptr; });
        });
    }

    ConnectionManager host;
    test::RecordingHandler* host_events = nullptr;
    std::vector<std::unique_ptr<ConnectionManager>> peers;
};

void BM_RequestRoundTrip(benchmark::State& state) {
    Network net(1);
    ConnectionManager& client = *net.peers[0];
    auto* client_events = static_cast<test::RecordingHandler*>(client.handler());
    net.host_events->on_message_hook = [&](NodeId node) {
        net.host.create_response(node, 0);
        net.host.send(node);
    };
    std::vector<double> frames;
    std::vector<double> micros;
    for (auto _ : state) {
        client_events->events.clear();
        const auto start = Clock::now();
        client.create_request(kHostNode, Message::type_from_text("PING"));
        client.send(kHostNode);
        int frame = 0;
        while (client_events->events.empty() && frame < 100000) {
            ++frame;
            net.host.update();
            client.update();
        }
        frames.push_back(frame);
        micros.push_back(micros_since(start));
    }
    state.counters["frames_median"] = percentile(frames, 0.5);
    state.counters["frames_p99"] = percentile(frames, 0.99);
    state.counters["us_median"] = percentile(micros, 0.5);
    state.counters["us_p99"] = percentile(micros, 0.99);
}
BENCHMARK(BM_RequestRoundTrip)->Iterations(10000)->Unit(benchmark::kMicrosecond);

void BM_HostUpdateWithPeers(benchmark::State& state) {
    Network net(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        for (auto& peer : net.peers) {
            peer->create_oneshot(kHostNode, Message::type_from_text("INPT"));
            peer->outgoing(kHostNode)->write_u32(0x12345678);
            peer->outgoing(kHostNode)->write_u16(7);
            peer->send(kHostNode);
            peer->update();
        }
        const double start = thread_cpu_micros();
        net.host.update();
        state.SetIterationTime((thread_cpu_micros() - start) * 1e-6);
    }
    state.counters["messages"] = static_cast<double>(net.host_events->events.size());
}
BENCHMARK(BM_HostUpdateWithPeers)->Arg(1)->Arg(4)->Arg(16)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_StateTransferOneMebibyte(benchmark::State& state) {
    Network net(1);
    ConnectionManager& client = *net.peers[0];
    std::vector<uint8_t> saved(1024 * 1024, 0x5A);
    size_t received = 0;
    client.stat_receiver().set_target([] { return true; }, [&](std::vector<uint8_t> bytes) { received = bytes.size(); });
    int frames = 0;
    for (auto _ : state) {
        received = 0;
        frames = 0;
        StatChunkSender::send(net.host, 100, saved);
        while (received == 0 && frames < 100000) {
            ++frames;
            net.host.update();
            client.update();
        }
    }
    state.counters["frames"] = frames;
}
BENCHMARK(BM_StateTransferOneMebibyte)->Unit(benchmark::kMillisecond);

// A thread floods the host as fast as the sockets take it while the host
// updates about once a millisecond; the figure that matters is the slowest
// update. Argument 0: one named peer sends valid oneshots. Argument 1: peers
// connect again and again, each sending a HELO and then a malformed frame.
void BM_WorstUpdateUnderFlood(benchmark::State& state) {
    const bool malformed = state.range(0) == 1;
    ConnectionManager host;
    host.set_handler(std::make_unique<test::RecordingHandler>());
    host.start_host(kHostNode, 0, "127.0.0.1");
    const uint16_t port = host.listen_port();
    std::atomic<bool> stop = false;
    std::vector<uint8_t> burst;
    for (int i = 0; i < 64; ++i)
        burst.insert(burst.end(), {'D', 'O', 'O', 'L', 0x00, 0x0A, 1, 2, 3, 4});
    auto flooder = std::make_unique<test::RawPeer>(port);
    flooder->send(test::RawPeer::helo_request(9, 4, 1));
    test::pump_until({&host}, [&] { return host.find(9) != nullptr; });
    std::thread writer([&] {
        uint32_t node = 100;
        while (!stop) {
            if (!malformed) {
                flooder->send(burst);
                continue;
            }
            test::RawPeer peer(port);
            peer.send(test::RawPeer::helo_request(node++, 4, 1));
            peer.send({'D', 'A', 'B', ' ', 0x00, 0x03});
        }
    });
    auto* events = static_cast<test::RecordingHandler*>(host.handler());
    double worst = 0;
    double handled = 0;
    for (auto _ : state) {
        const double start = thread_cpu_micros();
        host.update();
        worst = std::max(worst, thread_cpu_micros() - start);
        handled += static_cast<double>(events->events.size());
        events->events.clear();
        std::this_thread::sleep_for(std::chrono::microseconds(1000));
    }
    stop = true;
    host.shutdown();
    writer.join();
    state.counters["worst_cpu_us"] = worst;
    state.counters["events"] = handled;
}
BENCHMARK(BM_WorstUpdateUnderFlood)->Arg(0)->Arg(1)->Iterations(2000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace me

BENCHMARK_MAIN();
