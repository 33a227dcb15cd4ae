// The clock each FTDI adapter is given for a phase: never a shorter phase than asked, and not
// needlessly longer.

#include <gtest/gtest.h>

#include "device/adapters/ft232r_bitbang_adapter.h"
#include "device/adapters/mpsse_adapter.h"

namespace {

struct RateCase {
    std::int64_t phaseNanoseconds;
    int mpsseDivisor;  // half period (1 + divisor) / 60 MHz
    int ft232rBaud;    // the shortest state, under the x16 reading and 5 % rounding, >= phase
};

class AdapterRate : public ::testing::TestWithParam<RateCase> {};

TEST_P(AdapterRate, GivesTheSlowestClockThatIsStillFastEnough) {
    const RateCase& c = GetParam();
    EXPECT_EQ(MpsseAdapter::DivisorForPhase(c.phaseNanoseconds), c.mpsseDivisor);
    EXPECT_EQ(Ft232rBitbangAdapter::BaudForState(c.phaseNanoseconds), c.ft232rBaud);
    EXPECT_GE(Ft232rBitbangAdapter::ShortestStateNanoseconds(c.ft232rBaud), c.phaseNanoseconds);
}

INSTANTIATE_TEST_SUITE_P(Table, AdapterRate,
                         ::testing::Values(
                             // 700 ns (AT89S52 at 12 MHz) is exactly 42 base periods.
                             RateCase{700, 41, 85034},
                             // One nanosecond more needs one period more.
                             RateCase{701, 42, 84912},
                             RateCase{8000, 479, 7440},     // the FT232R's shortest state
                             RateCase{10000, 599, 5952}));  // the window's 10 us phase

}  // namespace
