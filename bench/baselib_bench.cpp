// Built-in methods that game scripts call in their inner loops: sorting,
// the functional array methods, table walks and string searches.
#include <benchmark/benchmark.h>

#include <string>

#include "squirrel.h"

namespace {

// A VM holding one script function, built by running `setup`, which must
// return the function each iteration calls.
class ScriptLoop {
   public:
    explicit ScriptLoop(const std::string &setup) : v_(sq_open(1024)) {
        sq_resetobject(&fn_);
        if (SQ_FAILED(sq_compilebuffer(v_, setup.c_str(), static_cast<SQInteger>(setup.size()), "bench", SQTrue)))
            return;
        sq_pushroottable(v_);
        if (SQ_FAILED(sq_call(v_, 1, SQTrue, SQTrue))) return;
        sq_getstackobj(v_, -1, &fn_);
        sq_addref(v_, &fn_);
        sq_settop(v_, 0);
    }
    ~ScriptLoop() {
        sq_release(v_, &fn_);
        sq_close(v_);
    }
    ScriptLoop(const ScriptLoop &) = delete;
    ScriptLoop &operator=(const ScriptLoop &) = delete;

    bool ready() const { return sq_isclosure(fn_); }
    bool run() {
        sq_pushobject(v_, fn_);
        sq_pushroottable(v_);
        const bool ok = SQ_SUCCEEDED(sq_call(v_, 1, SQFalse, SQTrue));
        sq_settop(v_, 0);
        return ok;
    }

   private:
    HSQUIRRELVM v_;
    HSQOBJECT fn_;
};

constexpr const char *kRandomArray =
    "local seed = 7, data = [];"
    "for (local i = 0; i < 10000; i++) { seed = (seed * 1103515245 + 12345) & 0x7fffffff; data.append(seed % 100000); }";

void run_script(benchmark::State &state, const std::string &setup) {
    ScriptLoop loop(setup);
    if (!loop.ready()) {
        state.SkipWithError("setup script failed");
        return;
    }
    for (auto _ : state) {
        if (!loop.run()) {
            state.SkipWithError("script failed");
            return;
        }
    }
}

void BM_SortDefaultOrder(benchmark::State &state) {
    run_script(state, std::string(kRandomArray) + "return function() { local c = clone data; c.sort(); };");
}
BENCHMARK(BM_SortDefaultOrder);

void BM_SortWithComparator(benchmark::State &state) {
    run_script(state, std::string(kRandomArray) + "return function() { local c = clone data; c.sort(@(a, b) b <=> a); };");
}
BENCHMARK(BM_SortWithComparator);

void BM_MapFilterReduce(benchmark::State &state) {
    run_script(state, std::string(kRandomArray) +
                          "return function() { return data.map(@(x) x + 1).filter(@(i, x) x & 1).reduce(@(a, b) a + b); };");
}
BENCHMARK(BM_MapFilterReduce);

void BM_AppendAndPop(benchmark::State &state) {
    run_script(state, "return function() { local a = []; for (local i = 0; i < 10000; i++) a.append(i);"
                      "while (a.len() > 0) a.pop(); };");
}
BENCHMARK(BM_AppendAndPop);

void BM_TableKeysValues(benchmark::State &state) {
    run_script(state, "local t = {}; for (local i = 0; i < 1000; i++) t[\"k\" + i] <- i;"
                      "return function() { return t.keys().len() + t.values().len(); };");
}
BENCHMARK(BM_TableKeysValues);

void BM_StringFindAndSlice(benchmark::State &state) {
    run_script(state, "local s = \"\"; for (local i = 0; i < 2000; i++) s += i % 10;"
                      "return function() { local n = 0; for (local i = 0; i < 1000; i++)"
                      "  if (s.find(s.slice(i, i + 6)) != null) n++; return n; };");
}
BENCHMARK(BM_StringFindAndSlice);

}  // namespace

BENCHMARK_MAIN();
