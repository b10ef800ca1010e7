#pragma once

// Files for tests to set up and look at. A write that fails fails the running test, so a test
// never goes on over a fixture it does not have.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <vector>

namespace testsupport {

// Writes `bytes` to `path`, making its folder first.
inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    const bool ok = QDir().mkpath(QFileInfo(path).absolutePath()) &&
                    file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    EXPECT_TRUE(ok) << "cannot write " << path.toStdString();
    return ok;
}

inline bool writeFile(const QString& path, const std::vector<std::uint8_t>& bytes) {
    return writeFile(path, QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                      static_cast<qsizetype>(bytes.size())));
}

// Writes each file below `root`; a name ending in "/" makes a folder instead.
inline void writeFiles(const QString& root, const std::map<QString, QByteArray>& files) {
    for (const auto& [name, content] : files) {
        const QString path = root + QLatin1Char('/') + name;
        if (name.endsWith(QLatin1Char('/'))) {
            EXPECT_TRUE(QDir().mkpath(path)) << path.toStdString();
        } else {
            writeFile(path, content);
        }
    }
}

// The names of the files in `folder`, hidden ones included, in name order.
inline QStringList fileNames(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// The whole file, or `missing` when it cannot be read.
inline QByteArray readFile(const QString& path, const QByteArray& missing = {}) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : missing;
}

}  // namespace testsupport
