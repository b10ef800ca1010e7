#pragma once

#include <QString>
#include <QStringList>

#include "platform/SettingsStore.h"

namespace app {

// The base URLs the download forms fetch from, tried in order for each file until one gives a
// usable file. A base may carry a path prefix ("http://mirror.example/agent"); the fixed
// paths of the files are appended to it.
struct DownloadServers {
    // The original servers first, then the Internet Archive's raw captures of them.
    QStringList characters{
        QStringLiteral("http://agent.microsoft.com"),
        QStringLiteral("http://web.archive.org/web/2002id_/http://agent.microsoft.com")};
    QStringList driver{
        QStringLiteral("http://activex.microsoft.com"),
        QStringLiteral("http://web.archive.org/web/2002id_/http://activex.microsoft.com")};

    // Reads "Agent"/"download"/"characters" and "driver": one or more base URLs separated by
    // blanks. An absent or blank key keeps the default list above. Nothing is written.
    static DownloadServers fromSettings(platform::SettingsStore& store);
};

// `base` followed by `path` (which begins with "/"), with any trailing "/" of the base
// dropped so that the two never double the separator.
QString serverUrl(const QString& base, const QString& path);
// serverUrl for every base, in order.
QStringList serverUrls(const QStringList& bases, const QString& path);

}  // namespace app
