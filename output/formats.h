// Every line kolmaren writes to a result file, and the console lines that
// show the same text. Each format is the program's own and is written
// exactly: blanks, tabs and line ends included.
#pragma once

#include "output/line.h"

namespace kolmaren {

// a.psd and vrs.in: the breakpoints as entered.
inline constexpr char APSD_ROW[] = "%lf %10.5g \n";
inline constexpr char VRSIN_ROW[] = "%12.4g %12.4g \n";
Line apsd_row(double freq_hz, double level);
Line vrsin_row(double freq_hz, double level);

// a.int, vrs.txt, tsvrs.txt: frequency and value.
inline constexpr char SPECTRUM_ROW[] = "%lf %10.5g\n";
Line spectrum_row(double freq_hz, double value);

// The fatigue spectrum file: blank, tab, blank between the columns.
inline constexpr char FATIGUE_ROW[] = "%lf \t %10.5g\n";
Line fatigue_row(double fn_hz, double fatigue);

// rd_vrs.txt: relative displacement in inch RMS.
inline constexpr char RD_VRS_ROW[] = "%lf %12.3e\n";
Line rd_vrs_row(double fn_hz, double inch_rms);

// vrs.out: the damping line, its first text.
inline constexpr char DAMPING_LINE[] = "\n damping = %5.3lf \n\n";
Line damping_line(double damping_ratio);

// vrs.out: the input table, shown on the console as well.
inline constexpr char INPUT_RULE[] = "\n*********Input Parameters************************ \n";
inline constexpr char INPUT_NAMES[] = "     Freq        PSD        Slope       Slope  \n";
inline constexpr char INPUT_UNITS[] = "     (Hz)      (G^2/Hz)     log-log    (dB/octave) \n";
inline constexpr char INPUT_FIRST_ROW[] = "   %6.1lf    %lf \n";
inline constexpr char INPUT_ROW[] = "   %6.1lf    %lf    %lf     %lf  \n";
Line input_first_row(double freq_hz, double level);
Line input_row(double freq_hz, double level, double slope, double db_per_octave);

// vrs.out: the overall-acceleration line.
inline constexpr char OVERALL_ACCEL_LINE[] = "\n Overall acceleration = %10.3lf GRMS\n";
Line overall_acceleration_line(double grms);

// vrs.out: the response heading and rows. The second heading text has no
// line end of its own: the third one starts with it.
inline constexpr char RESPONSE_RULE[] = "\n*********Output Parameters***************\n";
inline constexpr char RESPONSE_NAMES[] = "\n     fn       Response     Response";
inline constexpr char RESPONSE_UNITS[] = "\n    (Hz)      (GRMS)       (3 sigma) \n";
inline constexpr char RESPONSE_ROW[] = "%10.2lf %10.3lf %10.3lf\n";
Line response_row(double fn_hz, double grms, double three_sigma);

// Integer part of a value, cut toward zero, as a signed 32-bit number.
// Values beyond that range (and infinities) saturate; not a number gives 0,
// so the text always stays a decimal integer of at most 11 characters.
long whole_part_int32(double value);

// random_Q<Q>_b<exponent>.txt, e.g. random_Q10_b4.txt or random_Q10_b6p4.txt.
// Writes into name[FILE_NAME_CAPACITY].
void fatigue_file_name(double q, double fatigue_exponent, int fatigue_choice,
                       char* name);

}  // namespace kolmaren
