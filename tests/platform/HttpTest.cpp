#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <tuple>

#include "LoopbackHttpServer.h"
#include "TestFiles.h"
#include "platform/http/DesktopProcessStarter.h"
#include "platform/http/InstallerExtractor.h"
#include "platform/http/QtHttpTransfer.h"

// The real HTTP transfer against a loopback server, and the installer extraction against
// installers built with gcab.

namespace {

using testsupport::fileNames;
using testsupport::httpReply;
using testsupport::readFile;
using testsupport::writeFile;

class HttpTransferTest : public ::testing::Test {
protected:
    // Routes answer with raw bytes, so a test sends exactly the broken response it needs; a
    // stalled route then keeps the connection open and silent.
    HttpTransferTest() {
        const QByteArray unsized = "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n";
        const QByteArray cut = "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n0123456789";
        const auto redirect = [](const QByteArray& to) {
            return "HTTP/1.1 302 Found\r\nLocation: " + to +
                   "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        };
        server.routes = {
            {"/agent2/chars/Genie.exe", httpReply("200 OK", kBody)},
            {"/moved", redirect("/agent2/chars/Genie.exe")},
            {"/unsized", unsized + kBody},
            {"/broken", httpReply("500 Server Error", "oops")},
            {"/loop", redirect("/loop")},
            {"/short", cut},  // then closed
            {"/slow", cut},   // then silent
            {"/huge", httpReply("200 OK", QByteArray(9000, 'x'))},
            {"/huge-unsized", unsized + QByteArray(9000, 'x')},
        };
        server.stalled = {"/slow"};
    }

    QUrl url(const char* path) const { return server.url(path); }
    QString target() const { return dir.filePath(QStringLiteral("1.exe")); }

    const QByteArray kBody = "MZ" + QByteArray(5000, '\x90') + "end";
    testsupport::LoopbackHttpServer server;
    QTemporaryDir dir;
    // Generous for the transfers that should work even on a loaded machine; a short one only
    // for the stalled body.
    platform::QtHttpTransfer http{platform::HttpLimits{10000, 8192, 5}};
    platform::QtHttpTransfer impatient{platform::HttpLimits{300, 8192, 5}};
};

TEST_F(HttpTransferTest, BodyIsStoredByteForByte) {
    const std::pair<const char*, QList<QByteArray>> cases[] = {
        {"/agent2/chars/Genie.exe", {"/agent2/chars/Genie.exe"}},
        {"/moved", {"/moved", "/agent2/chars/Genie.exe"}},
        {"/unsized", {"/unsized"}},
    };
    for (const auto& [path, expected] : cases) {
        server.requested.clear();
        const platform::TransferResult result = http.fetchToFile(url(path), target());
        ASSERT_TRUE(result.ok) << path << ": " << result.error.toStdString();
        EXPECT_EQ(server.requested, expected);
        EXPECT_EQ(readFile(target()), kBody) << path;
        EXPECT_FALSE(QFileInfo(target()).isExecutable());
        EXPECT_EQ(fileNames(dir.path()), QStringList{"1.exe"});
        QFile::remove(target());
    }
}

// Every way a transfer can go wrong leaves the folder as it was: no installer, no temporary.
TEST_F(HttpTransferTest, FailuresLeaveNoFile) {
    const QString refused = testsupport::LoopbackHttpServer::refusingBase() + "/x";
    struct Case {
        QUrl url;
        const char* error;  // pattern of the logged reason
        platform::HttpTransfer* via = nullptr;
    };
    const Case cases[] = {
        {url("/missing"), "not found"},  // a 404 page is not an installer
        {url("/broken"), "server error"},
        {url("/short"), "cut short|connection closed"},
        {url("/slow"), "no data for 300 ms", &impatient},
        {url("/huge"), "too large"},
        {url("/huge-unsized"), "larger than 8192"},
        {url("/loop"), "redirect"},
        {QUrl(refused), "refused"},
        {QUrl(QStringLiteral("file:///etc/passwd")), "not an http"},
    };
    for (const Case& c : cases) {
        const platform::TransferResult result =
            (c.via ? *c.via : http).fetchToFile(c.url, target());
        EXPECT_FALSE(result.ok) << c.url.toString().toStdString();
        EXPECT_TRUE(result.error.contains(
            QRegularExpression(QLatin1String(c.error), QRegularExpression::CaseInsensitiveOption)))
            << result.error.toStdString();
        EXPECT_TRUE(fileNames(dir.path()).isEmpty()) << c.url.toString().toStdString();
    }
}

using Members = QList<QPair<const char*, QByteArray>>;  // UTF-8 names; '/' stores a folder

QByteArray character(const char* signature = "\xC3\xAB\xCD\xAB") {
    return QByteArray(signature) + QByteArray(20000, '\x5A');
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

    static QByteArray cabinet(const Members& members, bool compress = true) {
        QTemporaryDir work;
        QStringList args{compress ? QStringLiteral("-cz") : QStringLiteral("-c"),
                         QStringLiteral("out.cab")};
        for (const auto& [name, bytes] : members) {
            writeFile(work.filePath(QString::fromUtf8(name)), bytes);
            args << QString::fromUtf8(name);
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

    QTemporaryDir dir;
};

TEST_F(InstallerExtractorTest, CharacterLandsUnderASafeName) {
    const std::tuple<Members, bool, const char*> cases[] = {
        {{{"Genie.inf", "[Version]"}, {"Genie.acs", character()}}, true, "Genie.acs"},
        {{{"Peedy.acs", character()}}, false, "Peedy.acs"},
        {{{"x/Mer lin\xC3\xA9.ACS", character()}}, true, "Merlin.acs"},
    };
    for (const auto& [members, compress, stored] : cases) {
        QDir(chars()).removeRecursively();
        const platform::ExtractResult result =
            platform::extractCharacter(installer(cabinet(members, compress)), chars());
        ASSERT_TRUE(result.ok) << result.error.toStdString();
        EXPECT_EQ(fileNames(chars()), QStringList{QString::fromLatin1(stored)});
        EXPECT_EQ(readFile(result.path), character());
    }
}

// Each broken installer fails, does not count as a character's installer, and leaves an older
// character of the same name untouched.
TEST_F(InstallerExtractorTest, BrokenInstallersChangeNothing) {
    platform::DesktopProcessStarter starter(chars());
    const QByteArray good = cabinet({{"Genie.acs", character()}});
    const qint64 any = 1 << 20;
    const std::tuple<const char*, QByteArray, qint64> cases[] = {
        {"no cabinet at all", QByteArray(4000, '\x44'), any},
        {"cabinet cut in half", good.left(good.size() / 2), any},
        {"character too large", good, 1000},
        {"Agent 1.5 character",
         cabinet({{"Genie.acs", character("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")}}), any},
        {"no .acs member", cabinet({{"Genie.inf", "[Version]"}}), any},
    };
    writeFile(chars() + QStringLiteral("/Genie.acs"), "older character");
    for (const auto& [why, cab, maxBytes] : cases) {
        const QString path = installer(cab);
        EXPECT_FALSE(platform::extractCharacter(path, chars(), maxBytes).ok) << why;
        EXPECT_EQ(starter.isCharacterInstaller(path), maxBytes != any) << why;
        EXPECT_EQ(fileNames(chars()), QStringList{"Genie.acs"}) << why;
        EXPECT_EQ(readFile(chars() + QStringLiteral("/Genie.acs")), "older character") << why;
    }
    // A good installer counts, and checking it puts nothing in the characters folder.
    EXPECT_TRUE(starter.isCharacterInstaller(installer(good)));
    writeFile(dir.filePath(QStringLiteral("page.exe")), "<html>a portal page</html>");
    EXPECT_FALSE(starter.isCharacterInstaller(dir.filePath(QStringLiteral("page.exe"))));
    EXPECT_FALSE(starter.isCharacterInstaller(dir.filePath(QStringLiteral("missing.exe"))));
    EXPECT_EQ(readFile(chars() + QStringLiteral("/Genie.acs")), "older character");
}

TEST(CabinetHeaderTest, OnlyPlausibleHeadersAreAccepted) {
    // 1 folder, 1 file, 200 bytes long, file entries at 44.
    const QByteArray valid = "MSCF" + QByteArray::fromHex(
                                          "00000000c800000000000000"
                                          "2c00000000000000030101000100000000000000");
    EXPECT_TRUE(platform::isAcceptableCabinetHeader(valid, 200));
    EXPECT_FALSE(platform::isAcceptableCabinetHeader(valid, 199));  // longer than the file's rest
    EXPECT_FALSE(platform::isAcceptableCabinetHeader(valid.left(35), 200));
    // Signature, reserved1, smaller than a header, file entries past the end, version 1.2, no
    // folder, no file, a previous part, a next part.
    const std::pair<int, const char*> cases[] = {{0, "4d534347"},  {4, "01"},  {8, "23000000"},
                                                 {16, "c8000000"}, {24, "02"}, {26, "0000"},
                                                 {28, "0000"},     {30, "01"}, {30, "02"}};
    for (const auto& [offset, hex] : cases) {
        const QByteArray bytes = QByteArray::fromHex(hex);
        EXPECT_FALSE(platform::isAcceptableCabinetHeader(
            QByteArray(valid).replace(offset, bytes.size(), bytes), 200))
            << offset << ' ' << hex;
    }
}

TEST_F(InstallerExtractorTest, StartingExtractsAndRunsNothingDownloaded) {
    platform::DesktopProcessStarter starter(chars());
    const QString path = installer(cabinet({{"Robby.acs", character()}}));
    EXPECT_TRUE(starter.start(path, platform::WindowStyle::MinimizedNoFocus));
    EXPECT_EQ(fileNames(chars()), QStringList{"Robby.acs"});

    // An error page saved as an installer, a missing file, a script without the execute bit.
    // Each script leaves a marker at an absolute path when it runs.
    const auto script = [&](const char* name, const char* marker) {
        const QString file = dir.filePath(QString::fromLatin1(name));
        writeFile(file, "#!/bin/sh\ntouch '" + dir.filePath(QString::fromLatin1(marker)).toUtf8() +
                            "'\n");
        return file;
    };
    writeFile(dir.filePath(QStringLiteral("2.exe")), "<html>not found</html>");
    script("script", "ran");
    for (const char* name : {"2.exe", "3.exe", "script"}) {
        EXPECT_FALSE(starter.start(dir.filePath(QString::fromLatin1(name)),
                                   platform::WindowStyle::NormalFocus))
            << name;
    }
    // The same script with its execute bit does run; once its marker is there, a script the
    // starter had wrongly started before it would have left its own marker as well.
    const QString control = script("control", "control-ran");
    QFile::setPermissions(control, QFile::permissions(control) | QFile::ExeOwner);
    ASSERT_TRUE(starter.start(control, platform::WindowStyle::NormalFocus));
    const QString controlRan = dir.filePath(QStringLiteral("control-ran"));
    for (int waited = 0; waited < 20000 && !QFile::exists(controlRan); waited += 20)
        QThread::msleep(20);
    ASSERT_TRUE(QFile::exists(controlRan)) << "the executable control script did not run in 20 s";
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("ran"))));
}

// A relative XDG_DATA_HOME is ignored, as the base directory rules require.
TEST(AgentCharactersFolderTest, FollowsAnAbsoluteXdgDataHome) {
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    const QString fallback = QDir::homePath() + QStringLiteral("/.local/share/msagent/chars");
    qputenv("XDG_DATA_HOME", "/data/home");
    EXPECT_EQ(platform::agentCharactersFolder(), QStringLiteral("/data/home/msagent/chars"));
    qputenv("XDG_DATA_HOME", "relative");
    EXPECT_EQ(platform::agentCharactersFolder(), fallback);
    qunsetenv("XDG_DATA_HOME");
    EXPECT_EQ(platform::agentCharactersFolder(), fallback);
    if (!saved.isNull())
        qputenv("XDG_DATA_HOME", saved);
}

}  // namespace
