// The two figures that the page needs from a run's text report vrs.out: the
// damping ratio (for Q in the legends) and the overall acceleration (for the
// title and the legends).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kolmaren::plot {

struct RunReport {
  std::optional<double> damping;       // fraction of critical damping
  std::string damping_text;            // as the report prints it, e.g. "0.050"
  std::optional<std::string> overall;  // GRMS, as the report prints it
  std::vector<std::string> messages;
};

RunReport parse_report(std::string_view text, const std::string& name);

// Q = 1 / (2 damping) for the legends: "Q = 10", or "Q ≈ 100" where the
// damping's printed digits leave Q uncertain by more than one either way
// (a typed Q of 93 is a damping of 0.0053763, which "%5.3lf" prints as
// 0.005); nullopt when there is no finite positive Q to show.
std::optional<std::string> q_text(const RunReport& report);

}  // namespace kolmaren::plot
