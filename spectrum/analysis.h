// The analysis context of one kolmaren run: the shared types, the constants
// and the numerical stages that work on them. Nothing in spectrum/ touches
// the console or a file, so every stage can be tested on its own.
#pragma once

namespace kolmaren {

// Capacity of every table. Breakpoint files are cut at this many pairs and
// the uniform grid uses at most MAX_POINTS - 1 points, so an analysis never
// needs more and the context can be fixed storage set up once.
inline constexpr int MAX_POINTS = 5000;

inline constexpr double GRID_STEP_HZ = 1.0;    // width of one uniform grid band, Hz
inline constexpr double G_IN_PER_S2 = 386.0;   // one G in inch/sec^2
inline constexpr double FREQ_FLOOR_HZ = 0.0001;  // keeps log10(f) finite for f = 0

// File names live in buffers of this size, terminator included.
inline constexpr int FILE_NAME_CAPACITY = 260;

// Response sweep: natural frequencies 5 Hz * 2^(k/24) while <= 10 kHz.
inline constexpr double SWEEP_START_HZ = 5.0;
inline constexpr double SWEEP_STEP_OCTAVES = 1.0 / 24.0;
inline constexpr double SWEEP_MAX_HZ = 10000.0;
inline constexpr int SWEEP_MAX_ROWS = 1000;
inline constexpr int PROGRESS_DOT_PERIOD = 15;  // sweep rows per console dot

// Input PSD: breakpoints joined by straight lines on log-log axes, kept in
// input order (nothing sorts them).
struct BreakpointTable {
  double freq[MAX_POINTS];   // Hz
  double level[MAX_POINTS];  // G^2/Hz
  int n;
};

// Log-log slope of segment i (breakpoint i to i + 1) of the table that
// overall_rms integrated last; every other entry is 0.0.
struct SlopeTable {
  double s[MAX_POINTS];
};

// The input PSD resampled every GRID_STEP_HZ from the first breakpoint.
struct UniformGrid {
  double df;                 // grid step, Hz
  double freq[MAX_POINTS];   // Hz
  double level[MAX_POINTS];  // G^2/Hz
  int count;                 // points in use, at most MAX_POINTS - 1
};

struct AnalysisParameters {
  double duration;           // s
  int fatigue_choice;        // the menu answer: 1 picks exponent 4.0
  double fatigue_exponent;   // b: 4.0 or 6.4
  double fatigue_constant;   // C: 8.0 or 65.93
  double damping_ratio;      // zeta, fraction of critical damping
  double q;                  // amplification factor 1 / (2 zeta)
};

struct OverallValues {
  double acceleration;  // GRMS
  double velocity;      // inch RMS per second
  double displacement;  // inch RMS
};

// One row per natural frequency of the sweep.
struct SweepResults {
  int rows;
  double fn[SWEEP_MAX_ROWS];                 // natural frequency, Hz
  double response[SWEEP_MAX_ROWS];           // R, GRMS
  double three_sigma[SWEEP_MAX_ROWS];        // 3 R, GRMS
  double fatigue[SWEEP_MAX_ROWS];            // fatigue value
  double relative_disp[SWEEP_MAX_ROWS];      // inch RMS
};

struct AnalysisContext {
  double pi;      // atan2(0.0, -1.0), set at start-up
  double two_pi;  // 2.0 * pi
  BreakpointTable breakpoints;
  SlopeTable slopes;
  UniformGrid grid;
  double velocity[MAX_POINTS];      // (inch/sec)^2/Hz, parallel to breakpoints
  double displacement[MAX_POINTS];  // inch^2/Hz, parallel to breakpoints
  AnalysisParameters params;
  OverallValues overall;
  SweepResults sweep;
};

// Start-up state: pi and 2 pi set, every table and value 0.0.
void clear_context(AnalysisContext& ctx);

// Slopes of `levels` (parallel to the breakpoint frequencies) into the
// SlopeTable and the square root of the closed-form log-log area. Raises
// frequencies 0 .. n-2 below FREQ_FLOOR_HZ in place.
double overall_rms(AnalysisContext& ctx, const double* levels);

// A log-log slope in dB per octave.
double slope_db_per_octave(double loglog_slope);

// Fills the UniformGrid from the breakpoints and the acceleration slopes.
void resample_uniform(AnalysisContext& ctx);

// Velocity and displacement tables and their overall values.
void derive_velocity_displacement(AnalysisContext& ctx);

// Damping ratio and Q from the answers of the damping question: a damping
// ratio (format 1) or Q (any other format).
void set_damping(AnalysisParameters& params, long damping_format, double answer);

// Exponent and constant from the fatigue exponent menu answer.
void set_fatigue_choice(AnalysisParameters& params, int choice);

}  // namespace kolmaren
