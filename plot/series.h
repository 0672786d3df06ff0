// Reading the two-column result files of a kolmaren run (frequency, value)
// and keeping only the points that a log-log axis can show. Every complaint
// names the file, and the line where there is one, so an engineer can find
// the row that went wrong without opening the file in another program.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kolmaren::plot {

struct Point {
  double x;
  double y;
};

// The drawable points of one file and one message per thing left out; each
// message starts with the file name the caller gave.
struct Series {
  std::vector<Point> points;
  std::vector<std::string> messages;
};

// A file read whole, or the reason it could not be.
struct FileText {
  std::optional<std::string> text;
  std::string message;
};

// Beyond this many line messages for one file the rest are only counted: a
// run that printed nan on every row should not bury the other messages.
inline constexpr int MAX_LINE_MESSAGES = 5;

FileText read_text_file(const std::filesystem::path& file, const std::string& name);

// A token as printf writes numbers (also "inf", "-nan", "1e+08"); nullopt
// for anything else. Out-of-range values come back as inf or 0.
std::optional<double> parse_number(std::string_view token);

// The lines of a text, without their line ends; line i + 1 of the file is
// entry i, so messages can name it.
std::vector<std::string_view> lines_of(std::string_view text);

Series parse_series(std::string_view text, const std::string& name);

Series read_series(const std::filesystem::path& file, const std::string& name);

}  // namespace kolmaren::plot
