// Taking the input PSD in, from the keyboard or from a file, and the checks
// and echo of the breakpoints once the result files are open.
#pragma once

#include "dialogue/answer_log.h"
#include "dialogue/console.h"
#include "output/result_files.h"
#include "spectrum/analysis.h"

namespace kolmaren {

// Marks an attempt whose input file could not be opened.
inline constexpr int INPUT_FILE_ERROR = 999;

// Reads "%lf %lf" pairs from source into the table from index 0: pairs with
// a frequency at or below FREQ_FLOOR_HZ are skipped, reading ends at the end,
// at the first item that is not a number or at MAX_POINTS pairs. A frequency
// without its level takes the level read before it. Returns the pairs stored.
int read_breakpoint_pairs(CharSource& source, BreakpointTable& table);

// Asks the count and the pairs; returns the pairs stored (at most MAX_POINTS).
int enter_breakpoints_keyboard(Console& console, BreakpointTable& table,
                               AnswerLog& log);

// Outcome of asking for the input file.
enum class FileEntry { read, cannot_open, input_ended };

// Asks for a file name and reads its pairs; `stored` is the count.
FileEntry enter_breakpoints_file(Console& console, BreakpointTable& table, int& stored);

// Warns about descending or negative values and writes every breakpoint to
// a.psd and vrs.in, then closes both.
void check_and_echo_breakpoints(Console& console, const BreakpointTable& table,
                                OutputFiles& files);

}  // namespace kolmaren
