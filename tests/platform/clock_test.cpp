// The Clock's text forms: the portable one is fixed to en-US; under Wine the Win32 one gives the
// same for the en-US locale the test prefix runs in.
#include <gtest/gtest.h>

#include <tuple>

#include "platform/portable/portable_clock.h"
#ifdef _WIN32
#include "platform/win32/win32_clock.h"
#endif

namespace lumo {
namespace {

template <class T>
class ClockTest : public ::testing::Test {
protected:
    T clock;
};

#ifdef _WIN32
using Implementations = ::testing::Types<PortableClock, Win32Clock>;
#else
using Implementations = ::testing::Types<PortableClock>;
#endif
TYPED_TEST_SUITE(ClockTest, Implementations);

TYPED_TEST(ClockTest, DatesTimesAndAmountsInTheUsForms) {
    for (auto [t, date, time] :
         {std::tuple{DateTime::FromParts(2006, 12, 25, 15, 4, 5), "12/25/2006", "3:04:05 PM"},
          std::tuple{DateTime::FromParts(2007, 1, 2, 0, 0, 9), "1/2/2007", "12:00:09 AM"},
          std::tuple{DateTime::FromParts(1999, 10, 31, 12, 30, 0), "10/31/1999", "12:30:00 PM"},
          std::tuple{DateTime::FromParts(2024, 2, 29, 11, 59, 59), "2/29/2024", "11:59:59 AM"}}) {
        EXPECT_EQ(this->clock.ShortDate(t), date);
        EXPECT_EQ(this->clock.LongTime(t), time);
        EXPECT_EQ(this->clock.DateTimeText(t), std::string(date) + " " + time);
    }
    for (auto [value, text] :
         {std::pair{0.0, "0.00"}, std::pair{0.5, "0.50"}, std::pair{999.994, "999.99"}, std::pair{999.995, "1,000.00"},
          std::pair{1234.5, "1,234.50"}, std::pair{1234567.891, "1,234,567.89"}, std::pair{-1234.5, "-1,234.50"},
          std::pair{123456789012.0, "123,456,789,012.00"}})
        EXPECT_EQ(this->clock.Number(value), text) << value;
    EXPECT_GT(this->clock.Now().Year(), 2020) << "a clock not set tells the time of day";
}

}  // namespace
}  // namespace lumo
