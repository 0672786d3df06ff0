// kolmaren-plot: draws the result files of kolmaren runs as one page of
// four log-log panels, in SVG and PNG.
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "plot/figure.h"
#include "plot/gnuplot_process.h"
#include "plot/gnuplot_script.h"
#include "plot/run.h"

namespace {

using namespace kolmaren::plot;

constexpr int EXIT_DRAWN = 0;
constexpr int EXIT_NOTHING_DRAWN = 1;
constexpr int EXIT_USAGE = 2;

constexpr const char* USAGE = "usage: kolmaren-plot [-o NAME] [DIR ...]\n";

constexpr const char* HELP =
    "Draws the result files of kolmaren runs on one page of four log-log panels:\n"
    "the input PSD (a.psd), the acceleration response spectrum, RMS and three\n"
    "sigma (vrs.txt, tsvrs.txt), the relative displacement spectrum (rd_vrs.txt)\n"
    "and the fatigue response spectrum (random_Q*_b*.txt, one curve per file).\n"
    "Q and the overall acceleration come from vrs.out.\n"
    "\n"
    "Each DIR is the directory a run was made in (default: the current one).\n"
    "With several, every panel overlays their curves, one colour per directory,\n"
    "so a field environment can be laid over a test level.\n"
    "\n"
    "  -o NAME     write NAME.svg and NAME.png (default: kolmaren)\n"
    "  -h, --help  show this help\n"
    "\n"
    "Rows that cannot be drawn (not two numbers, inf, nan) and points that a log\n"
    "axis cannot show (zero or negative) are left out and reported on stderr.\n"
    "The exit status is 0 when anything was drawn, 1 when nothing could be, and\n"
    "2 for a wrong command line. KOLMAREN_GNUPLOT names the gnuplot to use.\n";

struct Options {
  std::string output = "kolmaren";
  std::vector<std::string> directories;
  bool help = false;
};

void complain(const std::string& message) {
  std::fprintf(stderr, "kolmaren-plot: %s\n", message.c_str());
}

// "report.png" and "report.svg" mean the base name "report".
std::string base_name(std::string name) {
  for (std::string_view extension : {".svg", ".png"}) {
    if (name.size() > extension.size() && name.ends_with(extension)) {
      name.resize(name.size() - extension.size());
    }
  }
  return name;
}

bool has_control_character(const std::string& text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20) return true;
  }
  return false;
}

// nullopt after a complaint when the command line is wrong.
std::optional<Options> parse_options(int argc, char** argv) {
  Options options;
  bool only_directories = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (only_directories || arg.empty() || arg[0] != '-' || arg == "-") {
      options.directories.push_back(arg);
    } else if (arg == "--") {
      only_directories = true;
    } else if (arg == "-h" || arg == "--help") {
      options.help = true;
    } else if (arg == "-o") {
      if (i + 1 >= argc || argv[i + 1][0] == '\0') {
        complain("-o needs a file name");
        return std::nullopt;
      }
      options.output = base_name(argv[++i]);
    } else {
      complain("unknown option " + arg);
      return std::nullopt;
    }
  }
  if (has_control_character(options.output)) {
    complain("the output name holds a control character");
    return std::nullopt;
  }
  if (options.directories.empty()) options.directories.push_back(".");
  return options;
}

std::vector<Run> load_runs(const std::vector<std::string>& directories) {
  std::vector<Run> runs;
  for (const std::string& directory : directories) {
    runs.push_back(load_run(directory));
    for (const std::string& message : run_messages(runs.back())) complain(message);
  }
  return runs;
}

int draw(const Figure& figure, const std::string& output) {
  const std::string svg = output + ".svg";
  const std::string png = output + ".png";
  const std::string failure = run_gnuplot(gnuplot_program(), gnuplot_script(figure, svg, png));
  if (!failure.empty()) {
    complain(failure + "; nothing drawn");
    return EXIT_NOTHING_DRAWN;
  }
  std::printf("kolmaren-plot: wrote %s and %s\n", svg.c_str(), png.c_str());
  return EXIT_DRAWN;
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<Options> options = parse_options(argc, argv);
  if (!options) {
    std::fputs(USAGE, stderr);
    return EXIT_USAGE;
  }
  if (options->help) {
    std::fputs(USAGE, stdout);
    std::fputs("\n", stdout);
    std::fputs(HELP, stdout);
    return EXIT_DRAWN;
  }
  const Figure figure = build_figure(load_runs(options->directories));
  if (!has_curves(figure)) {
    complain("nothing to draw");
    return EXIT_NOTHING_DRAWN;
  }
  return draw(figure, options->output);
}
