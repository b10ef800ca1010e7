#include <gtest/gtest.h>

#include <utility>

#include "FakePlatform.h"
#include "app/core/AppSettings.h"
#include "app/core/Waiter.h"

namespace {

TEST(NumberFormat, WritesLeadingBlankForNonNegativeAndFractionOnlyWhenPresent) {
    const std::pair<double, const char*> cases[] = {
        {512, " 512"}, {683.5, " 683.5"}, {-20, "-20"}, {0, " 0"}, {-0.25, "-0.25"}};
    for (const auto& [value, text] : cases)
        EXPECT_EQ(app::formatNumber(value), QString::fromLatin1(text)) << value;
}

TEST(NumberFormat, ReadsTheNumberAtTheStartAndIgnoresTheRest) {
    const std::pair<const char*, double> cases[] = {
        {" 683.5", 683.5}, {"512", 512},    {"  -20", -20},  {"12abc", 12},
        {"abc", 0},        {"", 0},         {"1e3x", 1000},  {"-", 0},
        {".5", 0.5},       {"7.", 7},       {"3e", 3},       {" +4 5", 4},
        {"\t9", 9},        {"1e-3", 0.001}, {"2.5E+2", 250}, {"-1e-3x", -0.001},
    };
    for (const auto& [text, value] : cases)
        EXPECT_DOUBLE_EQ(app::leadingNumber(QString::fromLatin1(text)), value) << text;
}

TEST(NumberFormat, RoundsPositionsHalfToEvenAndClampsTo16Bits) {
    const std::pair<double, int> cases[] = {
        {683.5, 684}, {682.5, 682}, {-20.5, -20}, {40000, 32767}, {-40000, -32768}};
    for (const auto& [value, position] : cases)
        EXPECT_EQ(app::toPosition(value), position) << value;
}

TEST(Settings, SetupFlagAcceptsBooleanWordsAndNumbersOnly) {
    const std::pair<const char*, bool> cases[] = {
        {"True", true}, {"true", true}, {"-1", true},         {"False", false},
        {"0", false},   {"", false},    {"yes please", false}};
    for (const auto& [text, on] : cases)
        EXPECT_EQ(app::settingToBool(QString::fromLatin1(text)), on) << text;
}

TEST(Settings, StoresPositionsInTheExactTextFormat) {
    fakes::FakeSettings store;
    app::AppSettings settings(store);
    settings.writePosition(683.5, -20);
    EXPECT_EQ(store.writes, QStringList({"Agent/pos/x= 683.5", "Agent/pos/y=-20"}));
    EXPECT_DOUBLE_EQ(settings.readPosition("x", 1.0f), 683.5);
    settings.markSetupDone();
    EXPECT_EQ(store.values.value(QStringLiteral("Agent/ver99/1_0")), QStringLiteral("True"));
    EXPECT_TRUE(settings.setupDone());
}

TEST(Settings, DisplayScaleIsAutoOrOneToFourAndAnythingElseCountsAsAuto) {
    fakes::FakeSettings store;
    app::AppSettings settings(store);
    EXPECT_EQ(settings.displayScale(), 0);  // absent
    const std::pair<const char*, int> cases[] = {{"auto", 0}, {"1", 1},  {"2", 2}, {" 3 ", 3},
                                                 {"4", 4},    {"0", 0},  {"5", 0}, {"-2", 0},
                                                 {"2.5", 0},  {"x2", 0}, {"", 0}};
    for (const auto& [text, scale] : cases) {
        store.values[QStringLiteral("Agent/display/scale")] = QString::fromLatin1(text);
        EXPECT_EQ(settings.displayScale(), scale) << text;
    }
}

TEST(Wait, NestedWaitEndsWithTheOuterOneAtTheFirstTickAndNoWaitReturnsAtOnce) {
    fakes::FakePlatform fake;
    app::SharedState state;
    app::Waiter waiter(fake.services, state);
    waiter.WaitSeconds(0);
    waiter.WaitSeconds(-3);
    EXPECT_EQ(fake.events.pumps, 0);
    bool nested = false;
    long long innerEnd = -1;
    fake.events.onPump = [&](int) {
        if (!nested && fake.timers.now >= 500) {
            nested = true;
            waiter.WaitSeconds(1);  // restarts wt: ends 1 s from now
            innerEnd = fake.timers.now;
        }
    };
    waiter.WaitSeconds(3);
    EXPECT_TRUE(nested);
    // The inner wait started at 500 ms and restarted the timer for one second; the outer wait
    // ended at the same tick instead of at 3 s.
    EXPECT_EQ(innerEnd, 1500);
    EXPECT_LT(fake.timers.now, 3000);
    EXPECT_EQ(state.waitFlag, 0);
    EXPECT_EQ(waiter.wt().interval(), 0);
}

}  // namespace
