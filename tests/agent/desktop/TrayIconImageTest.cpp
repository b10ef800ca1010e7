#include "agent/desktop/TrayIconImage.h"
#include "agent/engine/TrayIconFixture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

TEST(TrayIconImage, MaskBitsAreTransparentAndRowsRunBottomUp) {
    const QImage image = desktop::trayIconImage(traytest::sampleIcon());
    ASSERT_EQ(image.size(), QSize(16, 16));
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(15, 0)), 0);
    EXPECT_EQ(image.pixel(1, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(7, 15), qRgb(0, 255, 0));  // the bottom row, stored first
}

TEST(TrayIconImage, BrokenIconGivesNullImageAndOurOwnIconExists) {
    acs::TrayIcon icon = traytest::sampleIcon();
    icon.color.clear();
    EXPECT_TRUE(desktop::trayIconImage(icon).isNull());
    EXPECT_FALSE(desktop::defaultTrayIcon().isNull());
}
