#include "platform/qt/QtSettingsStore.h"

#include <QDir>
#include <QSettings>
#include <QtGlobal>

#include <memory>

namespace platform {
namespace {

std::unique_ptr<QSettings> open(const QString& application) {
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>(
        QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\") + application,
        QSettings::NativeFormat);
#else
    return std::make_unique<QSettings>(QtSettingsStore::iniPath(application), QSettings::IniFormat);
#endif
}

}  // namespace

QString QtSettingsStore::iniPath(const QString& application) {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base)) {
        base = QDir::homePath() + QStringLiteral("/.config");
    }
    return base + QStringLiteral("/porukane/") + application + QStringLiteral(".ini");
}

QString QtSettingsStore::read(const QString& application, const QString& section,
                              const QString& key, const QString& defaultValue) {
    auto settings = open(application);
    const QVariant value = settings->value(section + QLatin1Char('/') + key);
    if (!value.isValid()) {
        return defaultValue;
    }
    return value.toString();
}

void QtSettingsStore::write(const QString& application, const QString& section, const QString& key,
                            const QString& value) {
    auto settings = open(application);
    settings->setValue(section + QLatin1Char('/') + key, value);
    // The program may end the process right after a write; the value must be on disk by then.
    settings->sync();
}

}  // namespace platform
