#include "TrayIconFixture.h"
#include "agent/engine/TrayIcon.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>

using traytest::sampleIcon;

namespace {

using Px = std::array<std::uint8_t, 4>;

Px pixel(const engine::RgbaImage& image, int x, int y) {
    const auto at = static_cast<std::size_t>(y * image.width + x) * 4;
    return {image.rgba[at], image.rgba[at + 1], image.rgba[at + 2], image.rgba[at + 3]};
}

void putLe32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace

TEST(TrayIcon, MaskBitsAreTransparentAndRowsRunBottomUp) {
    const auto image = engine::decodeTrayIcon(sampleIcon());
    ASSERT_TRUE(image);
    ASSERT_EQ(std::pair(image->width, image->height), std::pair(16, 16));
    EXPECT_EQ(pixel(*image, 0, 0), (Px{0, 0, 0, 0}));
    EXPECT_EQ(pixel(*image, 15, 0), (Px{0, 0, 0, 0}));
    EXPECT_EQ(pixel(*image, 1, 0), (Px{255, 0, 0, 255}));
    EXPECT_EQ(pixel(*image, 7, 15), (Px{0, 255, 0, 255}));  // the bottom row, stored first
}

TEST(TrayIcon, BrokenBlobsGiveNoImage) {
    const struct {
        const char* what;
        void (*spoil)(acs::TrayIcon&);
    } cases[] = {
        {"empty", [](acs::TrayIcon& i) { i.color.clear(); }},
        {"short header", [](acs::TrayIcon& i) { i.color.resize(39); }},
        {"truncated rows", [](acs::TrayIcon& i) { i.color.resize(i.color.size() - 1); }},
        {"24 bpp", [](acs::TrayIcon& i) { i.color[14] = 24; }},
        {"compressed", [](acs::TrayIcon& i) { i.mask[16] = 1; }},
        {"sizes differ", [](acs::TrayIcon& i) { i.mask[4] = 8; }},
        {"huge width", [](acs::TrayIcon& i) { i.color[7] = 0x7F; }},
        {"header past the end", [](acs::TrayIcon& i) { putLe32(i.color, 0, 0xFFFFFFF0u); }},
        {"most negative height",
         [](acs::TrayIcon& i) { putLe32(i.color, 8, static_cast<std::uint32_t>(INT_MIN)); }},
    };
    for (const auto& c : cases) {
        acs::TrayIcon icon = sampleIcon();
        c.spoil(icon);
        EXPECT_FALSE(engine::decodeTrayIcon(icon)) << c.what;
    }
}

TEST(TrayIcon, TopDownRowsAndShortColourTables) {
    acs::TrayIcon icon = sampleIcon();
    putLe32(icon.color, 8, static_cast<std::uint32_t>(-16));  // rows stored top-down
    putLe32(icon.color, 32, 2);  // two colours used: the table is shorter, indices past it black
    icon.color.erase(icon.color.begin() + 40 + 8, icon.color.begin() + 40 + 64);
    const auto image = engine::decodeTrayIcon(icon);
    ASSERT_TRUE(image);
    EXPECT_EQ(pixel(*image, 7, 0), (Px{0, 0, 0, 255})) << "index 2 is past the table";
    EXPECT_EQ(pixel(*image, 7, 15), (Px{255, 0, 0, 255}));
}
