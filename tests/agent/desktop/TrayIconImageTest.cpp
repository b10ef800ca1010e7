#include "agent/desktop/TrayIconImage.h"
#include "agent/engine/TrayIconFixture.h"

#include <gtest/gtest.h>

// The decoding itself is the engine's (tested there); here, its colours and alpha as a QImage.
TEST(TrayIconImage, KeepsColoursAndTransparencyAndABrokenIconGivesNoImage) {
    acs::TrayIcon icon = traytest::sampleIcon();
    const QImage image = desktop::trayIconImage(icon);
    ASSERT_EQ(image.size(), QSize(16, 16));
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(image.pixel(1, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(7, 15), qRgb(0, 255, 0));
    icon.color.clear();
    EXPECT_TRUE(desktop::trayIconImage(icon).isNull());
}
