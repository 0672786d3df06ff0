// The vectorised sweep kernel against the plain per-frequency loop: both
// sums of every row must agree bit for bit, so the result files cannot tell
// which one ran. Values that are not finite are where a reordered or fused
// operation would show first: infinities meeting, values that are not a
// number, zero and negative levels, damping 0 with grid points lying
// exactly on natural frequencies. Row counts that are not a multiple of the
// vector width run the kernel's remainder code.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "spectrum/analysis.h"
#include "spectrum/sweep.h"

namespace kolmaren {
namespace {

constexpr double INF = std::numeric_limits<double>::infinity();

// The not-a-number the processor's own arithmetic makes (0/0, inf - inf,
// 0 * inf): every NaN that a run computes from its input carries these bits.
double machine_nan() {
  volatile double zero = 0.0;
  return zero / zero;
}

// Bits and value of a double, so a failure shows what the value text hides
// (the sign of a zero, the sign and payload of a NaN).
std::string describe(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  char text[64];
  std::snprintf(text, sizeof text, "%.17g (0x%016llx)", value,
                static_cast<unsigned long long>(bits));
  return text;
}

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Which of two NaNs an addition or multiplication passes on is the operand
// order of the instruction, and the compiler may swap the operands of
// either; only such a result is allowed to differ, and only in its bits.
bool same_bits_or_both_nan(double a, double b) {
  return same_bits(a, b) || (std::isnan(a) && std::isnan(b));
}

// Sums of both functions. The tables start from the same filler, so a
// write beyond `rows` shows as a difference too.
struct SumPair {
  double accel[SWEEP_MAX_ROWS];
  double disp[SWEEP_MAX_ROWS];
};

struct Sweeps {
  SumPair kernel;
  SumPair reference;
};

constexpr double FILLER = -12345.678;

std::unique_ptr<Sweeps> run_both(const UniformGrid& grid, double zeta, const double* fn,
                                 int rows) {
  auto out = std::make_unique<Sweeps>();
  for (SumPair* pair : {&out->kernel, &out->reference}) {
    for (int r = 0; r < SWEEP_MAX_ROWS; ++r) pair->accel[r] = pair->disp[r] = FILLER;
  }
  sweep_sums(grid, zeta, fn, rows, out->kernel.accel, out->kernel.disp);
  sweep_sums_reference(grid, zeta, fn, rows, out->reference.accel, out->reference.disp);
  return out;
}

// Compares both sums of every row of the whole table with `same`; reports
// the first rows that differ.
template <class Same>
void expect_agreement(const Sweeps& sums, const std::string& label, Same same) {
  int reported = 0;
  for (int r = 0; r < SWEEP_MAX_ROWS && reported < 5; ++r) {
    if (same(sums.kernel.accel[r], sums.reference.accel[r]) &&
        same(sums.kernel.disp[r], sums.reference.disp[r]))
      continue;
    ++reported;
    ADD_FAILURE() << label << ", row " << r << "\n  acceleration sum: kernel "
                  << describe(sums.kernel.accel[r]) << ", reference "
                  << describe(sums.reference.accel[r]) << "\n  displacement sum: kernel "
                  << describe(sums.kernel.disp[r]) << ", reference "
                  << describe(sums.reference.disp[r]);
  }
}

void expect_identical(const Sweeps& sums, const std::string& label) {
  expect_agreement(sums, label, same_bits);
}

class SweepKernel : public ::testing::Test {
 protected:
  void SetUp() override {
    grid_ = std::make_unique<UniformGrid>();
    *grid_ = {};
    grid_->df = GRID_STEP_HZ;
    rows_ = natural_frequencies(fn_);
  }

  // A grid as resample_uniform lays it out: f0, f0 + 1, f0 + 2, ... Hz.
  void uniform_grid(double f0, int count, double level) {
    grid_->count = count;
    for (int k = 0; k < count; ++k) {
      grid_->freq[k] = k * grid_->df + f0;
      grid_->level[k] = level;
    }
  }

