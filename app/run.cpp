#include "app/run.h"

#include "app/stages.h"
#include "dialogue/breakpoint_entry.h"
#include "dialogue/parameters.h"

namespace kolmaren {

namespace {

// Attempt state: asking for the input (again), or done after an analysis.
constexpr int ATTEMPT_INPUT = 1;
constexpr int ATTEMPT_DONE = 9999;

void print_banner(Console& console) {
  console.print("\t\t\t\t\t\t\t\t\t\t\t\n");
  console.print(" kolmaren  ver 1.1, June 20, 2008\t\n");
  console.print("\t\t\t\t\t\t\t\t\t\t\t\n");
  console.print("\t\t\t\t\t\t\t\t\t\t\t\n");
  console.print(" This program calculates the acceleration vibration response \n");
  console.print(" spectrum of a single-degree-of-freedom system to a          \n");
  console.print(" power spectral density input to the base of the system.   \n\n");
  console.print(" The power spectral density may vary arbitrarily with frequency. \n");
  console.print(" Natural frequency is an independent variable.  Damping is fixed.\n\n");
  console.print(" This program also implements the fatigue calculation     \n");
  console.print(" Use of Vibration Response Spectrum (VRS) and Fatigue     \n");
  console.print(" Equivalence Methods for Qualification Status Comparisons, 2004 \n\n");
}

void print_closing(Console& console, const OutputFiles& files) {
  const char* lines[] = {"\n\n Acceleration Output files",
                         "      vrs.txt - fn(Hz) and Response(GRMS)    ",
                         "    tsvrs.txt - fn(Hz) and Response(3 sigma) ",
                         "      vrs.out - text output",
                         "\n\n Relative Displacement Output file",
                         "   rd_vrs.txt - fn(Hz) and Response(inch RMS)  "};
  for (const char* line : lines) {
    console << line;
    console.endl();
  }
  console << " \n Please call the *.txt files into your own plotting program.\n";
  console.print("\n Fatigue response spectrum output file:\n");
  console.printf("\n        %s - fn(Hz) and Fatigue (R) \n\n",
                 files.entry[FATIGUE_FILE].name);
  console.print("\n Press any key to exit");
}

// The analysis of accepted breakpoints, from opening the result files to the
// sweep. The order is load-bearing: the grid and the input table read the
// acceleration slopes, which the velocity and displacement stage overwrites.
RunOutcome run_sequence(Console& console, AnalysisContext& ctx, OutputFiles& files,
                        int stored, AnswerLog& log) {
  if (!open_output_files(files)) return RunOutcome::cannot_create;
  ctx.breakpoints.n = stored;
  check_and_echo_breakpoints(console, ctx.breakpoints, files);
  ask_analysis_parameters(console, ctx.params, files, log);
  if (!open_fatigue_file(console, ctx.params, files)) return RunOutcome::cannot_create;
  const double acceleration = overall_rms(ctx, ctx.breakpoints.level);
  resample_to_grid_file(ctx, files);
  ctx.overall.acceleration = acceleration;
  print_input_table(console, ctx, files);
  derive_velocity_displacement(ctx);
  print_overall_summary(console, ctx.overall, files);
  sweep_response(console, ctx, files);
  return RunOutcome::completed;
}

}  // namespace

RunResult run_kolmaren(Console& console, AnalysisContext& ctx, OutputFiles& files,
                       AnswerLog& log, const std::function<void()>& wait_for_key) {
  print_banner(console);
  int attempt = ATTEMPT_INPUT;
  int failed_attempts = 0;
  while (attempt == ATTEMPT_INPUT) {
    console << " Select data input method \n" << " 1=keyboard  2=file       \n";
    int method = 0;
    const ReadResult answer = console.answers().extract_int(method);
    if (answer == ReadResult::end_of_input) return {RunOutcome::input_ended, "the input method"};
    if (answer != ReadResult::value) method = 0;  // not a number: file entry
    int stored = 0;
    const Entry entry = method == 1
                            ? enter_breakpoints_keyboard(console, ctx.breakpoints, stored, log)
                            : enter_breakpoints_file(console, ctx.breakpoints, stored);
    if (entry == Entry::input_ended)
      return {RunOutcome::input_ended,
              method == 1 ? "the number of breakpoints" : "the input file name"};
    console << " ";
    console.endl();
    if (entry == Entry::cannot_open) {
      if (++failed_attempts == MAX_FAILED_ATTEMPTS) return {RunOutcome::no_input_file, nullptr};
      continue;  // ask for the input again
    }

    const RunOutcome outcome = run_sequence(console, ctx, files, stored, log);
    if (outcome != RunOutcome::completed) return {outcome, nullptr};
    print_closing(console, files);
    attempt = ATTEMPT_DONE;
  }
  // Everything written is on disk before the wait, so closing the window
  // at the prompt loses nothing.
  console.flush();
  flush_result_file(files, FATIGUE_FILE);
  wait_for_key();
  return {RunOutcome::completed, nullptr};
}

}  // namespace kolmaren
