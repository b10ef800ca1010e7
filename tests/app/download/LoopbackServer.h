#pragma once

// A tiny HTTP/1.1 server on 127.0.0.1 for the transfer tests. It runs on the test's own thread:
// the transfer's local event loop serves it while the client waits. Each route answers with
// raw bytes, so tests can send exactly the broken responses they need.

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

class LoopbackServer {
public:
    struct Route {
        QByteArray response;  // status line, headers and (part of) the body, sent at once
        bool stall = false;   // keep the connection open and silent afterwards
    };

    LoopbackServer() {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket,
                                 [this, socket] { serve(socket); });
            }
        });
    }

    QByteArray base() const {
        return "http://127.0.0.1:" + QByteArray::number(m_server.serverPort());
    }

    // A complete 200 response with a Content-Length.
    static QByteArray ok(const QByteArray& body) {
        return "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) +
               "\r\nConnection: close\r\n\r\n" + body;
    }

    static QByteArray status(int code, const QByteArray& reason, const QByteArray& body) {
        return "HTTP/1.1 " + QByteArray::number(code) + ' ' + reason +
               "\r\nContent-Length: " + QByteArray::number(body.size()) +
               "\r\nConnection: close\r\n\r\n" + body;
    }

    QMap<QByteArray, Route> routes;  // request path -> answer; others get 404
    QList<QByteArray> requested;

private:
    void serve(QTcpSocket* socket) {
        QByteArray& pending = m_pending[socket];
        pending += socket->readAll();
        if (!pending.contains("\r\n\r\n")) {
            return;
        }
        const QList<QByteArray> requestLine = pending.left(pending.indexOf("\r\n")).split(' ');
        const QByteArray path = requestLine.value(1);
        m_pending.remove(socket);
        requested.append(path);
        const Route route =
            routes.value(path, Route{status(404, "Not Found", "no such file"), false});
        socket->write(route.response);
        if (!route.stall) {
            socket->disconnectFromHost();
        }
    }

    QTcpServer m_server;
    QMap<QTcpSocket*, QByteArray> m_pending;
};
