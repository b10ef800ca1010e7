#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "platform/http/DesktopProcessStarter.h"
#include "platform/http/InstallerExtractor.h"

namespace {

const QByteArray kAgent2("\xC3\xAB\xCD\xAB", 4);
const QByteArray kAgent15("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

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

QByteArray characterBytes(const QByteArray& signature) {
    QByteArray bytes = signature;
    for (int i = 0; i < 20000; ++i) {
        bytes.append(static_cast<char>((i * 31) ^ (i >> 3)));
    }
    return bytes;
}

// Installers are built here as the real ones are laid out: a Windows stub (with a stray
// "MSCF" that is no cabinet), the cabinet made by gcab, and trailing data.
class InstallerExtractorTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable(QStringLiteral("gcab")).isEmpty()) {
            GTEST_SKIP() << "gcab is not installed";
        }
    }

    // Members are name -> bytes; a name may contain '/' to store a folder.
    QByteArray cabinet(const QList<QPair<QString, QByteArray>>& members, bool compress = true) {
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
        EXPECT_TRUE(gcab.waitForFinished(30000));
        EXPECT_EQ(gcab.exitCode(), 0) << gcab.readAllStandardError().toStdString();
        return readFile(work.filePath(QStringLiteral("out.cab")));
    }

    QString installer(const QByteArray& cab) {
        QByteArray stub("MZ\x90\x00", 4);
        stub.append(QByteArray(3000, '\x11'));
        stub.append("MSCF\x01\x02\x03\x04 not a cabinet header at all, just code");
        stub.append(QByteArray(1000, '\x22'));
        const QString path = dir.filePath(QStringLiteral("1.exe"));
        writeFile(path, stub + cab + QByteArray(500, '\x33'));
        return path;
    }

    QString chars() const { return dir.filePath(QStringLiteral("share/msagent/chars")); }
    QStringList charsContent() const {
        return QDir(chars()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir dir;
};

TEST_F(InstallerExtractorTest, CharacterIsExtractedUnderItsOwnName) {
    for (bool compress : {true, false}) {
        const QByteArray acs = characterBytes(kAgent2);
        const QString path = installer(cabinet(
            {{QStringLiteral("Genie.inf"), "[Version]\r\n"}, {QStringLiteral("Genie.acs"), acs}},
            compress));
        const platform::ExtractResult result = platform::extractCharacter(path, chars());
        ASSERT_TRUE(result.ok) << result.error.toStdString();
        EXPECT_EQ(result.path, chars() + QStringLiteral("/Genie.acs"));
        EXPECT_EQ(readFile(result.path), acs);
        EXPECT_EQ(charsContent(), QStringList{QStringLiteral("Genie.acs")});
    }
}

TEST_F(InstallerExtractorTest, MemberNameCannotLeaveTheFolder) {
    const QString path =
        installer(cabinet({{QString::fromUtf8("x/Mer lin\xC3\xA9.ACS"), characterBytes(kAgent2)}}));
    const platform::ExtractResult result = platform::extractCharacter(path, chars());
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(charsContent(), QStringList{QStringLiteral("Merlin.acs")});
}

// Each broken installer fails and leaves an older character of the same name untouched.
TEST_F(InstallerExtractorTest, BrokenInstallersChangeNothing) {
    const QByteArray good = cabinet({{QStringLiteral("Genie.acs"), characterBytes(kAgent2)}});
    struct Case {
        const char* why;
        QByteArray cab;
    };
    const Case cases[] = {
        {"no cabinet at all", QByteArray(4000, '\x44')},
        {"cabinet cut in half", good.left(good.size() / 2)},
        {"Agent 1.5 character", cabinet({{QStringLiteral("Genie.acs"), characterBytes(kAgent15)}})},
        {"no .acs member", cabinet({{QStringLiteral("Genie.inf"), "[Version]"}})},
        {"empty .acs member", cabinet({{QStringLiteral("Genie.acs"), QByteArray()}})},
    };
    writeFile(chars() + QStringLiteral("/Genie.acs"), "older character");
    for (const Case& c : cases) {
        const platform::ExtractResult result = platform::extractCharacter(installer(c.cab), chars());
        EXPECT_FALSE(result.ok) << c.why;
        EXPECT_EQ(charsContent(), QStringList{QStringLiteral("Genie.acs")}) << c.why;
        EXPECT_EQ(readFile(chars() + QStringLiteral("/Genie.acs")), QByteArray("older character"))
            << c.why;
    }
}

TEST_F(InstallerExtractorTest, OversizedCharacterIsRefused) {
    const QString path = installer(cabinet({{QStringLiteral("Big.acs"), characterBytes(kAgent2)}}));
    EXPECT_FALSE(platform::extractCharacter(path, chars(), 1000).ok);
    EXPECT_TRUE(charsContent().isEmpty());
}

TEST(CabinetHeaderTest, OnlyPlausibleHeadersAreAccepted) {
    // A real header: 1 folder, 1 file, 200 bytes long, files at 44.
    QByteArray valid("MSCF", 4);
    valid.append(QByteArray::fromHex("00000000" "c8000000" "00000000" "2c000000" "00000000"
                                     "0301" "0100" "0100" "0000" "0000" "0000"));
    ASSERT_EQ(valid.size(), 36);
    EXPECT_TRUE(platform::isAcceptableCabinetHeader(valid, 200));

    struct Case {
        const char* why;
        int offset;
        QByteArray bytes;
        qint64 bytesToEnd;
    };
    const Case cases[] = {
        {"cabinet longer than the file", 0, {}, 199},
        {"reserved1 set", 4, QByteArray::fromHex("01"), 200},
        {"size below a header", 8, QByteArray::fromHex("23000000"), 200},
        {"files beyond the end", 16, QByteArray::fromHex("c8000000"), 200},
        {"version 1.2", 24, QByteArray::fromHex("02"), 200},
        {"no folder", 26, QByteArray::fromHex("0000"), 200},
        {"no file", 28, QByteArray::fromHex("0000"), 200},
        {"follows a previous cabinet", 30, QByteArray::fromHex("0100"), 200},
        {"continues in a next cabinet", 30, QByteArray::fromHex("0200"), 200},
        {"wrong signature", 0, "MSCG", 200},
    };
    for (const Case& c : cases) {
        QByteArray header = valid;
        header.replace(c.offset, c.bytes.size(), c.bytes);
        EXPECT_FALSE(platform::isAcceptableCabinetHeader(header, c.bytesToEnd)) << c.why;
    }
    EXPECT_FALSE(platform::isAcceptableCabinetHeader(valid.left(35), 200)) << "short header";
    QByteArray withReserve = valid;
    withReserve[30] = 4;
    EXPECT_TRUE(platform::isAcceptableCabinetHeader(withReserve, 200)) << "reserve fields";
}

TEST_F(InstallerExtractorTest, StartingAnInstallerExtractsAndRunsNothing) {
    const QString path =
        installer(cabinet({{QStringLiteral("Robby.acs"), characterBytes(kAgent2)}}));
    platform::DesktopProcessStarter starter(chars());
    EXPECT_TRUE(starter.start(path, platform::WindowStyle::MinimizedNoFocus));
    EXPECT_EQ(charsContent(), QStringList{QStringLiteral("Robby.acs")});

    // A downloaded body that is no installer, a missing file, and a plain non-executable file
    // all fail to start.
    const QString page = dir.filePath(QStringLiteral("2.exe"));
    writeFile(page, "<html>not found</html>");
    const QString script = dir.filePath(QStringLiteral("script"));
    writeFile(script, "#!/bin/sh\ntouch ran\n");
    for (const QString& p : {page, dir.filePath(QStringLiteral("3.exe")), script}) {
        EXPECT_FALSE(starter.start(p, platform::WindowStyle::MaximizedFocus)) << p.toStdString();
    }
}

TEST(AgentCharactersFolderTest, FollowsXdgDataHome) {
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", "/data/home");
    EXPECT_EQ(platform::agentCharactersFolder(), QStringLiteral("/data/home/msagent/chars"));
    qputenv("XDG_DATA_HOME", "relative/path");
    EXPECT_EQ(platform::agentCharactersFolder(),
              QDir::homePath() + QStringLiteral("/.local/share/msagent/chars"));
    qunsetenv("XDG_DATA_HOME");
    EXPECT_EQ(platform::agentCharactersFolder(),
              QDir::homePath() + QStringLiteral("/.local/share/msagent/chars"));
    if (!saved.isNull()) {
        qputenv("XDG_DATA_HOME", saved);
    }
}

}  // namespace
