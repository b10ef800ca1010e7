#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "platform/http/DesktopProcessStarter.h"
#include "platform/http/InstallerExtractor.h"

namespace {

using Members = QList<QPair<QString, QByteArray>>;

QByteArray character(const char* signature = "\xC3\xAB\xCD\xAB") {
    return QByteArray(signature) + QByteArray(20000, '\x5A');
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Installers are laid out as the real ones: a Windows stub (with a stray "MSCF" that heads no
// cabinet), a cabinet made by gcab, and trailing data.
class InstallerExtractorTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable(QStringLiteral("gcab")).isEmpty()) {
            GTEST_SKIP() << "gcab is not installed";
        }
    }

    // A name may contain '/' to store a folder.
    static QByteArray cabinet(const Members& members, bool compress = true) {
        QTemporaryDir work;
        QStringList args{compress ? QStringLiteral("-cz") : QStringLiteral("-c"),
                         QStringLiteral("out.cab")};
        for (const auto& [name, bytes] : members) {
            writeFile(work.filePath(name), bytes);
            args << name;
        }
        QProcess gcab;
        gcab.setWorkingDirectory(work.path());
        gcab.start(QStringLiteral("gcab"), args);
        EXPECT_TRUE(gcab.waitForFinished(30000) && gcab.exitCode() == 0);
        return readFile(work.filePath(QStringLiteral("out.cab")));
    }

    QString installer(const QByteArray& cab) {
        const QByteArray stub = "MZ\x90" + QByteArray(3000, '\x11') + "MSCF\x01\x02 code";
        writeFile(dir.filePath(QStringLiteral("1.exe")), stub + cab + QByteArray(500, '\x33'));
        return dir.filePath(QStringLiteral("1.exe"));
    }

    QString chars() const { return dir.filePath(QStringLiteral("share/msagent/chars")); }
    QStringList charsContent() const {
        return QDir(chars()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir dir;
};

TEST_F(InstallerExtractorTest, CharacterLandsUnderASafeName) {
    struct Case {
        Members members;
        bool compress;
        const char* stored;
    };
    const Case cases[] = {
        {{{QStringLiteral("Genie.inf"), "[Version]"}, {QStringLiteral("Genie.acs"), character()}},
         true,
         "Genie.acs"},
        {{{QStringLiteral("Peedy.acs"), character()}}, false, "Peedy.acs"},
        {{{QString::fromUtf8("x/Mer lin\xC3\xA9.ACS"), character()}}, true, "Merlin.acs"},
    };
    for (const Case& c : cases) {
        QDir(chars()).removeRecursively();
        const platform::ExtractResult result =
            platform::extractCharacter(installer(cabinet(c.members, c.compress)), chars());
        ASSERT_TRUE(result.ok) << result.error.toStdString();
        EXPECT_EQ(charsContent(), QStringList{QString::fromLatin1(c.stored)});
        EXPECT_EQ(readFile(result.path), character());
    }
}

// Each broken installer fails and leaves an older character of the same name untouched.
TEST_F(InstallerExtractorTest, BrokenInstallersChangeNothing) {
    const QByteArray good = cabinet({{QStringLiteral("Genie.acs"), character()}});
    struct Case {
        const char* why;
        QByteArray cab;
        qint64 maxBytes;
    };
    const qint64 any = 1 << 20;
    const Case cases[] = {
        {"no cabinet at all", QByteArray(4000, '\x44'), any},
        {"cabinet cut in half", good.left(good.size() / 2), any},
        {"character too large", good, 1000},
        {"Agent 1.5 character",
         cabinet({{QStringLiteral("Genie.acs"), character("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")}}),
         any},
        {"no .acs member", cabinet({{QStringLiteral("Genie.inf"), "[Version]"}}), any},
    };
    writeFile(chars() + QStringLiteral("/Genie.acs"), "older character");
    for (const Case& c : cases) {
        EXPECT_FALSE(platform::extractCharacter(installer(c.cab), chars(), c.maxBytes).ok) << c.why;
        EXPECT_EQ(charsContent(), QStringList{QStringLiteral("Genie.acs")}) << c.why;
        EXPECT_EQ(readFile(chars() + QStringLiteral("/Genie.acs")), "older character") << c.why;
    }
}

TEST(CabinetHeaderTest, OnlyPlausibleHeadersAreAccepted) {
    // 1 folder, 1 file, 200 bytes long, file entries at 44.
    const QByteArray valid = "MSCF" + QByteArray::fromHex(
                                          "00000000c800000000000000"
                                          "2c000000000000000301010001000000"
                                          "00000000");
    EXPECT_TRUE(platform::isAcceptableCabinetHeader(valid, 200));
    struct Case {
        int offset;
        QByteArray bytes;
        qint64 bytesToEnd;
    };
    const Case cases[] = {
        {0, {}, 199},                                // longer than the rest of the file
        {0, "MSCG", 200},                            // signature
        {4, QByteArray::fromHex("01"), 200},         // reserved1
        {8, QByteArray::fromHex("23000000"), 200},   // smaller than a header
        {16, QByteArray::fromHex("c8000000"), 200},  // file entries past the end
        {24, QByteArray::fromHex("02"), 200},        // version 1.2
        {26, QByteArray::fromHex("0000"), 200},      // no folder
        {28, QByteArray::fromHex("0000"), 200},      // no file
        {30, QByteArray::fromHex("01"), 200},        // has a previous part
        {30, QByteArray::fromHex("02"), 200},        // has a next part
    };
    for (const Case& c : cases) {
        QByteArray header = valid;
        header.replace(c.offset, c.bytes.size(), c.bytes);
        EXPECT_FALSE(platform::isAcceptableCabinetHeader(header, c.bytesToEnd)) << c.offset;
    }
    EXPECT_FALSE(platform::isAcceptableCabinetHeader(valid.left(35), 200));
}

TEST_F(InstallerExtractorTest, StartingExtractsAndRunsNothingDownloaded) {
    platform::DesktopProcessStarter starter(chars());
    const QString path = installer(cabinet({{QStringLiteral("Robby.acs"), character()}}));
    EXPECT_TRUE(starter.start(path, platform::WindowStyle::MinimizedNoFocus));
    EXPECT_EQ(charsContent(), QStringList{QStringLiteral("Robby.acs")});

    // An error page saved as an installer, a missing file, a script without the execute bit.
    writeFile(dir.filePath(QStringLiteral("2.exe")), "<html>not found</html>");
    writeFile(dir.filePath(QStringLiteral("script")), "#!/bin/sh\ntouch ran\n");
    for (const char* name : {"2.exe", "3.exe", "script"}) {
        EXPECT_FALSE(starter.start(dir.filePath(QString::fromLatin1(name)),
                                   platform::WindowStyle::NormalFocus))
            << name;
    }
    EXPECT_FALSE(QFile::exists(QStringLiteral("ran")));
}

TEST(AgentCharactersFolderTest, FollowsXdgDataHome) {
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    const QString fallback = QDir::homePath() + QStringLiteral("/.local/share/msagent/chars");
    qputenv("XDG_DATA_HOME", "/data/home");
    EXPECT_EQ(platform::agentCharactersFolder(), QStringLiteral("/data/home/msagent/chars"));
    qputenv("XDG_DATA_HOME", "relative");
    EXPECT_EQ(platform::agentCharactersFolder(), fallback);
    qunsetenv("XDG_DATA_HOME");
    EXPECT_EQ(platform::agentCharactersFolder(), fallback);
    if (!saved.isNull()) {
        qputenv("XDG_DATA_HOME", saved);
    }
}

}  // namespace
