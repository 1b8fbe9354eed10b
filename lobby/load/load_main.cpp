// quillmoor-lobby-load: measures a running quillmoor-lobby (or several over
// one Redis) on loopback and prints the figures. See README.md.
#include <sys/resource.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "lobby/load/load_driver.h"

namespace {

using namespace me::lobby;
using load::LoadClient;
using load::LoadDriver;
using Clock = std::chrono::steady_clock;

struct Options {
    std::vector<uint16_t> ports;
    std::vector<int> pids;  // service processes whose memory is measured
    std::string scenario = "all";
    size_t clients = 10000;
    double seconds = 3;
    double rate = 10000;  // paced packets per second for latency
    size_t packet_bytes = 64;
};

template <class T>
std::vector<T> numbers_of(const char* text) {
    std::vector<T> values;
    std::stringstream list(text);
    for (std::string item; std::getline(list, item, ',');) {
        T value{};
        std::from_chars(item.data(), item.data() + item.size(), value);
        values.push_back(value);
    }
    return values;
}

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const char* value = argv[i + 1];
        if (name == "--ports") options.ports = numbers_of<uint16_t>(value);
        else if (name == "--pids") options.pids = numbers_of<int>(value);
        else if (name == "--scenario") options.scenario = value;
        else if (name == "--clients") options.clients = std::stoul(value);
        else if (name == "--seconds") options.seconds = std::stod(value);
        else if (name == "--rate") options.rate = std::stod(value);
        else if (name == "--packet-bytes") options.packet_bytes = std::max<size_t>(8, std::stoul(value));
        else return false;
    }
    return !options.ports.empty() && argc % 2 == 1;
}

long resident_kib(const std::vector<int>& pids) {
    long total = 0;
    for (int pid : pids) {
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("VmRSS:", 0) == 0) total += std::stol(line.substr(6));
    }
    return total;
}

void raise_descriptor_limit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

uint64_t now_ns() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count());
}

// Puts the clients into lobbies of per_lobby members, the first of each the
// owner, and points every member at the next one of its lobby.
bool form_lobbies(LoadDriver& driver, size_t per_lobby) {
    auto& clients = driver.clients();
    size_t pending = 0;
    for (size_t i = 0; i < clients.size(); i += per_lobby) {
        driver.send(*clients[i], CreateLobby{static_cast<uint32_t>(i), LobbyType::Public, static_cast<uint32_t>(per_lobby)});
        ++pending;
    }
    size_t joined = 0;
    const auto deadline = Clock::now() + std::chrono::seconds(120);
    while ((pending > 0 || joined < clients.size()) && Clock::now() < deadline) {
        driver.pump(100, [&](LoadClient& client, const Message& message) {
            if (const auto* created = std::get_if<LobbyCreatedReply>(&message)) {
                --pending;
                ++joined;
                client.lobby = created->lobby;
                for (size_t j = created->request + 1; j < created->request + per_lobby && j < clients.size(); ++j)
                    driver.send(*clients[j], JoinLobby{1, created->lobby});
            } else if (const auto* entered = std::get_if<LobbyEnterReply>(&message)) {
                if (entered->response == EnterSuccess) ++joined;
                client.lobby = entered->lobby;
            }
        });
    }
    for (size_t i = 0; i < clients.size(); ++i) {
        const size_t first = i - i % per_lobby;
        const size_t size = std::min(per_lobby, clients.size() - first);
        clients[i]->peer = clients[first + (i - first + 1) % size]->user;
    }
    if (joined < clients.size()) std::fprintf(stderr, "only %zu of %zu clients got into a lobby\n", joined, clients.size());
    return joined == clients.size();
}

std::vector<uint8_t> stamped_packet(size_t size) {
    std::vector<uint8_t> data(size, 0);
    const uint64_t stamp = now_ns();
    std::memcpy(data.data(), &stamp, sizeof stamp);
    return data;
}

void print_latency(const char* label, std::vector<double>& samples_us) {
    if (samples_us.empty()) {
        std::printf("%s: no packets arrived\n", label);
        return;
    }
    std::sort(samples_us.begin(), samples_us.end());
    std::printf("%s: %zu packets, median %.0f us, p99 %.0f us, max %.0f us\n", label, samples_us.size(),
                samples_us[samples_us.size() / 2], samples_us[samples_us.size() * 99 / 100], samples_us.back());
}

// Every client creates a lobby, leaves it when it is created, and creates the next.
void measure_creation(const Options& options) {
    LoadDriver driver;
    if (!driver.connect_clients(50, options.ports, 1'000'000)) return;
    for (auto& client : driver.clients()) driver.send(*client, CreateLobby{1, LobbyType::Public, 4});
    size_t created = 0;
    const Clock::time_point start = Clock::now();
    while (seconds_since(start) < options.seconds) {
        driver.pump(1, [&](LoadClient& client, const Message& message) {
            const auto* reply = std::get_if<LobbyCreatedReply>(&message);
            if (!reply || reply->result != CreateOk) return;
            ++created;
            driver.send(client, LeaveLobby{reply->lobby});
            driver.send(client, CreateLobby{1, LobbyType::Public, 4});
        });
    }
    std::printf("lobbies created per second (50 clients, each create then leave): %.0f\n",
                static_cast<double>(created) / seconds_since(start));
}

