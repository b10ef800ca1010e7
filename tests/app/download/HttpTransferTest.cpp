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

QByteArray installerBody() {
    QByteArray body("MZ");
    for (int i = 0; i < 5000; ++i) {
        body.append(static_cast<char>(i * 7));
    }
    return body;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class HttpTransferTest : public ::testing::Test {
protected:
    HttpTransferTest() {
        const QByteArray body = installerBody();
        server.routes["/agent2/chars/Genie.exe"] = {LoopbackServer::ok(body)};
        server.routes["/mirror/agent2/chars/Genie.exe"] = {LoopbackServer::ok(body)};
        server.routes["/missing"] = {LoopbackServer::status(404, "Not Found", "gone")};
        server.routes["/broken"] = {LoopbackServer::status(500, "Server Error", "oops")};
        server.routes["/moved"] = {"HTTP/1.1 302 Found\r\nLocation: /agent2/chars/Genie.exe\r\n"
                                   "Content-Length: 0\r\nConnection: close\r\n\r\n"};
        server.routes["/loop"] = {"HTTP/1.1 302 Found\r\nLocation: /loop\r\n"
                                  "Content-Length: 0\r\nConnection: close\r\n\r\n"};
        server.routes["/short"] = {"HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n"
                                   "Connection: close\r\n\r\n0123456789"};
        server.routes["/slow"] = {"HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n0123456789",
                                  true};
        server.routes["/unsized"] = {"HTTP/1.1 200 OK\r\nConnection: close\r\n\r\nplain body"};
        server.routes["/huge"] = {LoopbackServer::ok(QByteArray(9000, 'x'))};
        server.routes["/huge-unsized"] = {"HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" +
                                          QByteArray(9000, 'x')};
    }

    QString target() const { return dir.filePath(QStringLiteral("1.exe")); }
    QUrl url(const char* path) const { return QUrl(QString::fromLatin1(server.base() + path)); }
    QStringList leftovers() const {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    LoopbackServer server;
    QTemporaryDir dir;
    platform::QtHttpTransfer http{platform::HttpLimits{400, 8192, 5}};
};

TEST_F(HttpTransferTest, WholeBodyIsStoredByteForByte) {
    const platform::TransferResult result = http.fetchToFile(url("/agent2/chars/Genie.exe"),
                                                            target());
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(readFile(target()), installerBody());
    EXPECT_EQ(leftovers(), QStringList{QStringLiteral("1.exe")});
    EXPECT_FALSE(QFileInfo(target()).isExecutable());
}

TEST_F(HttpTransferTest, RedirectIsFollowed) {
    ASSERT_TRUE(http.fetchToFile(url("/moved"), target()).ok);
    EXPECT_EQ(readFile(target()), installerBody());
    EXPECT_EQ(server.requested,
              (QList<QByteArray>{"/moved", "/agent2/chars/Genie.exe"}));
}

TEST_F(HttpTransferTest, BaseWithPathPrefixReachesTheMirror) {
    ASSERT_TRUE(http.fetchToFile(url("/mirror/agent2/chars/Genie.exe"), target()).ok);
    EXPECT_EQ(server.requested, QList<QByteArray>{"/mirror/agent2/chars/Genie.exe"});
}

TEST_F(HttpTransferTest, BodyWithoutLengthIsStoredWhenTheServerCloses) {
    ASSERT_TRUE(http.fetchToFile(url("/unsized"), target()).ok);
    EXPECT_EQ(readFile(target()), QByteArray("plain body"));
}

// Every way a transfer can go wrong leaves the folder as it was: no installer, no temporary.
TEST_F(HttpTransferTest, FailuresLeaveNoFile) {
    struct Case {
        const char* path;
        const char* why;
        const char* error;  // pattern of the logged reason
    };
    const Case cases[] = {
        {"/missing", "404 page is not an installer", "Not Found"},
        {"/broken", "500 page is not an installer", "Server Error"},
        {"/short", "body cut short of its Content-Length", "cut short|connection closed"},
        {"/slow", "no data within the idle time-out", "no data for 400 ms"},
        {"/huge", "announced size above the cap", "too large"},
        {"/huge-unsized", "body grows above the cap", "larger than 8192"},
        {"/loop", "endless redirects", "redirect"},
    };
    for (const Case& c : cases) {
        const platform::TransferResult result = http.fetchToFile(url(c.path), target());
        EXPECT_FALSE(result.ok) << c.why;
        EXPECT_TRUE(result.error.contains(QRegularExpression(
            QLatin1String(c.error), QRegularExpression::CaseInsensitiveOption)))
            << c.why << ": " << result.error.toStdString();
        EXPECT_TRUE(leftovers().isEmpty()) << c.why << ": " << leftovers().join(' ').toStdString();
    }
}

TEST_F(HttpTransferTest, FailureKeepsAnOlderFileUnchanged) {
    QFile old(target());
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old installer");
    old.close();
    EXPECT_FALSE(http.fetchToFile(url("/short"), target()).ok);
    EXPECT_EQ(readFile(target()), QByteArray("old installer"));
}

TEST_F(HttpTransferTest, UnreachableOrUnsupportedUrlsFail) {
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 port = closed.serverPort();
    closed.close();
    const QString refused = QStringLiteral("http://127.0.0.1:%1/x").arg(port);
    for (const QString& address : {refused, QStringLiteral("ftp://127.0.0.1/x"),
                                   QStringLiteral("file:///etc/passwd"), QString()}) {
        EXPECT_FALSE(http.fetchToFile(QUrl(address), target()).ok) << address.toStdString();
        EXPECT_TRUE(leftovers().isEmpty());
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
