#include "plot/tests/svg_probe.h"

#include <cstdint>
#include <fstream>
#include <map>

namespace kolmaren::plot::testing {
namespace {

constexpr std::string_view GROUP_START = "<g id=\"gnuplot_plot_";

// End of the <g> element starting at `start`, nested groups included.
std::size_t group_end(const std::string& svg, std::size_t start) {
  int depth = 0;
  std::size_t pos = start;
  while (pos < svg.size()) {
    const std::size_t open = svg.find("<g", pos);
    const std::size_t close = svg.find("</g>", pos);
    if (close == std::string::npos) return svg.size();
    if (open != std::string::npos && open < close) {
      ++depth;
      pos = open + 2;
    } else {
      if (--depth == 0) return close + 4;
      pos = close + 4;
    }
  }
  return svg.size();
}

std::string between(const std::string& text, const std::string& left, const std::string& right,
                    std::size_t from = 0) {
  const std::size_t a = text.find(left, from);
  if (a == std::string::npos) return {};
  const std::size_t b = text.find(right, a + left.size());
  if (b == std::string::npos) return {};
  return text.substr(a + left.size(), b - a - left.size());
}

int count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + what.size())) ++n;
  return n;
}

// Points in every d='...' path attribute of the group.
int path_vertices(const std::string& group) {
  int n = 0;
  for (std::size_t pos = group.find(" d='"); pos != std::string::npos; pos = group.find(" d='", pos + 4)) {
    const std::string d = between(group, " d='", "'", pos);
    n += count(d, "M") + count(d, "L");
  }
  return n;
}

std::string unescape(std::string text) {
  const std::pair<std::string, std::string> entities[] = {
      {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}};
  for (const auto& [entity, plain] : entities) {
    for (std::size_t pos = text.find(entity); pos != std::string::npos; pos = text.find(entity, pos + plain.size())) {
      text.replace(pos, entity.size(), plain);
    }
  }
  return text;
}

std::string strip_tags(const std::string& text) {
  std::string plain;
  bool in_tag = false;
  for (char c : text) {
    if (c == '<') in_tag = true;
    if (!in_tag) plain += c;
    if (c == '>') in_tag = false;
  }
  return unescape(plain);
}

}  // namespace

std::vector<SvgCurve> svg_curves(const std::string& svg) {
  std::vector<SvgCurve> curves;
  std::map<std::string, std::size_t> by_id;
  for (std::size_t pos = svg.find(GROUP_START); pos != std::string::npos; pos = svg.find(GROUP_START, pos + 1)) {
    const std::string id = between(svg, GROUP_START.data(), "\"", pos);
    const std::string title = unescape(between(svg, "<title>", "</title>", pos));
    if (id.empty() || title.rfind("gnuplot_plot_", 0) == 0) continue;  // drawn with notitle
    const std::string group = svg.substr(pos, group_end(svg, pos) - pos);
    const bool legend_entry = group.find("<text>") != std::string::npos;
    const int uses = count(group, "<use ");
    auto [it, added] = by_id.try_emplace(id, curves.size());
    if (added) curves.push_back({title, id.back() - 'a', 0, 0, {}});
    SvgCurve& curve = curves[it->second];
    curve.vertices += path_vertices(group) - (legend_entry ? 2 : 0);
    curve.markers += uses - (legend_entry && uses > 0 ? 1 : 0);
    if (!legend_entry || curve.colour.empty()) curve.colour = between(group, "<path stroke='", "'");
  }
  return curves;
}

std::vector<std::string> svg_texts(const std::string& svg) {
  std::vector<std::string> texts;
  for (std::size_t pos = svg.find("<text"); pos != std::string::npos; pos = svg.find("<text", pos + 5)) {
    const std::size_t open_end = svg.find('>', pos);
    const std::size_t close = svg.find("</text>", open_end);
    if (open_end == std::string::npos || close == std::string::npos) break;
    texts.push_back(strip_tags(svg.substr(open_end + 1, close - open_end - 1)));
  }
  return texts;
}

PngSize png_size(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  unsigned char header[24] = {};
  if (!in.read(reinterpret_cast<char*>(header), sizeof header)) return {};
  const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  for (int i = 0; i < 8; ++i) {
    if (header[i] != signature[i]) return {};
  }
  if (std::string(reinterpret_cast<char*>(header + 12), 4) != "IHDR") return {};
  const auto big_endian = [&](int at) {
    return static_cast<int>((std::uint32_t{header[at]} << 24) | (std::uint32_t{header[at + 1]} << 16) |
                            (std::uint32_t{header[at + 2]} << 8) | std::uint32_t{header[at + 3]});
  };
  return {big_endian(16), big_endian(20)};
}

}  // namespace kolmaren::plot::testing
