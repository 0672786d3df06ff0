// Response spectrum sweep of a single-degree-of-freedom system over the
// uniform grid: acceleration response, fatigue value and relative
// displacement at 5 Hz * 2^(k/24).
#pragma once

#include "spectrum/analysis.h"

namespace kolmaren {

// Natural frequencies by a running product from SWEEP_START_HZ while the
// next one stays at or below SWEEP_MAX_HZ; returns how many (264).
int natural_frequencies(double* fn);

// Both sums of the sweep for every natural frequency: acceleration
// transmissibility sum(H L df) and relative displacement sum(w L df) with
// the first grid term of the latter halved. Vectorised across the rows; grid
// points are taken in index order and every accumulator sees the same
// operations in the same order as in sweep_sums_reference, so the results
// agree bit for bit; only where two NaNs of different sign or payload meet
// may the one passed on differ, as the compiler orders the operands of + and
// *. fn, accel_sum and disp_sum must not overlap.
void sweep_sums(const UniformGrid& grid, double zeta, const double* fn, int rows,
                double* accel_sum, double* disp_sum);

// The same sums by the plain per-frequency loop; the kernel's yardstick.
void sweep_sums_reference(const UniformGrid& grid, double zeta, const double* fn,
                          int rows, double* accel_sum, double* disp_sum);

// Fatigue value of one row from its response R, in the fixed sub-steps that
// decide the value also for R = 0 (not a number there).
double fatigue_value(double response, double fn, const AnalysisParameters& params,
                     double pi);

// Fills ctx.sweep: every row's R, 3 R, fatigue value and relative displacement.
void compute_sweep(AnalysisContext& ctx);

}  // namespace kolmaren
