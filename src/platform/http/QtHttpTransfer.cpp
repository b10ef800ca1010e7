#include "platform/http/QtHttpTransfer.h"

#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>

namespace platform {
namespace {

int statusOf(const QNetworkReply& reply) {
    return reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

bool isSuccess(int status) {
    return status >= 200 && status < 300;
}

QNetworkRequest requestFor(const QUrl& url, const HttpLimits& limits) {
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(limits.maxRedirects);
    request.setTransferTimeout(limits.idleTimeoutMs);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    // Asking for the body as stored keeps Content-Length comparable with the bytes received
    // (Qt would otherwise inflate a gzip body behind our back).
    request.setRawHeader("Accept-Encoding", "identity");
    return request;
}

// Why a finished reply does not count as a whole download (empty when it does).
QString replyFailure(const QNetworkReply& reply, qint64 received, const HttpLimits& limits) {
    if (reply.error() == QNetworkReply::OperationCanceledError) {
        // We abort only through abortWith, so a cancel we did not ask for is the idle time-out.
        return QStringLiteral("no data for %1 ms").arg(limits.idleTimeoutMs);
    }
    if (reply.error() != QNetworkReply::NoError) {
        return reply.errorString();
    }
    const int status = statusOf(reply);
    if (!isSuccess(status)) {
        return QStringLiteral("HTTP status %1").arg(status);
    }
    const QVariant length = reply.header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() != received) {
        return QStringLiteral("body cut short: %1 of %2 bytes")
            .arg(received)
            .arg(length.toLongLong());
    }
    return {};
}

}  // namespace

QtHttpTransfer::QtHttpTransfer(HttpLimits limits) : m_limits(limits) {}

QtHttpTransfer::~QtHttpTransfer() = default;

TransferResult QtHttpTransfer::fetchToFile(const QUrl& url, const QString& path) {
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        return {false, QStringLiteral("not an http or https URL: ") + url.toString()};
    }
    if (!m_manager) {
        m_manager = std::make_unique<QNetworkAccessManager>();
    }

    // QSaveFile writes beside `path` and renames only on commit(): a cut-short body never
    // replaces or creates the installer.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return {false, QStringLiteral("cannot create ") + path + QStringLiteral(": ") +
                           file.errorString()};
    }

    std::unique_ptr<QNetworkReply> reply(m_manager->get(requestFor(url, m_limits)));
    QString failure;
    qint64 received = 0;
    auto abortWith = [&](const QString& why) {
        if (failure.isEmpty()) {
            failure = why;
        }
        reply->abort();
    };
    // Streams each arriving chunk to the file. The body of an error status (a 404 page) is
    // drained but never written.
    auto take = [&] {
        if (!reply->isOpen()) {
            return;  // aborted
        }
        const QByteArray chunk = reply->readAll();
        if (chunk.isEmpty() || !failure.isEmpty() || !isSuccess(statusOf(*reply))) {
            return;
        }
        received += chunk.size();
        if (received > m_limits.maxBytes) {
            abortWith(QStringLiteral("body larger than %1 bytes").arg(m_limits.maxBytes));
        } else if (file.write(chunk) != chunk.size()) {
            abortWith(QStringLiteral("cannot write: ") + file.errorString());
        }
    };
    QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, reply.get(), [&] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (isSuccess(statusOf(*reply)) && length.isValid() &&
            length.toLongLong() > m_limits.maxBytes) {
            abortWith(
                QStringLiteral("announced body of %1 bytes is too large").arg(length.toLongLong()));
        }
    });
    QObject::connect(reply.get(), &QNetworkReply::readyRead, reply.get(), take);

    QEventLoop loop;
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished()) {
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    take();

    if (failure.isEmpty()) {
        failure = replyFailure(*reply, received, m_limits);
    }
    if (failure.isEmpty() && !file.commit()) {
        failure =
            QStringLiteral("cannot write ") + path + QStringLiteral(": ") + file.errorString();
    }
    if (!failure.isEmpty()) {
        file.cancelWriting();
        return {false, url.toString() + QStringLiteral(": ") + failure};
    }
    // QSaveFile keeps the mode of a file it replaces; a download must never be executable.
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                    QFileDevice::ReadGroup | QFileDevice::ReadOther);
    return {true, {}};
}

}  // namespace platform
