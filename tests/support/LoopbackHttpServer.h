#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <memory>

namespace testsupport {

// A well-formed HTTP/1.1 answer that closes the connection.
inline QByteArray httpReply(const QByteArray& status, const QByteArray& body) {
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

// A tiny HTTP/1.1 server on 127.0.0.1 for tests of the real transfer, served by whatever event
// loop runs (the transfer's own while the client waits). Each route answers with raw bytes, so
// a test sends exactly the response it needs, broken ones included; other paths get a 404.
class LoopbackHttpServer {
public:
    LoopbackHttpServer() {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket,
                                 [this, socket] { serve(socket); });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    // The base URL of a port on which nobody listens.
    static QString refusingBase() {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        const quint16 port = probe.serverPort();
        probe.close();
        return QStringLiteral("http://127.0.0.1:%1").arg(port);
    }
    QString base() const {
        return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort());
    }
    QUrl url(const char* path) const { return QUrl(base() + QLatin1String(path)); }

    QMap<QByteArray, QByteArray> routes;  // request path -> the whole answer
    QSet<QByteArray> stalled;  // paths whose connection stays open and silent after the answer
    // The answer goes out in `pieces` parts `gapMs` apart.
    int pieces = 1;
    int gapMs = 0;
    QList<QByteArray> requested;  // paths, in the order they came

private:
    void serve(QTcpSocket* socket) {
        // The socket buffers what came so far; answer once the whole request head is there.
        if (!socket->peek(1 << 16).contains("\r\n\r\n"))
            return;
        const QByteArray request = socket->readAll();
        const QByteArray path = request.left(request.indexOf("\r\n")).split(' ').value(1);
        requested.append(path);
        const QByteArray answer = routes.value(path, httpReply("404 Not Found", "no such file"));
        const bool close = !stalled.contains(path);
        const qsizetype step = (answer.size() + pieces - 1) / pieces;
        auto* timer = new QTimer(socket);
        auto sent = std::make_shared<qsizetype>(0);
        QPointer<QTcpSocket> guard(socket);
        QObject::connect(timer, &QTimer::timeout, socket, [=] {
            if (!guard)
                return;
            guard->write(answer.mid(*sent, step));
            *sent += step;
            if (*sent >= answer.size()) {
                timer->stop();
                if (close)
                    guard->disconnectFromHost();
            }
        });
        timer->start(gapMs);
    }

    QTcpServer m_server;
};

}  // namespace testsupport
