// The run driver: banner, attempt loop, the run sequence in its fixed
// order, the closing text and the exit key.
#pragma once

#include <functional>

#include "dialogue/answer_log.h"
#include "dialogue/console.h"
#include "output/result_files.h"
#include "spectrum/analysis.h"

namespace kolmaren {

enum class RunOutcome {
  completed,        // the analysis ran and the closing text was shown
  input_ended,      // the answers ran out before an analysis could start
  no_input_file,    // MAX_FAILED_ATTEMPTS input files in a row could not be opened
  cannot_create,    // a result file could not be created; files.first_failure says which
};

// Input files that cannot be opened lead to another attempt, but endless
// answers of that kind (`yes | kolmaren`) must not run and print forever.
inline constexpr int MAX_FAILED_ATTEMPTS = 1000;

struct RunResult {
  RunOutcome outcome;
  const char* unanswered;  // for input_ended: the question left without answer
};

// One run of kolmaren on a cleared context. wait_for_key is the exit key.
RunResult run_kolmaren(Console& console, AnalysisContext& ctx, OutputFiles& files,
                       AnswerLog& log, const std::function<void()>& wait_for_key);

}  // namespace kolmaren
