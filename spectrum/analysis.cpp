#include "spectrum/analysis.h"

#include <cmath>
#include <cstring>

namespace kolmaren {

void clear_context(AnalysisContext& ctx) {
  std::memset(&ctx, 0, sizeof ctx);  // every member is a double or an int
  ctx.pi = std::atan2(0.0, -1.0);
  ctx.two_pi = 2.0 * ctx.pi;
}

namespace {

// Slopes within this band take the logarithmic area, whose general form
// would divide by (s + 1) = 0 at s = -1; both ends belong to the band.
constexpr double LOG_AREA_SLOPE_LOW = -1.0001;
constexpr double LOG_AREA_SLOPE_HIGH = -0.9999;

bool takes_log_area(double slope) {
  return slope >= LOG_AREA_SLOPE_LOW && slope <= LOG_AREA_SLOPE_HIGH;
}

// Area under p(f) = p0 (f / f0)^s between f0 and f1.
double segment_area(double f0, double f1, double p0, double p1, double s) {
  if (takes_log_area(s)) return std::log(f1 / f0) * (p0 * f0);
  return (p1 * f1 - p0 * f0) / (s + 1.0);
}

}  // namespace

double overall_rms(AnalysisContext& ctx, const double* p) {
  double* f = ctx.breakpoints.freq;
  double* s = ctx.slopes.s;
  const int segments = ctx.breakpoints.n - 1;

  std::memset(s, 0, sizeof ctx.slopes.s);
  for (int i = 0; i < segments; ++i) {
    // The floor keeps log10 finite for a 0 Hz breakpoint; a frequency that
    // is not a number fails the test and is raised as well. f[i + 1] is
    // raised, if at all, only after this slope has been taken.
    if (!(f[i] >= FREQ_FLOOR_HZ)) f[i] = FREQ_FLOOR_HZ;
    s[i] = std::log10(p[i + 1] / p[i]) / std::log10(f[i + 1] / f[i]);
  }

  double area = 0.0;
  for (int i = 0; i < segments; ++i) {
    const double term = segment_area(f[i], f[i + 1], p[i], p[i + 1], s[i]);
    area = term + area;
  }
  return std::sqrt(area);
}

double slope_db_per_octave(double loglog_slope) {
  return (std::log10(2.0) * 10.0) * loglog_slope;
}

namespace {

// First segment j >= from whose closed interval [f[j], f[j+1]] holds f, or
// -1 when none does (a breakpoint frequency that is not a number).
int first_segment_holding(const BreakpointTable& bp, double f, int from) {
  for (int j = from; j < bp.n - 1; ++j) {
    if (f >= bp.freq[j] && f <= bp.freq[j + 1]) return j;
  }
  return -1;
}

bool any_frequency_nan(const BreakpointTable& bp) {
  for (int i = 0; i < bp.n; ++i) {
    if (std::isnan(bp.freq[i])) return true;
  }
  return false;
}

}  // namespace

void resample_uniform(AnalysisContext& ctx) {
  const BreakpointTable& bp = ctx.breakpoints;
  UniformGrid& grid = ctx.grid;
  grid.df = GRID_STEP_HZ;
  grid.freq[0] = bp.freq[0];
  grid.level[0] = bp.level[0];
  if (bp.n < 1) {
    grid.count = 0;
    return;
  }
  // The first segment holding a grid frequency never lies before the one
  // that held the previous, lower grid frequency: the breakpoints start at
  // f[0], at or below every grid frequency, so a segment that starts above
  // the previous frequency comes after one that holds it. The search can
  // resume where it last matched, whatever the order of the breakpoints,
  // unless a frequency is not a number and the comparisons break down.
  const bool resume = !any_frequency_nan(bp);
  const double last = bp.freq[bp.n - 1];
  int from = 0;
  int k = 1;
  for (; k < MAX_POINTS; ++k) {
    // From the index, not by adding steps, so no rounding accumulates.
    grid.freq[k] = k * grid.df + bp.freq[0];
    if (grid.freq[k] > last) break;
    const int j = first_segment_holding(bp, grid.freq[k], from);
    if (j < 0) continue;  // no segment: the level keeps what it held
    grid.level[k] = std::pow(grid.freq[k] / bp.freq[j], ctx.slopes.s[j]) * bp.level[j];
    if (resume) from = j;
  }
  // The last point in range is computed but left out of the grid in use.
  grid.count = k - 1;
}

namespace {

// Base PSD in G^2/Hz converted to (inch/sec)^2/Hz (power 2) or inch^2/Hz
// (power 4): divide by (2 pi f)^power.
void convert_levels(AnalysisContext& ctx, double power, double* out) {
  const BreakpointTable& bp = ctx.breakpoints;
  for (int i = 0; i < bp.n; ++i) {
    // The test reads the first frequency for every entry: below 1 Hz the
    // whole table stays zero.
    if (bp.freq[0] >= 1.0) {
      out[i] = (std::pow(G_IN_PER_S2, 2.0) * bp.level[i]) /
               std::pow(ctx.two_pi * bp.freq[i], power);
    }
  }
}

}  // namespace

void derive_velocity_displacement(AnalysisContext& ctx) {
  convert_levels(ctx, 2.0, ctx.velocity);
  ctx.overall.velocity = overall_rms(ctx, ctx.velocity);
  convert_levels(ctx, 4.0, ctx.displacement);
  ctx.overall.displacement = overall_rms(ctx, ctx.displacement);
}

void set_damping(AnalysisParameters& params, long damping_format, double answer) {
  if (damping_format == 1) {
    params.damping_ratio = answer;
  } else {
    params.damping_ratio = 1.0 / (2.0 * answer);  // the answer is Q
  }
  // Q always comes back from the ratio, so a typed Q may return a hair off.
  params.q = 1.0 / (2.0 * params.damping_ratio);
}

void set_fatigue_choice(AnalysisParameters& params, int choice) {
  params.fatigue_choice = choice;
  if (choice == 1) {
    params.fatigue_constant = 8.0;
    params.fatigue_exponent = 4.0;
  } else {
    params.fatigue_constant = 65.93;
    params.fatigue_exponent = 6.4;
  }
}

}  // namespace kolmaren
