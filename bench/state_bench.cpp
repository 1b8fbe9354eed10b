// Saving and restoring the state of N objects of 20 script members each,
// beside a plain memcpy of the same number of bytes. A rollback game saves
// every tick and may restore several times a frame.
#include <benchmark/benchmark.h>
#include <squirrel.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/application.h"
#include "core/log.h"
#include "network/state_manager.h"
#include "script/script_host.h"
#include "script/script_root.h"

namespace {

using namespace me;

constexpr const char* kClasses = R"(
    class BenchWorld extends StateObject </ world_seed = true /> {}
    class BenchThing extends StateObject </ static_class = true /> {
        </ type = "sint32" /> a0 = 0; </ type = "sint32" /> a1 = 0; </ type = "sint32" /> a2 = 0;
        </ type = "sint32" /> a3 = 0; </ type = "sint32" /> a4 = 0; </ type = "sint32" /> a5 = 0;
        </ type = "fixed" /> x = 0; </ type = "fixed" /> y = 0; </ type = "fixed" /> vx = 0; </ type = "fixed" /> vy = 0;
        </ type = "uint8" /> b0 = 0; </ type = "uint8" /> b1 = 0; </ type = "uint16" /> c0 = 0; </ type = "uint16" /> c1 = 0;
        </ type = "sint16" /> d0 = 0; </ type = "sint8" /> e0 = 0;
        </ type = "bool" /> alive = true; </ type = "bool" /> hidden = false;
        </ type = "string" /> kind = "walker";
        </ type = "ref", nullable = true /> target = null;
    }
)";

// One VM for the whole run; each benchmark builds a map of its own.
struct BenchVm {
    Log log;
    Application application;
    ScriptRoot root;
    ScriptHost host;

    BenchVm() {
        log.open_file("/dev/null");
        g_log = &log;
        g_script_root = &root;
        host.create_vm();
        run(kClasses);
    }

    void run(const std::string& code) {
        const SQInteger top = sq_gettop(host.vm());
        if (SQ_SUCCEEDED(sq_compilebuffer(host.vm(), code.data(), static_cast<SQInteger>(code.size()), "bench", SQTrue))) {
            sq_pushroottable(host.vm());
            sq_call(host.vm(), 1, SQFalse, SQTrue);
        }
        sq_settop(host.vm(), top);
    }
};

BenchVm& vm() {
    static BenchVm* instance = new BenchVm();
    return *instance;
}

// A world seed and count things with varied values, referring to each other.
class BenchMap {
public:
    explicit BenchMap(int count) : m_manager(std::make_unique<StateManager>()) {
        g_state_manager = m_manager.get();
        vm().run("Network.register_state_class(\"BenchWorld\"); Network.register_state_class(\"BenchThing\");"
                 "Network.creating_map(); ::bench_world <- BenchWorld(); ::things <- [];"
                 "for (local i = 0; i < " + std::to_string(count) + "; i++) {"
                 "  local t = BenchThing(); t.a0 = i; t.a1 = -i; t.a2 = i * 1000; t.x = i << 16; t.vy = -65536;"
                 "  t.b0 = i % 256; t.c1 = i % 65536; t.d0 = -(i % 300); t.alive = (i % 3) != 0;"
                 "  if (i > 0) t.target = ::things[i - 1];"
                 "  ::things.append(t); }"
                 "Network.map_created();");
    }
    ~BenchMap() {
        vm().run("Network.destroying_map(); ::bench_world = null; ::things = null; Network.map_destroyed();");
        g_state_manager = nullptr;
    }
    StateManager& manager() { return *m_manager; }

private:
    std::unique_ptr<StateManager> m_manager;
};

void BM_StateSave(benchmark::State& state) {
    BenchMap map(static_cast<int>(state.range(0)));
    size_t bytes = 0;
    for (auto _ : state) {
        StateBuffer buffer = map.manager().build_state();
        bytes = buffer.bytes().size();
        benchmark::DoNotOptimize(buffer.crc());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}

void BM_StateRestore(benchmark::State& state) {
    BenchMap map(static_cast<int>(state.range(0)));
    StateBuffer buffer = map.manager().build_state();
    bool ok = true;
    for (auto _ : state) {
        buffer.reset_read();
        ok = map.manager().verify_static_objects(buffer) && map.manager().restore_objects(buffer, true) && ok;
    }
    if (!ok)
        state.SkipWithError("restore failed");
    state.counters["bytes"] = static_cast<double>(buffer.bytes().size());
}

void BM_MemcpySameBytes(benchmark::State& state) {
    size_t bytes = 0;
    {
        BenchMap map(static_cast<int>(state.range(0)));
        bytes = map.manager().build_state().bytes().size();
    }
    std::vector<uint8_t> from(bytes, 0x5A);
    std::vector<uint8_t> to(bytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::ClobberMemory();
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}

BENCHMARK(BM_StateSave)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StateRestore)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MemcpySameBytes)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
