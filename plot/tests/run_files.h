// Result files of a kolmaren run, written in the exact line formats kolmaren
// uses, from a small single-degree-of-freedom model so that the curves have
// the shapes an engineer expects to see.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace kolmaren::plot::testing {

inline constexpr int SPECTRUM_ROWS = 264;  // fn = 5 * 2^(k/24), 5 .. 9948.49 Hz

struct RunProfile {
  std::vector<std::pair<double, double>> breakpoints{{20.0, 0.01}, {80.0, 0.04}, {350.0, 0.04},
                                                     {2000.0, 0.007}};
  double damping = 0.05;
  double duration = 60.0;           // s
  std::vector<double> exponents{4.0};  // one fatigue file each: 4.0 or 6.4
};

double overall_grms(const RunProfile& profile);

// The overall acceleration as vrs.out prints it, without the padding.
std::string overall_text(const RunProfile& profile);

// The name kolmaren gives the fatigue file, e.g. random_Q10_b6p4.txt.
std::string fatigue_file_name(double damping, double exponent);

// Writes a.psd, vrs.txt, tsvrs.txt, rd_vrs.txt, vrs.out and the fatigue files.
void write_run(const std::filesystem::path& directory, const RunProfile& profile);

void write_file(const std::filesystem::path& file, const std::string& text);
std::string read_file(const std::filesystem::path& file);

}  // namespace kolmaren::plot::testing
