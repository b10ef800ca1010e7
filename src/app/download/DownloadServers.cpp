#include "app/download/DownloadServers.h"

#include <QRegularExpression>

#include "app/core/AppSettings.h"

namespace app {
namespace {

QStringList readBases(platform::SettingsStore& store, const char* key,
                      const QStringList& fallback) {
    const QString value = store.read(QString::fromLatin1(kSettingsApp), QStringLiteral("download"),
                                     QString::fromLatin1(key), QString());
    const QStringList bases =
        value.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    return bases.isEmpty() ? fallback : bases;
}

}  // namespace

DownloadServers DownloadServers::fromSettings(platform::SettingsStore& store) {
    DownloadServers servers;
    servers.characters = readBases(store, "characters", servers.characters);
    servers.driver = readBases(store, "driver", servers.driver);
    return servers;
}

QString serverUrl(const QString& base, const QString& path) {
    QString url = base;
    while (url.endsWith(QLatin1Char('/'))) {
        url.chop(1);
    }
    return url + path;
}

QStringList serverUrls(const QStringList& bases, const QString& path) {
    QStringList urls;
    for (const QString& base : bases) {
        urls.append(serverUrl(base, path));
    }
    return urls;
}

}  // namespace app
