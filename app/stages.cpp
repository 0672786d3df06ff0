#include "app/stages.h"

#include "output/formats.h"
#include "spectrum/sweep.h"

namespace kolmaren {

bool open_fatigue_file(Console& console, const AnalysisParameters& params,
                       OutputFiles& files) {
  console.printf("\n  Q=%lf \n", params.q);
  console.printf("\n fe=%lf \n", params.fatigue_exponent);
  char name[FILE_NAME_CAPACITY];
  fatigue_file_name(params.q, params.fatigue_exponent, params.fatigue_choice, name);
  return open_result_file(files, FATIGUE_FILE, name);
}

void resample_to_grid_file(AnalysisContext& ctx, OutputFiles& files) {
  resample_uniform(ctx);
  const UniformGrid& grid = ctx.grid;
  for (int k = 0; k < grid.count; ++k)
    write_line(files, A_INT, spectrum_row(grid.freq[k], grid.level[k]));
  close_result_file(files, A_INT);
}

namespace {

void show_and_write(Console& console, OutputFiles& files, const Line& line) {
  console.print(line);
  write_line(files, VRS_OUT, line);
}

}  // namespace

void print_input_table(Console& console, const AnalysisContext& ctx, OutputFiles& files) {
  const BreakpointTable& bp = ctx.breakpoints;
  const Line heading[] = {format_line(INPUT_RULE), format_line(INPUT_NAMES),
                          format_line(INPUT_UNITS),
                          input_first_row(bp.freq[0], bp.level[0])};
  for (const Line& line : heading) console.print(line);
  for (const Line& line : heading) write_line(files, VRS_OUT, line);
  for (int i = 0; i + 1 < bp.n; ++i) {
    const double slope = ctx.slopes.s[i];
    show_and_write(console, files, input_row(bp.freq[i + 1], bp.level[i + 1], slope,
                                             slope_db_per_octave(slope)));
  }
}

void print_overall_summary(Console& console, const OverallValues& overall,
                           OutputFiles& files) {
  write_line(files, VRS_OUT, overall_acceleration_line(overall.acceleration));
  console << "\n Overall Acceleration = " << overall.acceleration << " GRMS ";
  console.endl();
  console << " Overall Velocity     = " << overall.velocity << " (inch RMS)/sec";
  console.endl();
  console << " Overall Displacement = " << overall.displacement << " (inch RMS)";
  console.endl();
  console << " Overall Displacement = " << overall.displacement * 3.0
          << " (inch three sigma)";
  console.endl();
  console << "\n  Input points written to file:  vrs.in ";
  console.endl();
}

namespace {

void write_sweep_row(OutputFiles& files, const SweepResults& sweep, int r) {
  const double fn = sweep.fn[r];
  write_line(files, VRS_TXT, spectrum_row(fn, sweep.response[r]));
  write_line(files, TSVRS_TXT, spectrum_row(fn, sweep.three_sigma[r]));
  write_line(files, VRS_OUT, response_row(fn, sweep.response[r], sweep.three_sigma[r]));
  write_line(files, FATIGUE_FILE, fatigue_row(fn, sweep.fatigue[r]));
  write_line(files, RD_VRS_TXT, rd_vrs_row(fn, sweep.relative_disp[r]));
}

}  // namespace

void sweep_response(Console& console, AnalysisContext& ctx, OutputFiles& files) {
  console.print("\n*********Output Parameters************************ \n");
  write_text(files, VRS_OUT, RESPONSE_RULE);
  write_text(files, VRS_OUT, RESPONSE_NAMES);
  write_text(files, VRS_OUT, RESPONSE_UNITS);
  console.print("\n calculating..");
  // The sums of all rows are formed together, one grid point at a time, so
  // the dots follow the rows as they are written rather than computed.
  compute_sweep(ctx);
  int progress = 0;
  for (int r = 0; r < ctx.sweep.rows; ++r) {
    if (++progress == PROGRESS_DOT_PERIOD) {
      console.print(".");
      progress = 0;
    }
    write_sweep_row(files, ctx.sweep, r);
  }
  close_result_file(files, VRS_TXT);
  close_result_file(files, TSVRS_TXT);
  close_result_file(files, VRS_OUT);
  close_result_file(files, RD_VRS_TXT);
}

}  // namespace kolmaren
