// The check of the precision box and the change of clipboard watching.
#include "setup/settings_values.h"

#include <gtest/gtest.h>

namespace vorlex::setup {
namespace {

TEST(PrecisionCheckTest, DigitsZeroToNine) {
    using Result = PrecisionCheck::Result;
    EXPECT_EQ(checkPrecision(QStringLiteral("0")).result, Result::ok);
    EXPECT_EQ(checkPrecision(QStringLiteral("9")).value, 9);
    EXPECT_EQ(checkPrecision(QStringLiteral("07")).value, 7);
    EXPECT_EQ(checkPrecision(QStringLiteral("10")).result, Result::outOfRange);
    EXPECT_EQ(checkPrecision(QStringLiteral("99999999999")).result, Result::notANumber);
    EXPECT_EQ(checkPrecision(QString()).result, Result::notANumber);
}

TEST(AfterDialogTest, WatchingChange) {
    EXPECT_EQ(watchingChange(true, false), WatchingChange::leave);
    EXPECT_EQ(watchingChange(false, true), WatchingChange::join);
    EXPECT_EQ(watchingChange(true, true), WatchingChange::none);
    EXPECT_EQ(watchingChange(false, false), WatchingChange::none);
}

} // namespace
} // namespace vorlex::setup
