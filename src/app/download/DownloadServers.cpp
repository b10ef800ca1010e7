#include "app/download/DownloadServers.h"

#include "app/core/AppSettings.h"

namespace app {
namespace {

QString readBase(platform::SettingsStore& store, const char* key, const QString& fallback) {
    const QString value = store
                              .read(QString::fromLatin1(kSettingsApp), QStringLiteral("download"),
                                    QString::fromLatin1(key), QString())
                              .trimmed();
    return value.isEmpty() ? fallback : value;
}

}  // namespace

DownloadServers DownloadServers::fromSettings(platform::SettingsStore& store) {
    DownloadServers servers;
    servers.characters = readBase(store, "characters", servers.characters);
    servers.driver = readBase(store, "driver", servers.driver);
    return servers;
}

QString serverUrl(const QString& base, const QString& path) {
    QString url = base;
    while (url.endsWith(QLatin1Char('/'))) {
        url.chop(1);
    }
    return url + path;
}

}  // namespace app
