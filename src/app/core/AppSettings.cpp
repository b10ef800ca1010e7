#include "app/core/AppSettings.h"

#include <cmath>
#include <limits>

namespace app {

QString formatNumber(double value) {
    if (!std::isfinite(value)) {
        return QStringLiteral(" 0");
    }
    // Up to 15 significant digits, plain decimal notation, no trailing zeros.
    QString digits = QString::number(std::fabs(value), 'f', 10);
    if (digits.contains(QLatin1Char('.'))) {
        while (digits.endsWith(QLatin1Char('0'))) {
            digits.chop(1);
        }
        if (digits.endsWith(QLatin1Char('.'))) {
            digits.chop(1);
        }
    }
    if (digits == QLatin1String("0")) {
        return QStringLiteral(" 0");
    }
    return (value < 0 ? QStringLiteral("-") : QStringLiteral(" ")) + digits;
}

double leadingNumber(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    qsizetype i = 0;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t')) {
        ++i;
    }
    const qsizetype start = i;
    if (i < bytes.size() && (bytes[i] == '+' || bytes[i] == '-')) {
        ++i;
    }
    qsizetype mantissaDigits = 0;
    while (i < bytes.size() && bytes[i] >= '0' && bytes[i] <= '9') {
        ++i;
        ++mantissaDigits;
    }
    if (i < bytes.size() && bytes[i] == '.') {
        ++i;
        while (i < bytes.size() && bytes[i] >= '0' && bytes[i] <= '9') {
            ++i;
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0) {
        return 0;
    }
    qsizetype end = i;
    if (i < bytes.size() && (bytes[i] == 'e' || bytes[i] == 'E')) {
        qsizetype j = i + 1;
        if (j < bytes.size() && (bytes[j] == '+' || bytes[j] == '-')) {
            ++j;
        }
        if (j < bytes.size() && bytes[j] >= '0' && bytes[j] <= '9') {
            while (j < bytes.size() && bytes[j] >= '0' && bytes[j] <= '9') {
                ++j;
            }
            end = j;
        }
    }
    bool ok = false;
    const double value = QByteArray(bytes.constData() + start, end - start).toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0;
}

bool settingToBool(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) {
        return true;
    }
    if (trimmed.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0 || trimmed.isEmpty()) {
        return false;
    }
    bool ok = false;
    const double number = trimmed.toDouble(&ok);
    return ok && number != 0;
}

std::int16_t toPosition(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    const double rounded = std::nearbyint(value);  // default rounding mode: half to even
    constexpr double kMin = std::numeric_limits<std::int16_t>::min();
    constexpr double kMax = std::numeric_limits<std::int16_t>::max();
    return static_cast<std::int16_t>(rounded < kMin ? kMin : (rounded > kMax ? kMax : rounded));
}

bool AppSettings::setupDone() {
    return settingToBool(m_store.read(QString::fromLatin1(kSettingsApp), QStringLiteral("ver99"),
                                      QStringLiteral("1_0"), QStringLiteral("False")));
}

void AppSettings::markSetupDone() {
    m_store.write(QString::fromLatin1(kSettingsApp), QStringLiteral("ver99"), QStringLiteral("1_0"),
                  QStringLiteral("True"));
}

double AppSettings::readPosition(const char* key, float defaultValue) {
    const QString text =
        m_store.read(QString::fromLatin1(kSettingsApp), QStringLiteral("pos"),
                     QString::fromLatin1(key), formatNumber(static_cast<double>(defaultValue)));
    return leadingNumber(text);
}

int AppSettings::displayScale() {
    const QString text = m_store
                             .read(QString::fromLatin1(kSettingsApp), QStringLiteral("display"),
                                   QStringLiteral("scale"), QStringLiteral("auto"))
                             .trimmed();
    bool ok = false;
    const int scale = text.toInt(&ok);
    return ok && scale >= 1 && scale <= 4 ? scale : 0;
}

void AppSettings::writePosition(double x, double y) {
    m_store.write(QString::fromLatin1(kSettingsApp), QStringLiteral("pos"), QStringLiteral("x"),
                  formatNumber(x));
    m_store.write(QString::fromLatin1(kSettingsApp), QStringLiteral("pos"), QStringLiteral("y"),
                  formatNumber(y));
}

}  // namespace app
