// The stages of the run sequence that join the numerics of spectrum/ with
// the console and the result files.
#pragma once

#include "dialogue/console.h"
#include "output/result_files.h"
#include "spectrum/analysis.h"

namespace kolmaren {

// Shows Q and the fatigue exponent, names the fatigue spectrum file from
// them and creates it. False when it cannot be created.
bool open_fatigue_file(Console& console, const AnalysisParameters& params,
                       OutputFiles& files);

// Builds the uniform grid, writes it to a.int and closes that file.
void resample_to_grid_file(AnalysisContext& ctx, OutputFiles& files);

// The breakpoints with their acceleration slopes, on the console and in vrs.out.
void print_input_table(Console& console, const AnalysisContext& ctx, OutputFiles& files);

// The overall-acceleration line of vrs.out and the console summary.
void print_overall_summary(Console& console, const OverallValues& overall,
                           OutputFiles& files);

// The response sweep: heading and progress dots on the console, one row per
// natural frequency in five files, four of them closed at its end.
void sweep_response(Console& console, AnalysisContext& ctx, OutputFiles& files);

}  // namespace kolmaren
