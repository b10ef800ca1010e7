#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>

#include "LoopbackServer.h"
#include "platform/http/QtHttpTransfer.h"

namespace {

QByteArray redirect(const QByteArray& to) {
    return "HTTP/1.1 302 Found\r\nLocation: " + to +
           "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
}

class HttpTransferTest : public ::testing::Test {
protected:
    HttpTransferTest() {
        server.routes["/agent2/chars/Genie.exe"] = {LoopbackServer::ok(kBody)};
        server.routes["/mirror/agent2/chars/Genie.exe"] = {LoopbackServer::ok(kBody)};
        server.routes["/moved"] = {redirect("/agent2/chars/Genie.exe")};
        server.routes["/unsized"] = {"HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + kBody};
        server.routes["/broken"] = {LoopbackServer::status(500, "Server Error", "oops")};
        server.routes["/loop"] = {redirect("/loop")};
        server.routes["/short"] = {
            "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n"
            "Connection: close\r\n\r\n0123456789"};
        server.routes["/slow"] = {"HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n0123456789",
                                  true};
        server.routes["/huge"] = {LoopbackServer::ok(QByteArray(9000, 'x'))};
        server.routes["/huge-unsized"] = {"HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" +
                                          QByteArray(9000, 'x')};
    }

    QString target() const { return dir.filePath(QStringLiteral("1.exe")); }
    QUrl url(const char* path) const { return QUrl(QString::fromLatin1(server.base() + path)); }
    QStringList files() const {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    const QByteArray kBody = "MZ" + QByteArray(5000, '\x90') + "end";
    LoopbackServer server;
    QTemporaryDir dir;
    // Generous for the transfers that should work even on a loaded machine; a short one only
    // for the stalled body.
    platform::QtHttpTransfer http{platform::HttpLimits{10000, 8192, 5}};
    platform::QtHttpTransfer impatient{platform::HttpLimits{300, 8192, 5}};
};

TEST_F(HttpTransferTest, BodyIsStoredByteForByte) {
    struct Case {
        const char* path;
        QList<QByteArray> requested;
    };
    const Case cases[] = {
        {"/agent2/chars/Genie.exe", {"/agent2/chars/Genie.exe"}},
        {"/mirror/agent2/chars/Genie.exe", {"/mirror/agent2/chars/Genie.exe"}},
        {"/moved", {"/moved", "/agent2/chars/Genie.exe"}},
        {"/unsized", {"/unsized"}},
    };
    for (const Case& c : cases) {
        server.requested.clear();
        const platform::TransferResult result = http.fetchToFile(url(c.path), target());
        ASSERT_TRUE(result.ok) << c.path << ": " << result.error.toStdString();
        EXPECT_EQ(server.requested, c.requested);
        QFile file(target());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), kBody) << c.path;
        EXPECT_FALSE(QFileInfo(target()).isExecutable());
        EXPECT_EQ(files(), QStringList{QStringLiteral("1.exe")});
        QFile::remove(target());
    }
}

// Every way a transfer can go wrong leaves the folder as it was: no installer, no temporary.
TEST_F(HttpTransferTest, FailuresLeaveNoFile) {
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const QString refused = QStringLiteral("http://127.0.0.1:%1/x").arg(closed.serverPort());
    closed.close();
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
        EXPECT_TRUE(files().isEmpty()) << c.url.toString().toStdString();
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
