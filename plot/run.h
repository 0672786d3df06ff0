// Everything one run directory holds for the page, read with complaints.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "plot/report.h"
#include "plot/series.h"

namespace kolmaren::plot {

// What a fatigue file's name says: random_Q<Q>_b<exponent>.txt, where the
// exponent is written with 'p' for the decimal point (b6p4 is 6.4).
struct FatigueName {
  std::string q;         // as in the name, e.g. "-10"
  std::string exponent;  // with a decimal point, e.g. "6.4"
  int q_value = 0;
  double exponent_value = 0.0;
};

std::optional<FatigueName> parse_fatigue_name(std::string_view file_name);

// The shell pattern random_Q*_b*.txt, which also takes names that
// parse_fatigue_name does not understand.
bool is_fatigue_file_name(std::string_view file_name);

struct FatigueCurve {
  std::string file_name;
  std::optional<FatigueName> name;
  Series series;
};

struct Run {
  std::string label;      // the directory as legends and the title name it
  Series psd;             // a.psd
  Series response;        // vrs.txt
  Series three_sigma;     // tsvrs.txt
  Series displacement;    // rd_vrs.txt
  std::vector<FatigueCurve> fatigue;  // by Q, then exponent
  RunReport report;                   // vrs.out
  std::vector<std::string> messages;  // about the directory itself
};

// The name a directory argument goes by: as typed, but "." or ".." become
// the directory's own name, which is what tells two runs apart.
std::string directory_label(const std::string& directory);

Run load_run(const std::string& directory);

// Every message of the run in file order, ready for stderr.
std::vector<std::string> run_messages(const Run& run);

bool has_points(const Run& run);

}  // namespace kolmaren::plot
