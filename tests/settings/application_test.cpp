#include <gtest/gtest.h>

#include "settings/application.h"

namespace lumo {
namespace {

TEST(Application, LastScheduledRunIsExactlyOneDayBeforeTheStart) {
    DateTime start = DateTime::FromParts(2024, 3, 1, 0, 30, 15);
    Application app(Platform{}, start);
    EXPECT_EQ(app.LastScheduledRun, DateTime::FromParts(2024, 2, 29, 0, 30, 15));
    EXPECT_FALSE(app.StopRequested);
    EXPECT_FALSE(app.HasConfigSet());
    PrivacyConfigs& set = app.ConfigSet();
    EXPECT_EQ(&set, &app.ConfigSet()) << "one set, created on first use";
}

TEST(Application, SeekContextCarriesTheStopRequestAndFillPasses) {
    Application a(Platform{}, DateTime::FromParts(2024, 1, 1)), b(Platform{}, DateTime::FromParts(2024, 1, 1));
    a.settings.SecurityFillTimes = 3;
    SeekContext ctx = a.MakeSeekContext();
    EXPECT_EQ(ctx.securityFillTimes, 3);
    EXPECT_FALSE(ctx.StopRequested());
    a.StopRequested = true;
    EXPECT_TRUE(ctx.StopRequested()) << "the context reads the live request";
    EXPECT_FALSE(b.MakeSeekContext().StopRequested()) << "applications do not share state";
}

}  // namespace
}  // namespace lumo
