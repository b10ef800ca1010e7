#pragma once

// Runs the porukane-acs executable for the tool tests, and moves their files in and out.

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace acs::test {

struct ToolRun {
    int status = -1;  // -1 when the tool crashed
    QByteArray out;
    QString err;
};

// A tool that succeeds says nothing on stderr.
inline ToolRun tool(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(PORUKANE_ACS_TOOL), args);
    p.waitForFinished(600000);
    ToolRun r{p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
              QString::fromUtf8(p.readAllStandardError())};
    EXPECT_TRUE(r.status != 0 || r.err.isEmpty()) << r.err.toStdString();
    return r;
}

// A failure: status 1 and a single line on stderr that starts with `prefix` and holds `text`.
inline void expectOneLineError(const ToolRun& r, const QString& prefix, const QString& text = {}) {
    EXPECT_EQ(r.status, 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.startsWith(prefix) && r.err.contains(text) && r.err.count('\n') == 1)
        << r.err.toStdString();
}

// Writes `bytes` to `path` and hands back the path.
inline QString save(const QString& path, const std::vector<std::uint8_t>& bytes) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly) &&
                f.write(reinterpret_cast<const char*>(bytes.data()),
                        static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size()))
        << path.toStdString();
    return path;
}

inline std::vector<std::uint8_t> load(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    const QByteArray b = f.readAll();
    return {b.begin(), b.end()};
}

}  // namespace acs::test