// Every member sends to the next one of its lobby and keeps `window`
// packets on their way; the figure is packets delivered per second.
void measure_relay_rate(LoadDriver& driver, const Options& options) {
    constexpr uint64_t kWindow = 32;
    auto& clients = driver.clients();
    const std::vector<uint8_t> data(options.packet_bytes, 7);
    for (auto& client : clients)
        for (uint64_t i = 0; i < kWindow; ++i, ++client->sent) driver.send(*client, SendPacket{client->peer, 0, data});
    uint64_t delivered = 0;
    const Clock::time_point start = Clock::now();
    while (seconds_since(start) < options.seconds) {
        driver.pump(1, [&](LoadClient&, const Message& message) {
            const auto* packet = std::get_if<PacketDelivery>(&message);
            if (!packet) return;
            ++delivered;
            LoadClient& sender = *driver.client_of(packet->sender);
            driver.send(sender, SendPacket{sender.peer, 0, data});
        });
    }
    std::printf("relayed packets per second (%zu members, %llu in flight each, %zu bytes): %.0f\n", clients.size(),
                static_cast<unsigned long long>(kWindow), options.packet_bytes,
                static_cast<double>(delivered) / seconds_since(start));
    // Let the packets still on their way arrive before the next measurement.
    const Clock::time_point drain = Clock::now();
    while (seconds_since(drain) < 1) driver.pump(10, [](LoadClient&, const Message&) {});
}

// Members take turns to send stamped packets at a steady total rate; each
// arrival gives one latency sample (sender to receiver through the service).
void measure_latency(LoadDriver& driver, const Options& options, const char* label) {
    auto& clients = driver.clients();
    std::vector<double> samples_us;
    uint64_t sent = 0;
    size_t next_sender = 0;
    const Clock::time_point start = Clock::now();
    while (seconds_since(start) < options.seconds) {
        const uint64_t due = static_cast<uint64_t>(seconds_since(start) * options.rate);
        for (; sent < due; ++sent, next_sender = (next_sender + 1) % clients.size())
            driver.send(*clients[next_sender], SendPacket{clients[next_sender]->peer, 0, stamped_packet(options.packet_bytes)});
        driver.pump(1, [&](LoadClient&, const Message& message) {
            const auto* packet = std::get_if<PacketDelivery>(&message);
            if (!packet || packet->data.size() < 8) return;
            uint64_t stamp = 0;
            std::memcpy(&stamp, packet->data.data(), sizeof stamp);
            samples_us.push_back(static_cast<double>(now_ns() - stamp) / 1000.0);
        });
    }
    char text[160];
    std::snprintf(text, sizeof text, "%s, %.0f packets/s offered", label, options.rate);
    print_latency(text, samples_us);
}

void measure_small_population(const Options& options) {
    LoadDriver driver;
    if (!driver.connect_clients(100, options.ports, 2'000'000) || !form_lobbies(driver, 4)) return;
    measure_relay_rate(driver, options);
    measure_latency(driver, options, "relayed latency, 100 members in 25 lobbies");
}

void measure_large_population(const Options& options) {
    LoadDriver driver;
    const long before = resident_kib(options.pids);
    if (!driver.connect_clients(options.clients, options.ports, 3'000'000)) return;
    const long connected = resident_kib(options.pids);
    if (!form_lobbies(driver, 4)) return;
    const long in_lobbies = resident_kib(options.pids);
    std::printf("connected clients held: %zu\n", options.clients);
    if (!options.pids.empty()) {
        std::printf("service memory per connected client: %.2f KiB\n",
                    static_cast<double>(connected - before) / static_cast<double>(options.clients));
        std::printf("service memory per lobby (4 members): %.2f KiB\n",
                    static_cast<double>(in_lobbies - connected) / static_cast<double>(options.clients / 4));
    }
    char label[96];
    std::snprintf(label, sizeof label, "relayed latency, %zu members in %zu lobbies", options.clients, options.clients / 4);
    measure_latency(driver, options, label);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        std::fputs("usage: quillmoor-lobby-load --ports PORT[,PORT...] [--pids PID[,PID...]]\n"
                   "  [--scenario all|create|relay|hold] [--clients N] [--seconds S] [--rate PACKETS_PER_S]\n"
                   "  [--packet-bytes B]\n"
                   "Several ports spread the clients over service processes sharing one Redis.\n"
                   "--pids names the processes whose resident memory is measured.\n",
                   stderr);
        return 2;
    }
    raise_descriptor_limit();
    if (options.scenario == "all" || options.scenario == "create") measure_creation(options);
    if (options.scenario == "all" || options.scenario == "relay") measure_small_population(options);
    if (options.scenario == "all" || options.scenario == "hold") measure_large_population(options);
    return 0;
}
