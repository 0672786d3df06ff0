#include "plot/series.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace kolmaren::plot {
namespace {

constexpr std::string_view BLANKS = " \t\r\v\f";

std::vector<std::string_view> split_fields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t pos = line.find_first_not_of(BLANKS);
  while (pos != std::string_view::npos) {
    const std::size_t end = line.find_first_of(BLANKS, pos);
    fields.push_back(line.substr(pos, end == std::string_view::npos ? end : end - pos));
    pos = line.find_first_not_of(BLANKS, end);
  }
  return fields;
}

std::string at_line(const std::string& name, int line) {
  return name + ":" + std::to_string(line) + ": ";
}

// Counts and reports the lines of one file that cannot be drawn.
class LineComplaints {
 public:
  LineComplaints(const std::string& name, std::vector<std::string>& out)
      : name_(name), out_(out) {}

  void add(int line, const std::string& what) {
    if (++count_ <= MAX_LINE_MESSAGES) out_.push_back(at_line(name_, line) + what);
  }

  void note_not_positive(int line) {
    if (not_positive_++ == 0) first_not_positive_ = line;
  }

  void finish() {
    if (count_ > MAX_LINE_MESSAGES) {
      out_.push_back(name_ + ": " + std::to_string(count_ - MAX_LINE_MESSAGES) +
                     " more lines that cannot be drawn, not listed");
    }
    if (not_positive_ > 0) {
      out_.push_back(name_ + ": " + std::to_string(not_positive_) +
                     (not_positive_ == 1 ? " point" : " points") +
                     " with a zero or negative value left out of the log axes (first at line " +
                     std::to_string(first_not_positive_) + ")");
    }
  }

 private:
  const std::string& name_;
  std::vector<std::string>& out_;
  int count_ = 0;
  int not_positive_ = 0;
  int first_not_positive_ = 0;
};

// Reads one data line into `point`; returns the complaint, empty when fine.
std::string read_point(std::string_view line, Point& point) {
  const std::vector<std::string_view> fields = split_fields(line);
  if (fields.size() != 2) {
    return "expected two numbers, found " + std::to_string(fields.size()) +
           (fields.size() == 1 ? " field" : " fields") + "; line left out";
  }
  double value[2] = {0.0, 0.0};
  for (int i = 0; i < 2; ++i) {
    const std::optional<double> number = parse_number(fields[i]);
    const std::string token(fields[i]);
    if (!number) return "'" + token + "' is not a number; line left out";
    if (!std::isfinite(*number)) return "'" + token + "' is not a finite number; line left out";
    value[i] = *number;
  }
  point = {value[0], value[1]};
  return {};
}

}  // namespace

FileText read_text_file(const std::filesystem::path& file, const std::string& name) {
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(file.c_str(), "rb"),
                                                            &std::fclose);
  if (!in) return {std::nullopt, name + ": cannot open: " + std::strerror(errno)};
  std::string text;
  char buffer[65536];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, in.get())) > 0) text.append(buffer, got);
  // fopen succeeds on a directory; the read is where that shows.
  if (std::ferror(in.get())) return {std::nullopt, name + ": cannot read: " + std::strerror(errno)};
  return {std::move(text), {}};
}

std::optional<double> parse_number(std::string_view token) {
  // from_chars takes no leading '+', which a hand-edited file may carry.
  if (token.size() > 1 && token.front() == '+' && token[1] != '-') token.remove_prefix(1);
  double value = 0.0;
  const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
  if (end != token.data() + token.size()) return std::nullopt;
  if (error == std::errc::result_out_of_range) {
    // from_chars leaves the value alone here; strtod says which way it went.
    return std::strtod(std::string(token).c_str(), nullptr);
  }
  if (error != std::errc()) return std::nullopt;
  return value;
}

std::vector<std::string_view> lines_of(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

Series parse_series(std::string_view text, const std::string& name) {
  Series series;
  LineComplaints complaints(name, series.messages);
  bool any_data_line = false;
  int line_number = 0;
  for (const std::string_view line : lines_of(text)) {
    ++line_number;
    if (line.find_first_not_of(BLANKS) == std::string_view::npos) continue;
    any_data_line = true;
    Point point{};
    const std::string complaint = read_point(line, point);
    if (!complaint.empty()) {
      complaints.add(line_number, complaint);
    } else if (point.x <= 0.0 || point.y <= 0.0) {
      complaints.note_not_positive(line_number);
    } else {
      series.points.push_back(point);
    }
  }
  complaints.finish();
  if (!any_data_line) {
    series.messages.push_back(name + ": empty file, nothing to draw");
  } else if (series.points.empty()) {
    series.messages.push_back(name + ": no point can be drawn");
  }
  return series;
}

Series read_series(const std::filesystem::path& file, const std::string& name) {
  const FileText file_text = read_text_file(file, name);
  if (!file_text.text) return {{}, {file_text.message}};
  return parse_series(*file_text.text, name);
}

}  // namespace kolmaren::plot