  std::unique_ptr<UniformGrid> grid_;
  double fn_[SWEEP_MAX_ROWS];
  int rows_ = 0;
};

TEST_F(SweepKernel, EmptyGridGivesZeroSumsInEveryRow) {
  uniform_grid(10.0, 0, 0.01);
  const auto sums = run_both(*grid_, 0.05, fn_, rows_);
  expect_identical(*sums, "grid count 0");
  for (int r = 0; r < rows_; ++r) {
    EXPECT_TRUE(same_bits(0.0, sums->kernel.accel[r])) << "row " << r;
    EXPECT_TRUE(same_bits(0.0, sums->kernel.disp[r])) << "row " << r;
  }
  EXPECT_EQ(FILLER, sums->kernel.accel[rows_]) << "the row after the last is left alone";
}

// Ordinary grids, with one grid point, and with row counts that leave
// every possible remainder after whole vectors.
TEST_F(SweepKernel, OrdinaryGridsAgree) {
  struct Case {
    double f0;
    int count;
    double level;
    double zeta;
    int rows;
  };
  const Case cases[] = {
      {10.0, 1, 0.01, 0.05, 264},    {20.0, 180, 0.04, 0.05, 264},
      {10.0, 4999, 0.04, 0.05, 264}, {20.5, 9, 0.04, 0.02, 264},
      {0.0001, 300, 1e-6, 0.5, 264}, {20.0, 180, 0.04, 0.05, 0},
      {20.0, 180, 0.04, 0.05, 1},    {20.0, 180, 0.04, 0.05, 2},
      {20.0, 180, 0.04, 0.05, 3},    {20.0, 180, 0.04, 0.05, 5},
      {20.0, 180, 0.04, 0.05, 7},    {20.0, 180, 0.04, 0.05, 263},
  };
  for (const Case& c : cases) {
    uniform_grid(c.f0, c.count, c.level);
    char label[128];
    std::snprintf(label, sizeof label, "f0 %g, count %d, level %g, zeta %g, rows %d",
                  c.f0, c.count, c.level, c.zeta, c.rows);
    const auto sums = run_both(*grid_, c.zeta, fn_, c.rows);
    expect_identical(*sums, label);
    if (c.rows > 0) {
      EXPECT_GT(sums->kernel.accel[c.rows - 1], 0.0) << label << ": last row summed";
    }
  }
}

// Damping 0 and a grid point exactly on a natural frequency: that term
// divides by zero in both sums.
TEST_F(SweepKernel, ZeroDampingOnNaturalFrequencies) {
  for (const int row : {0, 24, 100, 263}) {
    uniform_grid(fn_[row], 4999, 0.04);
    const auto sums = run_both(*grid_, 0.0, fn_, rows_);
    expect_identical(*sums, "zeta 0, grid from row " + std::to_string(row));
    EXPECT_EQ(INF, sums->reference.accel[row]) << "row " << row;
    EXPECT_EQ(INF, sums->reference.disp[row]) << "row " << row;
  }
}

// Grid values drawn from ordinary numbers mixed with every kind of value
// that is not finite or not positive; `nans` are the NaNs in the pool.
class SpecialValues {
 public:
  SpecialValues(std::uint64_t seed, std::vector<double> nans)
      : engine_(seed), nans_(std::move(nans)) {}

  // A level: mostly ordinary, sometimes zero, negative, tiny, huge,
  // infinite or not a number.
  double level() {
    if (uniform() < 0.7) return 1e-4 + uniform() * 0.1;
    const double pool[] = {0.0, -0.0, -0.04, INF, -INF, 1e-310, 1e300, -1e300};
    return special(pool);
  }

