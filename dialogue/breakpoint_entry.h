// Taking the input PSD in, from the keyboard or from a file, and the checks
// and echo of the breakpoints once the result files are open.
#pragma once

#include "dialogue/answer_log.h"
#include "dialogue/console.h"
#include "output/result_files.h"
#include "spectrum/analysis.h"

namespace kolmaren {

// Reads "%lf %lf" pairs from source into the table from index 0: pairs with
// a frequency at or below FREQ_FLOOR_HZ are skipped, reading ends at the end,
// at the first item that is not a number or at MAX_POINTS pairs. A frequency
// without its level takes the level read before it. Returns the pairs stored.
int read_breakpoint_pairs(CharSource& source, BreakpointTable& table);

// Outcome of one breakpoint entry.
enum class Entry {
  taken,        // breakpoints stored (possibly none): the analysis can run
  cannot_open,  // the input file could not be opened: ask again
  input_ended,  // the answers ended before any breakpoint could be asked for
};

// Asks the count and the pairs; `stored` is the pairs stored (at most
// MAX_POINTS).
Entry enter_breakpoints_keyboard(Console& console, BreakpointTable& table, int& stored,
                                 AnswerLog& log);

// Asks for a file name and reads its pairs; `stored` is the count.
Entry enter_breakpoints_file(Console& console, BreakpointTable& table, int& stored);

// Warns about descending or negative values and writes every breakpoint to
// a.psd and vrs.in, then closes both.
void check_and_echo_breakpoints(Console& console, const BreakpointTable& table,
                                OutputFiles& files);

}  // namespace kolmaren
