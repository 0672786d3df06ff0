// gnuplot as a child process that reads its commands on standard input.
#pragma once

#include <string>

namespace kolmaren::plot {

// The gnuplot this build found; the KOLMAREN_GNUPLOT environment variable
// names another one.
std::string gnuplot_program();

// Runs `program` with `script` on its standard input and waits for it.
// gnuplot's own complaints go straight to our stderr. Returns an empty
// string when gnuplot finished cleanly, else what went wrong.
std::string run_gnuplot(const std::string& program, const std::string& script);

}  // namespace kolmaren::plot
