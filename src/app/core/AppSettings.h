#pragma once

#include <QString>

#include <cstdint>

#include "platform/SettingsStore.h"

namespace app {

// The application name every setting lives under, and the keys the companion uses.
inline constexpr const char* kSettingsApp = "Agent";

// A number as the settings and messages show it: one leading blank when not negative, a minus
// sign otherwise, a decimal point and fraction only when there is one (" 512", " 683.5", "-20").
QString formatNumber(double value);

// The number at the start of `text`: leading blanks skipped, an optional sign, digits, a
// fraction and an exponent; whatever follows is ignored; no number at all gives 0.
double leadingNumber(const QString& text);

// "True"/"False" in any letter case, or a number (non-zero is true). Any other text, or an empty
// one, counts as false, so the setup wizard runs again rather than being skipped.
bool settingToBool(const QString& text);

// Rounds to the nearest integer, a half to the even neighbour, and clamps into 16 bits.
std::int16_t toPosition(double value);

// Settings of the companion, read and written in the stored text format.
class AppSettings {
public:
    explicit AppSettings(platform::SettingsStore& store) : m_store(store) {}

    bool setupDone();
    void markSetupDone();
    // The remembered position; a missing key gives `defaultValue` (half the screen).
    double readPosition(const char* key, float defaultValue);
    void writePosition(double x, double y);
    // `[display] scale`: 1..4 physical pixels per character pixel, or 0 for "auto" (the
    // screen's device pixel ratio, rounded). Absent, "auto" or any other text gives 0.
    int displayScale();

private:
    platform::SettingsStore& m_store;
};

}  // namespace app
