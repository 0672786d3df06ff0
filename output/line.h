// One line of text formatted printf-style into fixed storage.
#pragma once

#include <cstdio>
#include <string_view>

namespace kolmaren {

// Room for the widest line kolmaren writes: four "%lf" fields of values near
// 1e308 need about 1300 characters; longer text is cut, never overrun.
inline constexpr int LINE_CAPACITY = 1536;

struct Line {
  char text[LINE_CAPACITY];
  int length;
  std::string_view view() const { return {text, static_cast<size_t>(length)}; }
};

template <typename... Args>
Line format_line(const char* format, Args... args) {
  Line line;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
  const int n = std::snprintf(line.text, sizeof line.text, format, args...);
#pragma GCC diagnostic pop
  line.length = n < 0 ? 0 : (n < LINE_CAPACITY ? n : LINE_CAPACITY - 1);
  return line;
}

}  // namespace kolmaren
