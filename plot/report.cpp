#include "plot/report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "plot/series.h"

namespace kolmaren::plot {
namespace {

constexpr std::string_view BLANKS = " \t\r";

// Q is shown as known while the damping's rounding moves it by at most
// this much either way.
constexpr double MAX_Q_DOUBT = 0.5;

// Digits after the decimal point of a printed number ("0.050": 3).
int decimals(const std::string& number) {
  const std::size_t point = number.find('.');
  if (point == std::string::npos) return 0;
  std::size_t end = point + 1;
  while (end < number.size() && number[end] >= '0' && number[end] <= '9') ++end;
  return static_cast<int>(end - point - 1);
}

struct Found {
  int line = 0;  // 0: no such line
  std::string value;
};

// The first word after "<key> =" on the first line holding the key.
Found find_value(std::string_view text, std::string_view key) {
  int line_number = 0;
  for (const std::string_view line : lines_of(text)) {
    ++line_number;
    const std::size_t at = line.find(key);
    if (at == std::string_view::npos) continue;
    std::string_view rest = line.substr(at + key.size());
    const std::size_t first = rest.find_first_not_of(BLANKS);
    if (first == std::string_view::npos || rest[first] != '=') continue;
    rest.remove_prefix(first + 1);
    const std::size_t word = rest.find_first_not_of(BLANKS);
    if (word == std::string_view::npos) return {line_number, {}};
    rest.remove_prefix(word);
    return {line_number, std::string(rest.substr(0, rest.find_first_of(BLANKS)))};
  }
  return {};
}

// The value as a finite number, or a message saying why not.
std::optional<double> finite_value(const Found& found, const std::string& name,
                                   std::string_view what, std::vector<std::string>& messages) {
  const std::string where = name + ":" + std::to_string(found.line) + ": ";
  const std::optional<double> value = parse_number(found.value);
  if (!value) {
    messages.push_back(where + std::string(what) + " '" + found.value + "' is not a number");
  } else if (!std::isfinite(*value)) {
    messages.push_back(where + std::string(what) + " '" + found.value + "' is not a finite number");
  } else {
    return value;
  }
  return std::nullopt;
}

// `value` rounded to `digits` significant digits and written without an
// exponent or trailing zeros: 100 rather than 1e+02, 10 rather than 10.0.
std::string significant(double value, int digits) {
  const int magnitude = static_cast<int>(std::floor(std::log10(value)));
  const double unit = std::pow(10.0, magnitude - digits + 1);
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%.*f", std::max(0, digits - 1 - magnitude),
                std::round(value / unit) * unit);
  std::string text = buffer;
  if (text.find('.') != std::string::npos) {
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
  }
  return text;
}

}  // namespace

RunReport parse_report(std::string_view text, const std::string& name) {
  RunReport report;
  const Found damping = find_value(text, "damping");
  if (damping.line == 0) {
    report.messages.push_back(name + ": no 'damping =' line; Q left out of the legends");
  } else {
    report.damping = finite_value(damping, name, "damping", report.messages);
    report.damping_text = damping.value;
  }
  const Found overall = find_value(text, "Overall acceleration");
  if (overall.line == 0) {
    report.messages.push_back(name + ": no 'Overall acceleration =' line; overall acceleration not shown");
  } else if (finite_value(overall, name, "overall acceleration", report.messages)) {
    report.overall = overall.value;
  }
  if (report.damping && *report.damping <= 0.0) {
    report.messages.push_back(name + ":" + std::to_string(damping.line) + ": damping " +
                              damping.value + " gives no finite Q; Q left out of the legends");
  }
  return report;
}

std::optional<std::string> q_text(const RunReport& report) {
  if (!report.damping || *report.damping <= 0.0) return std::nullopt;
  const double damping = *report.damping;
  const double half_step = 0.5 * std::pow(10.0, -decimals(report.damping_text));
  const double q = 1.0 / (2.0 * damping);
  const double q_spread = damping > half_step
                              ? 1.0 / (2.0 * (damping - half_step)) - 1.0 / (2.0 * (damping + half_step))
                              : INFINITY;
  if (q_spread <= 2.0 * MAX_Q_DOUBT) return "Q = " + significant(q, 3);
  return "Q ≈ " + significant(q, 2);
}

}  // namespace kolmaren::plot
