#include <gtest/gtest.h>

#include "settings/application.h"

namespace lumo {
namespace {

// One set of configurations, made on first use; the seek context reads the live stop request.
TEST(Application, LastScheduledRunIsOneDayBeforeTheStartAndTheSeekContextReadsTheStopRequest) {
    Application a(Platform{}, DateTime::FromParts(2024, 3, 1, 0, 30, 15)),
        b(Platform{}, DateTime::FromParts(2024, 1, 1));
    EXPECT_EQ(a.LastScheduledRun, DateTime::FromParts(2024, 2, 29, 0, 30, 15));
    EXPECT_FALSE(a.HasConfigSet());
    EXPECT_EQ(&a.ConfigSet(), &a.ConfigSet());
    a.settings.SecurityFillTimes = 3;
    SeekContext ctx = a.MakeSeekContext();
    EXPECT_EQ(ctx.securityFillTimes, 3);
    EXPECT_FALSE(ctx.StopRequested());
    a.StopRequested = true;
    EXPECT_TRUE(ctx.StopRequested() && !b.MakeSeekContext().StopRequested());
}

}  // namespace
}  // namespace lumo
