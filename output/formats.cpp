#include "output/formats.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "spectrum/analysis.h"

namespace kolmaren {

Line apsd_row(double freq_hz, double level) { return format_line(APSD_ROW, freq_hz, level); }
Line vrsin_row(double freq_hz, double level) { return format_line(VRSIN_ROW, freq_hz, level); }
Line spectrum_row(double freq_hz, double value) {
  return format_line(SPECTRUM_ROW, freq_hz, value);
}
Line fatigue_row(double fn_hz, double fatigue) {
  return format_line(FATIGUE_ROW, fn_hz, fatigue);
}
Line rd_vrs_row(double fn_hz, double inch_rms) {
  return format_line(RD_VRS_ROW, fn_hz, inch_rms);
}
Line damping_line(double damping_ratio) { return format_line(DAMPING_LINE, damping_ratio); }
Line input_first_row(double freq_hz, double level) {
  return format_line(INPUT_FIRST_ROW, freq_hz, level);
}
Line input_row(double freq_hz, double level, double slope, double db_per_octave) {
  return format_line(INPUT_ROW, freq_hz, level, slope, db_per_octave);
}
Line overall_acceleration_line(double grms) { return format_line(OVERALL_ACCEL_LINE, grms); }
Line response_row(double fn_hz, double grms, double three_sigma) {
  return format_line(RESPONSE_ROW, fn_hz, grms, three_sigma);
}

long whole_part_int32(double value) {
  if (std::isnan(value)) return 0;
  const double whole = std::trunc(value);
  if (whole >= static_cast<double>(INT32_MAX)) return INT32_MAX;
  if (whole <= static_cast<double>(INT32_MIN)) return INT32_MIN;
  return static_cast<long>(whole);
}

void fatigue_file_name(double q, double fatigue_exponent, int fatigue_choice,
                       char* name) {
  // Only the menu answer 1 gives the exponent 4.0; every other answer is 6.4.
  const char* fraction = fatigue_choice == 1 ? "" : "p4";
  std::snprintf(name, FILE_NAME_CAPACITY, "random_Q%ld_b%ld%s.txt",
                whole_part_int32(q), whole_part_int32(fatigue_exponent), fraction);
}

}  // namespace kolmaren
