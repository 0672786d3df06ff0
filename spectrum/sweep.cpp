#include "spectrum/sweep.h"

#include <cmath>

namespace kolmaren {

int natural_frequencies(double* fn) {
  const double step = std::pow(2.0, SWEEP_STEP_OCTAVES);
  double f = SWEEP_START_HZ;
  int rows = 0;
  while (rows < SWEEP_MAX_ROWS) {
    fn[rows++] = f;
    f = step * f;  // running product: the rounding of each step carries on
    if (f > SWEEP_MAX_HZ) break;
  }
  return rows;
}

namespace {

// Acceleration transmissibility |H|^2 of base excitation at rho = f / fn.
inline double transmissibility(double rho, double two_zeta) {
  const double t = two_zeta * rho;
  const double t2 = t * t;
  const double u = 1.0 - rho * rho;
  return (1.0 + t2) / (u * u + t2);
}

// Relative displacement weight 1 / ((fn^2 - f^2)^2 + (2 zeta fn f)^2).
inline double displacement_weight(double fn, double f, double two_zeta) {
  const double d = fn * fn - f * f;
  const double c = two_zeta * fn * f;
  return 1.0 / (d * d + c * c);
}

// One grid point's terms added to every natural frequency's sums. The loop
// runs across the rows, which do not depend on one another, so neighbouring
// rows share a vector register and each of a term's three divisions is done
// for all of them at once. Every accumulator still takes its grid points in
// index order, through the reference loop's operations in the same order.
inline void accumulate_point(double f, double level, double df, double two_zeta,
                             double disp_factor, const double* __restrict fn, int rows,
                             double* __restrict accel_sum, double* __restrict disp_sum) {
#pragma omp simd
  for (int r = 0; r < rows; ++r) {
    const double h = transmissibility(f / fn[r], two_zeta);
    accel_sum[r] = accel_sum[r] + h * level * df;
    const double w = displacement_weight(fn[r], f, two_zeta) * disp_factor;
    disp_sum[r] = disp_sum[r] + w * level * df;
  }
}

}  // namespace

// Four rows per vector where the processor has AVX2, two (SSE2) on any other
// x86-64, picked once when the program loads. Both round alike: the avx2
// target brings no fused multiply-add, and -ffp-contract=off forbids one.
#if defined(__x86_64__)
#define SWEEP_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define SWEEP_VECTOR_CLONES
#endif

SWEEP_VECTOR_CLONES
void sweep_sums(const UniformGrid& grid, double zeta, const double* fn, int rows,
                double* accel_sum, double* disp_sum) {
  const double two_zeta = 2.0 * zeta;
  for (int r = 0; r < rows; ++r) {
    accel_sum[r] = 0.0;
    disp_sum[r] = 0.0;
  }
  for (int j = 0; j < grid.count; ++j) {
    // Only the displacement sum halves its first term.
    const double disp_factor = j == 0 ? 0.5 : 1.0;
    accumulate_point(grid.freq[j], grid.level[j], grid.df, two_zeta, disp_factor,
                     fn, rows, accel_sum, disp_sum);
  }
}

void sweep_sums_reference(const UniformGrid& grid, double zeta, const double* fn,
                          int rows, double* accel_sum, double* disp_sum) {
  const double two_zeta = 2.0 * zeta;
  for (int r = 0; r < rows; ++r) {
    double accel = 0.0;
    for (int j = 0; j < grid.count; ++j) {
      const double h = transmissibility(grid.freq[j] / fn[r], two_zeta);
      accel = accel + h * grid.level[j] * grid.df;
    }
    double disp = 0.0;
    for (int j = 0; j < grid.count; ++j) {
      double w = displacement_weight(fn[r], grid.freq[j], two_zeta);
      if (j == 0) w = w * 0.5;
      disp = disp + w * grid.level[j] * grid.df;
    }
    accel_sum[r] = accel;
    disp_sum[r] = disp;
  }
}

double fatigue_value(double response, double fn, const AnalysisParameters& params,
                     double pi) {
  const double s2 = response * response;
  const double a2 = 2.0 * s2;
  double x = (fn * params.duration) / s2;
  x = x * params.fatigue_constant;
  const double m = (params.fatigue_exponent + 1.0) / 2.0;
  const double r = std::pow(2.0 / a2, m);
  x = x / (2.0 * r);
  return std::sqrt(pi * a2) * x;
}

void compute_sweep(AnalysisContext& ctx) {
  SweepResults& out = ctx.sweep;
  out.rows = natural_frequencies(out.fn);
  // The sums are gathered in the result columns and turned into values there.
  sweep_sums(ctx.grid, ctx.params.damping_ratio, out.fn, out.rows, out.response,
             out.relative_disp);
  const double disp_scale = ctx.two_pi * ctx.two_pi;
  for (int r = 0; r < out.rows; ++r) {
    const double response = std::sqrt(out.response[r]);
    out.response[r] = response;
    out.three_sigma[r] = 3.0 * response;
    out.fatigue[r] = fatigue_value(response, out.fn[r], ctx.params, ctx.pi);
    out.relative_disp[r] = std::sqrt(out.relative_disp[r]) * G_IN_PER_S2 / disp_scale;
  }
}

}  // namespace kolmaren
