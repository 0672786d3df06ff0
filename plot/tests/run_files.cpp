#include "plot/tests/run_files.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace kolmaren::plot::testing {
namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double G_IN_PER_S2 = 386.0;
constexpr int INTEGRATION_STEPS = 3000;  // log-spaced, over the PSD's band

std::string format(const char* pattern, double a, double b) {
  char text[128];
  std::snprintf(text, sizeof text, pattern, a, b);
  return text;
}

// The PSD between breakpoints is a straight line on log-log axes.
double psd_at(const RunProfile& profile, double f) {
  const auto& bp = profile.breakpoints;
  for (std::size_t i = 0; i + 1 < bp.size(); ++i) {
    if (f >= bp[i].first && f <= bp[i + 1].first) {
      const double slope = std::log(bp[i + 1].second / bp[i].second) / std::log(bp[i + 1].first / bp[i].first);
      return bp[i].second * std::pow(f / bp[i].first, slope);
    }
  }
  return 0.0;
}

// Trapezoidal integral of psd * weight over the PSD's band.
template <typename Weight>
double integrate(const RunProfile& profile, Weight weight) {
  const double low = profile.breakpoints.front().first;
  const double ratio = profile.breakpoints.back().first / low;
  double sum = 0.0;
  double previous_f = low;
  double previous_value = psd_at(profile, low) * weight(low);
  for (int i = 1; i <= INTEGRATION_STEPS; ++i) {
    const double f = low * std::pow(ratio, static_cast<double>(i) / INTEGRATION_STEPS);
    const double value = psd_at(profile, f) * weight(f);
    sum += 0.5 * (value + previous_value) * (f - previous_f);
    previous_f = f;
    previous_value = value;
  }
  return sum;
}

// Base-excited oscillator: absolute acceleration transmissibility squared.
double transmissibility_squared(double f, double fn, double damping) {
  const double r = f / fn;
  const double two_zeta_r = 2.0 * damping * r;
  return (1.0 + two_zeta_r * two_zeta_r) / ((1.0 - r * r) * (1.0 - r * r) + two_zeta_r * two_zeta_r);
}

struct Row {
  double fn;
  double response;
};

std::vector<Row> response_rows(const RunProfile& profile) {
  std::vector<Row> rows;
  for (int k = 0; k < SPECTRUM_ROWS; ++k) {
    const double fn = 5.0 * std::pow(2.0, k / 24.0);
    const double mean_square =
        integrate(profile, [&](double f) { return transmissibility_squared(f, fn, profile.damping); });
    rows.push_back({fn, std::sqrt(mean_square)});
  }
  return rows;
}

std::string exponent_tag(double exponent) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", exponent);
  std::string tag = text;
  for (char& c : tag) {
    if (c == '.') c = 'p';
  }
  return tag;
}

void write_spectra(const std::filesystem::path& directory, const RunProfile& profile) {
  std::string vrs;
  std::string tsvrs;
  std::string rd;
  const std::vector<Row> rows = response_rows(profile);
  for (const Row& row : rows) {
    const double omega = 2.0 * PI * row.fn;
    vrs += format("%lf %10.5g\n", row.fn, row.response);
    tsvrs += format("%lf %10.5g\n", row.fn, 3.0 * row.response);
    rd += format("%lf %12.3e\n", row.fn, row.response * G_IN_PER_S2 / (omega * omega));
  }
  write_file(directory / "vrs.txt", vrs);
  write_file(directory / "tsvrs.txt", tsvrs);
  write_file(directory / "rd_vrs.txt", rd);
  // A damage-like measure, cycles times response^b: the page only needs
  // its shape and its many decades.
  for (double exponent : profile.exponents) {
    std::string fatigue;
    for (const Row& row : rows) {
      fatigue += format("%lf \t %10.5g\n", row.fn, row.fn * profile.duration * std::pow(row.response, exponent));
    }
    write_file(directory / fatigue_file_name(profile.damping, exponent), fatigue);
  }
}

void write_report(const std::filesystem::path& directory, const RunProfile& profile) {
  std::string report = "\n";
  report += format("\n damping = %5.3lf \n\n", profile.damping, 0.0);
  report += "\n\n";
  report += "  Freq(Hz)     Accel(G^2/Hz)\n";
  for (const auto& [f, level] : profile.breakpoints) report += format("  %8.2lf  %10.4g\n", f, level);
  report += "\n";
  report += format(" Overall acceleration = %10.3lf GRMS\n", overall_grms(profile), 0.0);
  report += "\n  fn(Hz)   Response(GRMS)\n";
  write_file(directory / "vrs.out", report);
}

}  // namespace

double overall_grms(const RunProfile& profile) {
  return std::sqrt(integrate(profile, [](double) { return 1.0; }));
}

std::string overall_text(const RunProfile& profile) { return format("%.3f", overall_grms(profile), 0.0); }

std::string fatigue_file_name(double damping, double exponent) {
  const int q = static_cast<int>(std::lround(1.0 / (2.0 * damping)));
  return "random_Q" + std::to_string(q) + "_b" + exponent_tag(exponent) + ".txt";
}

void write_run(const std::filesystem::path& directory, const RunProfile& profile) {
  std::filesystem::create_directories(directory);
  std::string psd;
  for (const auto& [f, level] : profile.breakpoints) psd += format("%lf %10.5g \n", f, level);
  write_file(directory / "a.psd", psd);
  write_spectra(directory, profile);
  write_report(directory, profile);
}

void write_file(const std::filesystem::path& file, const std::string& text) {
  std::ofstream out(file, std::ios::binary);
  out << text;
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

std::string read_file(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + file.string());
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace kolmaren::plot::testing
