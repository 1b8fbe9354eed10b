#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "core/fixed.h"
#include "core/fixed_vec2.h"

namespace {

using me::Fixed;
using me::FixedVec2;

constexpr std::size_t OPERAND_COUNT = 4096;

// Random operands defeat constant folding; the divisors exclude zero.
std::vector<Fixed> random_fixed(std::uint32_t seed, bool exclude_zero) {
    std::mt19937 engine(seed);
    std::vector<Fixed> values(OPERAND_COUNT);
    for (Fixed& value : values) {
        do {
            value = static_cast<Fixed>(engine() >> (engine() % 16));
        } while (exclude_zero && value == 0);
    }
    return values;
}

std::vector<FixedVec2> random_vectors() {
    const std::vector<Fixed> xs = random_fixed(3, false);
    const std::vector<Fixed> ys = random_fixed(4, false);
    std::vector<FixedVec2> vectors(OPERAND_COUNT);
    for (std::size_t i = 0; i < OPERAND_COUNT; ++i) vectors[i] = {xs[i] >> 8, ys[i] >> 8};
    return vectors;
}

template <typename Operation>
void run_over_operands(benchmark::State& state, Operation operation) {
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(operation(i));
        i = (i + 1) % OPERAND_COUNT;
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

void BM_FixedMul(benchmark::State& state) {
    const auto a = random_fixed(1, false);
    const auto b = random_fixed(2, false);
    run_over_operands(state, [&](std::size_t i) { return me::fixed_mul(a[i], b[i]); });
}
BENCHMARK(BM_FixedMul);

void BM_FixedDiv(benchmark::State& state) {
    const auto a = random_fixed(1, false);
    const auto b = random_fixed(2, true);
    run_over_operands(state, [&](std::size_t i) { return me::fixed_div(a[i], b[i]); });
}
BENCHMARK(BM_FixedDiv);

void BM_FixedSqrt64(benchmark::State& state) {
    const auto a = random_fixed(1, false);
    run_over_operands(state, [&](std::size_t i) { return me::fixed_sqrt64(static_cast<std::uint32_t>(a[i])); });
}
BENCHMARK(BM_FixedSqrt64);

void BM_FixedVec2Length(benchmark::State& state) {
    const auto vectors = random_vectors();
    run_over_operands(state, [&](std::size_t i) { return me::fixed_length(vectors[i]); });
}
BENCHMARK(BM_FixedVec2Length);

void BM_FixedVec2Normalize(benchmark::State& state) {
    const auto vectors = random_vectors();
    run_over_operands(state, [&](std::size_t i) { return me::fixed_normalize(vectors[i]); });
}
BENCHMARK(BM_FixedVec2Normalize);

}  // namespace

BENCHMARK_MAIN();
