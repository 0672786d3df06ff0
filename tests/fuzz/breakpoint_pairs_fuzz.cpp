// read_breakpoint_pairs on arbitrary bytes: it must end, store at most
// MAX_POINTS pairs, only pairs above the frequency floor, and write nothing
// beyond the pairs it reports.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "dialogue/breakpoint_entry.h"

namespace {

// A byte pattern no stored pair can hold: as a double it is negative, so
// never a frequency above the floor, and a level is only written together
// with its frequency.
constexpr unsigned char UNTOUCHED = 0xA5;
constexpr int UNTOUCHED_COUNT = -7;

kolmaren::BreakpointTable table;  // 80 kB, set up once

void require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "read_breakpoint_pairs: %s\n", what);
  std::abort();
}

bool untouched(const double* from, int count) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(from);
  for (size_t i = 0; i < count * sizeof(double); ++i)
    if (bytes[i] != UNTOUCHED) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using kolmaren::MAX_POINTS;
  std::memset(&table, UNTOUCHED, sizeof table);
  table.n = UNTOUCHED_COUNT;
  kolmaren::StringSource source(std::string(reinterpret_cast<const char*>(data), size));

  const int stored = kolmaren::read_breakpoint_pairs(source, table);

  require(stored >= 0 && stored <= MAX_POINTS, "count outside the table");
  for (int i = 0; i < stored; ++i)
    require(table.freq[i] > kolmaren::FREQ_FLOOR_HZ, "stored a frequency at or below the floor");
  require(untouched(table.freq + stored, MAX_POINTS - stored), "frequency past the count");
  require(untouched(table.level + stored, MAX_POINTS - stored), "level past the count");
  require(table.n == UNTOUCHED_COUNT, "changed the breakpoint count");
  return 0;
}
