#include <benchmark/benchmark.h>
#include <squirrel.h>

#include <string>

#include "script/script_binding.h"

namespace {

constexpr int CALLS_PER_RUN = 1000;

// A VM with every binding and one script function, run(), that makes
// CALLS_PER_RUN calls of the expression under test.
class ScriptLoop {
public:
    explicit ScriptLoop(const std::string& expression) : m_vm(sq_open(1024)) {
        me::run_script_bindings(m_vm);
        const std::string code = "function run() { local r = null; for (local i = 1; i <= " +
                                 std::to_string(CALLS_PER_RUN) + "; ++i) r = " + expression + "; return r; }";
        sq_pushroottable(m_vm);
        m_compiled = SQ_SUCCEEDED(sq_compilebuffer(m_vm, code.data(), static_cast<SQInteger>(code.size()), "bench",
                                                   SQTrue)) &&
                     (sq_pushroottable(m_vm), SQ_SUCCEEDED(sq_call(m_vm, 1, SQFalse, SQTrue)));
        sq_settop(m_vm, 0);
    }
    ~ScriptLoop() { sq_close(m_vm); }
    ScriptLoop(const ScriptLoop&) = delete;
    ScriptLoop& operator=(const ScriptLoop&) = delete;

    bool run() {
        sq_pushroottable(m_vm);
        sq_pushstring(m_vm, "run", -1);
        const bool called = SQ_SUCCEEDED(sq_get(m_vm, -2)) && (sq_pushroottable(m_vm), true) &&
                            SQ_SUCCEEDED(sq_call(m_vm, 1, SQFalse, SQTrue));
        sq_settop(m_vm, 0);
        return called;
    }

    bool compiled() const { return m_compiled; }

private:
    HSQUIRRELVM m_vm;
    bool m_compiled = false;
};

void run_script_calls(benchmark::State& state, const char* expression) {
    ScriptLoop loop(expression);
    if (!loop.compiled()) {
        state.SkipWithError("the benchmark script does not compile");
        return;
    }
    for (auto _ : state) {
        if (!loop.run()) {
            state.SkipWithError("the benchmark script failed");
            return;
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * CALLS_PER_RUN);
}

void BM_ScriptFixedMul(benchmark::State& state) { run_script_calls(state, "fixed_mul(i * 977, 70001)"); }
BENCHMARK(BM_ScriptFixedMul);

void BM_ScriptFixedDiv(benchmark::State& state) { run_script_calls(state, "fixed_div(70001, i * 977)"); }
BENCHMARK(BM_ScriptFixedDiv);

// fixed_length3 is the script path into fixed_sqrt64.
void BM_ScriptFixedSqrt64(benchmark::State& state) { run_script_calls(state, "fixed_length3(i * 977, 65536, 3)"); }
BENCHMARK(BM_ScriptFixedSqrt64);

void BM_ScriptVec2Length(benchmark::State& state) { run_script_calls(state, "vec2_length(i, 2.5)"); }
BENCHMARK(BM_ScriptVec2Length);

void BM_ScriptVec2LengthOfArray(benchmark::State& state) { run_script_calls(state, "vec2_length([i, 2.5])"); }
BENCHMARK(BM_ScriptVec2LengthOfArray);

void BM_ScriptVec3Normalize(benchmark::State& state) { run_script_calls(state, "vec3_safe_normalize(i, 2.5, -1)"); }
BENCHMARK(BM_ScriptVec3Normalize);

}  // namespace

BENCHMARK_MAIN();
