// The three analysis parameters: duration, fatigue exponent and damping.
#pragma once

#include "dialogue/answer_log.h"
#include "dialogue/console.h"
#include "output/result_files.h"
#include "spectrum/analysis.h"

namespace kolmaren {

// Asks duration, fatigue exponent and damping (ratio or Q), fills params and
// writes the damping line to vrs.out.
void ask_analysis_parameters(Console& console, AnalysisParameters& params,
                             OutputFiles& files, AnswerLog& log);

}  // namespace kolmaren
