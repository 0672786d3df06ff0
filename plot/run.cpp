#include "plot/run.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <system_error>
#include <tuple>

namespace kolmaren::plot {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view FATIGUE_PREFIX = "random_Q";
constexpr std::string_view FATIGUE_SUFFIX = ".txt";

bool all_digits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(),
                                      [](char c) { return c >= '0' && c <= '9'; });
}

// "4" or "6p4" as a decimal number.
std::optional<std::string> exponent_from_name(std::string_view text) {
  const std::size_t p = text.find('p');
  if (p == std::string_view::npos) {
    if (!all_digits(text)) return std::nullopt;
    return std::string(text);
  }
  const std::string_view whole = text.substr(0, p);
  const std::string_view fraction = text.substr(p + 1);
  if (!all_digits(whole) || !all_digits(fraction)) return std::nullopt;
  return std::string(whole) + "." + std::string(fraction);
}

// The name a file inside the directory goes by in messages.
std::string file_label(const std::string& directory, std::string_view file) {
  return (fs::path(directory) / file).lexically_normal().string();
}

std::vector<FatigueCurve> load_fatigue(const std::string& directory, const std::vector<std::string>& names) {
  std::vector<FatigueCurve> curves;
  for (const std::string& file : names) {
    FatigueCurve curve{file, parse_fatigue_name(file), {}};
    const std::string label = file_label(directory, file);
    curve.series = read_series(fs::path(directory) / file, label);
    if (!curve.name) {
      curve.series.messages.insert(curve.series.messages.begin(),
                                   label + ": the name gives no Q and exponent; labelled with the file name");
    }
    curves.push_back(std::move(curve));
  }
  auto key = [](const FatigueCurve& c) {
    return std::make_tuple(!c.name, c.name ? c.name->q_value : 0,
                           c.name ? c.name->exponent_value : 0.0, c.file_name);
  };
  std::sort(curves.begin(), curves.end(),
            [&](const FatigueCurve& a, const FatigueCurve& b) { return key(a) < key(b); });
  return curves;
}

}  // namespace

std::optional<FatigueName> parse_fatigue_name(std::string_view file_name) {
  if (!file_name.starts_with(FATIGUE_PREFIX) || !file_name.ends_with(FATIGUE_SUFFIX)) return std::nullopt;
  file_name.remove_prefix(FATIGUE_PREFIX.size());
  file_name.remove_suffix(FATIGUE_SUFFIX.size());
  const std::size_t b = file_name.find("_b");
  if (b == std::string_view::npos) return std::nullopt;
  const std::string_view q = file_name.substr(0, b);
  const std::string_view q_digits = q.starts_with('-') ? q.substr(1) : q;
  const std::optional<std::string> exponent = exponent_from_name(file_name.substr(b + 2));
  if (!all_digits(q_digits) || !exponent) return std::nullopt;

  FatigueName name{std::string(q), *exponent, 0, 0.0};
  if (std::from_chars(q.data(), q.data() + q.size(), name.q_value).ec != std::errc()) return std::nullopt;
  const std::optional<double> value = parse_number(*exponent);
  if (!value) return std::nullopt;
  name.exponent_value = *value;
  return name;
}

bool is_fatigue_file_name(std::string_view file_name) {
  if (!file_name.starts_with(FATIGUE_PREFIX) || !file_name.ends_with(FATIGUE_SUFFIX)) return false;
  const std::string_view middle =
      file_name.substr(FATIGUE_PREFIX.size(), file_name.size() - FATIGUE_PREFIX.size() - FATIGUE_SUFFIX.size());
  return middle.find("_b") != std::string_view::npos;
}

std::string directory_label(const std::string& directory) {
  std::string label = directory;
  while (label.size() > 1 && label.back() == '/') label.pop_back();
  const std::string last = fs::path(label).filename().string();
  if (!label.empty() && last != "." && last != "..") return label;
  std::error_code error;
  const fs::path real = fs::weakly_canonical(fs::absolute(label.empty() ? "." : label), error);
  if (error || real.filename().empty()) return label.empty() ? "." : label;
  return real.filename().string();
}

Run load_run(const std::string& directory) {
  Run run;
  run.label = directory_label(directory);
  std::error_code error;
  std::vector<std::string> fatigue_names;
  for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (is_fatigue_file_name(name)) fatigue_names.push_back(name);
  }
  if (error) {
    run.messages.push_back(directory + ": cannot read the directory: " + error.message());
    return run;
  }
  const auto series = [&](std::string_view file) {
    return read_series(fs::path(directory) / file, file_label(directory, file));
  };
  run.psd = series("a.psd");
  run.response = series("vrs.txt");
  run.three_sigma = series("tsvrs.txt");
  run.displacement = series("rd_vrs.txt");
  run.fatigue = load_fatigue(directory, fatigue_names);
  const std::string report_label = file_label(directory, "vrs.out");
  const FileText report = read_text_file(fs::path(directory) / "vrs.out", report_label);
  if (report.text) {
    run.report = parse_report(*report.text, report_label);
  } else {
    run.report.messages.push_back(report.message + "; Q and overall acceleration not shown");
  }
  return run;
}

std::vector<std::string> run_messages(const Run& run) {
  std::vector<std::string> all = run.messages;
  const auto add = [&all](const std::vector<std::string>& more) {
    all.insert(all.end(), more.begin(), more.end());
  };
  add(run.psd.messages);
  add(run.response.messages);
  add(run.three_sigma.messages);
  add(run.displacement.messages);
  for (const FatigueCurve& curve : run.fatigue) add(curve.series.messages);
  add(run.report.messages);
  return all;
}

bool has_points(const Run& run) {
  const auto any = [](const Series& s) { return !s.points.empty(); };
  return any(run.psd) || any(run.response) || any(run.three_sigma) || any(run.displacement) ||
         std::any_of(run.fatigue.begin(), run.fatigue.end(),
                     [&](const FatigueCurve& c) { return any(c.series); });
}

}  // namespace kolmaren::plot
