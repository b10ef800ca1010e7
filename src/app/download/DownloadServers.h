#pragma once

#include <QString>

#include "platform/SettingsStore.h"

namespace app {

// The base URLs the download forms fetch from. A base may carry a path prefix
// ("http://mirror.example/agent"); the fixed paths of the files are appended to it.
struct DownloadServers {
    QString characters = QStringLiteral("http://agent.microsoft.com");
    QString driver = QStringLiteral("http://activex.microsoft.com");

    // Reads "Agent"/"download"/"characters" and "driver"; an absent or blank key keeps the
    // default above. Nothing is written.
    static DownloadServers fromSettings(platform::SettingsStore& store);
};

// `base` followed by `path` (which begins with "/"), with any trailing "/" of the base
// dropped so that the two never double the separator.
QString serverUrl(const QString& base, const QString& path);

}  // namespace app
