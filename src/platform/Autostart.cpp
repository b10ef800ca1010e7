#include "platform/Autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace platform {

namespace {

// A path as one argument of an Exec key: quoted when it holds anything but plain characters,
// with the characters the desktop entry format reserves escaped inside the quotes.
QString execArgument(const QString& path) {
    bool plain = !path.isEmpty();
    for (const QChar c : path) {
        if (!(c.isLetterOrNumber() || QStringLiteral("/._-+").contains(c))) {
            plain = false;
        }
    }
    if (plain) {
        return path;
    }
    QString quoted;
    for (const QChar c : path) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\')) {
            quoted += QLatin1Char('\\');
        }
        quoted += c;
    }
    quoted = QLatin1Char('"') + quoted + QLatin1Char('"');
    // The desktop entry's own escapes apply on top of the quoting, and "%" is a field code.
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return quoted;
}

}  // namespace

Autostart::Autostart(QString configHome, QString program)
    : m_configHome(std::move(configHome)), m_program(std::move(program)) {}

QString Autostart::entryPath() const {
    return QDir(m_configHome).filePath(QStringLiteral("autostart/porukane.desktop"));
}

bool Autostart::enabled() const {
    QFile file(entryPath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return false;
    }
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.startsWith("Hidden") && line.endsWith("true")) {
            return false;
        }
    }
    return true;
}

bool Autostart::setEnabled(bool on) {
    const QString path = entryPath();
    if (!on) {
        return !QFileInfo::exists(path) || QFile::remove(path);
    }
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    file.write(entryText(m_program).toUtf8());
    return file.commit();
}

QString Autostart::entryText(const QString& program) {
    return QStringLiteral(
               "[Desktop Entry]\n"
               "Type=Application\n"
               "Name=Porukane 99\n"
               "Name[ja]=") +
           QString::fromUtf8("ﾎﾟﾙｶﾈ ９９") +
           QStringLiteral(
               "\n"
               "Comment=A character that lives on the desktop\n"
               "Comment[ja]=") +
           QString::fromUtf8("デスクトップに住むキャラクター") +
           QStringLiteral(
               "\n"
               "Exec=") +
           execArgument(program) +
           QStringLiteral(
               "\n"
               "Icon=org.porukane.Porukane\n"
               "Terminal=false\n"
               "StartupNotify=false\n"
               "X-GNOME-Autostart-enabled=true\n");
}

QString Autostart::defaultConfigHome() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

}  // namespace platform
