// Throughput of the machine's divider, the limit of the sweep: every sweep
// term takes three divisions. Independent division chains, more of them in
// flight than one division's latency covers, at every vector width the
// kernel may run with. The counter is seconds per double divided (one lane).
#include <benchmark/benchmark.h>

namespace {

typedef double Double2 __attribute__((vector_size(16)));  // divpd xmm, baseline x86-64
typedef double Double4 __attribute__((vector_size(32)));  // vdivpd ymm, AVX
typedef double Double8 __attribute__((vector_size(64)));  // vdivpd zmm, AVX-512F

// Twelve chains keep the divider busy while a division's latency is up to
// twelve times its issue interval.
constexpr int CHAINS = 12;
constexpr int ROUNDS = 256;  // divisions per chain and iteration

template <class V>
[[gnu::always_inline]] inline void divide_chains(benchmark::State& state, int lanes) {
  V x[CHAINS];
  const V divisor = V{} + 1.0000001;  // close to 1: no chain drifts towards subnormals
  for (auto _ : state) {
    for (int c = 0; c < CHAINS; ++c) x[c] = V{} + (1.0 + c);
    for (int k = 0; k < ROUNDS; ++k) {
#pragma GCC unroll 12
      for (int c = 0; c < CHAINS; ++c) x[c] = x[c] / divisor;
    }
    benchmark::DoNotOptimize(x);
  }
  state.counters["s_per_division"] =
      benchmark::Counter(static_cast<double>(ROUNDS) * CHAINS * lanes,
                         benchmark::Counter::kIsIterationInvariantRate |
                             benchmark::Counter::kInvert);
}

void BM_divide_divsd(benchmark::State& state) { divide_chains<double>(state, 1); }
BENCHMARK(BM_divide_divsd);

void BM_divide_divpd_xmm(benchmark::State& state) { divide_chains<Double2>(state, 2); }
BENCHMARK(BM_divide_divpd_xmm);

__attribute__((target("avx"))) void divide_ymm(benchmark::State& state) {
  divide_chains<Double4>(state, 4);
}

__attribute__((target("avx512f"))) void divide_zmm(benchmark::State& state) {
  divide_chains<Double8>(state, 8);
}

// The wide variants run only where the processor has the instructions.
void BM_divide_vdivpd_ymm(benchmark::State& state) {
  if (!__builtin_cpu_supports("avx")) {
    return state.SkipWithError("no AVX on this CPU");
  }
  divide_ymm(state);
}
BENCHMARK(BM_divide_vdivpd_ymm);

void BM_divide_vdivpd_zmm(benchmark::State& state) {
  if (!__builtin_cpu_supports("avx512f")) {
    return state.SkipWithError("no AVX-512F on this CPU");
  }
  divide_zmm(state);
}
BENCHMARK(BM_divide_vdivpd_zmm);

}  // namespace
