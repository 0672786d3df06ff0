// Cost of the numerical stages at the sizes a run can reach: 5000
// breakpoints, the full 4999-point grid, and the 264-row sweep over a narrow
// (20 to 200 Hz, 180 points) and the widest (10 to 6000 Hz, 4999 points)
// grid. The sweep reports its time per (natural frequency, grid point) term
// next to the plain reference loop, so the kernel's gain is read off directly.
#include "spectrum/analysis.h"
#include "spectrum/sweep.h"

#include <benchmark/benchmark.h>

namespace {

using namespace kolmaren;

// The program holds one context for the whole run; so do the benchmarks.
AnalysisContext& context() {
  static AnalysisContext ctx;
  return ctx;
}

// `count` breakpoints evenly spread from low_hz to high_hz. Two breakpoints
// give a flat 0.04 G^2/Hz; more alternate 0.04 and 0.02 so that every
// segment has a slope of its own.
void load_breakpoints(AnalysisContext& ctx, int count, double low_hz, double high_hz) {
  clear_context(ctx);
  BreakpointTable& bp = ctx.breakpoints;
  bp.n = count;
  for (int i = 0; i < count; ++i) {
    bp.freq[i] = low_hz + (high_hz - low_hz) * i / (count - 1);
    bp.level[i] = (count == 2 || i % 2 == 0) ? 0.04 : 0.02;
  }
}

// The context as the sweep finds it in a run: acceleration slopes, the
// uniform grid, 5 % damping, exponent 4.0 and 60 s.
AnalysisContext& prepared_context(int breakpoints, double low_hz, double high_hz) {
  AnalysisContext& ctx = context();
  load_breakpoints(ctx, breakpoints, low_hz, high_hz);
  ctx.overall.acceleration = overall_rms(ctx, ctx.breakpoints.level);
  resample_uniform(ctx);
  ctx.params.duration = 60.0;
  set_fatigue_choice(ctx.params, 1);
  set_damping(ctx.params, 1, 0.05);
  return ctx;
}

// Seconds per (natural frequency, grid point) term; the console shows it
// with an SI prefix, so "1.5n" is 1.5 ns.
void report_terms(benchmark::State& state, int rows, int grid_points) {
  state.counters["grid_points"] = grid_points;
  state.counters["s_per_term"] =
      benchmark::Counter(static_cast<double>(rows) * grid_points,
                         benchmark::Counter::kIsIterationInvariantRate |
                             benchmark::Counter::kInvert);
}

void BM_overall_rms(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  AnalysisContext& ctx = prepared_context(n, 10.0, 6000.0);
  for (auto _ : state) benchmark::DoNotOptimize(overall_rms(ctx, ctx.breakpoints.level));
  state.counters["segments"] = n - 1;
}
BENCHMARK(BM_overall_rms)
    ->ArgName("breakpoints")
    ->Arg(5000)
    ->Unit(benchmark::kMicrosecond);

// Each grid point searches the segments from the first, so the breakpoint
// count matters as much as the grid size.
void BM_resample_uniform(benchmark::State& state) {
  AnalysisContext& ctx = prepared_context(static_cast<int>(state.range(0)), 10.0, 6000.0);
  for (auto _ : state) {
    resample_uniform(ctx);
    benchmark::ClobberMemory();
  }
  state.counters["grid_points"] = ctx.grid.count;
}
BENCHMARK(BM_resample_uniform)
    ->ArgName("breakpoints")
    ->Arg(2)
    ->Arg(5000)
    ->Unit(benchmark::kMicrosecond);

using SweepSums = void (*)(const UniformGrid&, double, const double*, int, double*,
                           double*);

void BM_sweep_sums(benchmark::State& state, SweepSums sums) {
  AnalysisContext& ctx = prepared_context(2, static_cast<double>(state.range(0)),
                                          static_cast<double>(state.range(1)));
  SweepResults& out = ctx.sweep;
  out.rows = natural_frequencies(out.fn);
  for (auto _ : state) {
    sums(ctx.grid, ctx.params.damping_ratio, out.fn, out.rows, out.response,
         out.relative_disp);
    benchmark::ClobberMemory();
  }
  report_terms(state, out.rows, ctx.grid.count);
}
BENCHMARK_CAPTURE(BM_sweep_sums, kernel, sweep_sums)
    ->ArgNames({"low_hz", "high_hz"})
    ->Args({20, 200})
    ->Args({10, 6000})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_sweep_sums, reference, sweep_sums_reference)
    ->ArgNames({"low_hz", "high_hz"})
    ->Args({20, 200})
    ->Args({10, 6000})
    ->Unit(benchmark::kMicrosecond);

// The whole stage: natural frequencies, both sums and the per-row values.
void BM_compute_sweep(benchmark::State& state) {
  AnalysisContext& ctx = prepared_context(2, static_cast<double>(state.range(0)),
                                          static_cast<double>(state.range(1)));
  for (auto _ : state) {
    compute_sweep(ctx);
    benchmark::ClobberMemory();
  }
  report_terms(state, ctx.sweep.rows, ctx.grid.count);
}
BENCHMARK(BM_compute_sweep)
    ->ArgNames({"low_hz", "high_hz"})
    ->Args({20, 200})
    ->Args({10, 6000})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