  // A grid frequency: mostly a whole number of hertz, sometimes exactly a
  // natural frequency, sometimes zero, negative, tiny or not finite.
  double frequency(const double* fn, int rows) {
    const double u = uniform();
    if (u < 0.6) return static_cast<double>(1 + engine_() % 6000);
    if (u < 0.8) return fn[engine_() % rows];
    const double pool[] = {0.0, -0.0, -5.0, INF, -INF, 1e-300, 0.0001};
    return special(pool);
  }

  double uniform() { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }

 private:
  // One of the pool's values or one of the NaNs, each equally likely.
  template <std::size_t N>
  double special(const double (&pool)[N]) {
    const std::size_t pick = engine_() % (N + nans_.size());
    return pick < N ? pool[pick] : nans_[pick - N];
  }

  std::mt19937_64 engine_;
  std::vector<double> nans_;
};

// Random grids of every size class for a set of damping ratios; `same`
// decides whether two sums agree.
template <class Same>
void check_random_grids(UniformGrid& grid, const double* fn, int rows_in_sweep,
                        SpecialValues& draw, const std::vector<double>& zetas,
                        Same same) {
  const int counts[] = {0, 1, 2, 3, 4, 5, 17, 180, 1000, 4999};
  for (const double zeta : zetas) {
    for (const int count : counts) {
      grid.count = count;
      for (int k = 0; k < count; ++k) {
        grid.freq[k] = draw.frequency(fn, rows_in_sweep);
        grid.level[k] = draw.level();
      }
      const int rows = draw.uniform() < 0.5
                           ? rows_in_sweep
                           : 1 + static_cast<int>(draw.uniform() * rows_in_sweep);
      const auto sums = run_both(grid, zeta, fn, rows);
      expect_agreement(*sums,
                       "zeta " + describe(zeta) + ", count " + std::to_string(count) +
                           ", rows " + std::to_string(rows),
                       same);
    }
  }
}

// Every NaN here is the processor's own, as in a run whose input has no
// NaN typed into it: then no choice between NaNs exists and every bit of
// every sum must agree.
TEST_F(SweepKernel, RandomGridsWithValuesThatAreNotFinite) {
  SpecialValues draw(20261211, {machine_nan()});
  check_random_grids(*grid_, fn_, rows_, draw,
                     {0.05, 0.0, -0.05, 1e-300, 2.0, INF, machine_nan()}, same_bits);
}

// A NaN typed into the input ("nan", "nan(0x5a5)") differs from the
// processor's in sign or payload. Where two different NaNs meet, the one
// passed on is the operand order the compiler chose for that instruction,
// which neither loop pins down: there both sums must be NaN; every other
// value must still agree bit for bit.
TEST_F(SweepKernel, RandomGridsWithNaNsOfEverySignAndPayload) {
  const double typed_nan = std::numeric_limits<double>::quiet_NaN();
  const double payload_nan = std::nan("0x5a5");
  SpecialValues draw(11122026, {machine_nan(), typed_nan, payload_nan});
  check_random_grids(*grid_, fn_, rows_, draw, {0.05, 0.0, typed_nan, machine_nan()},
                     same_bits_or_both_nan);
}

// Natural frequencies the sweep never makes (0, negative, not finite) still
// take the same path through both loops.
TEST_F(SweepKernel, NaturalFrequenciesThatAreNotFinite) {
  double fn[] = {5.0,           0.0,     -0.0, -20.0, INF, -INF,
                 machine_nan(), 1e-300, 20.0, 1e300, 0.5};
  const int rows = static_cast<int>(sizeof fn / sizeof fn[0]);
  uniform_grid(0.0, 200, 0.04);
  grid_->level[3] = machine_nan();
  grid_->level[7] = -INF;
  for (const double zeta : {0.05, 0.0}) {
    const auto sums = run_both(*grid_, zeta, fn, rows);
    expect_identical(*sums, "special natural frequencies, zeta " + describe(zeta));
  }
}

}  // namespace
}  // namespace kolmaren
