#pragma once

#include <QtGlobal>

#include <memory>

#include "platform/HttpTransfer.h"

class QNetworkAccessManager;

namespace platform {

// Limits of one transfer. The defaults suit installers of a few megabytes on a slow line.
struct HttpLimits {
    // A transfer that receives no byte for this long is abandoned (milliseconds, > 0).
    int idleTimeoutMs = 30000;
    // Bodies larger than this are refused, whatever the server announces.
    qint64 maxBytes = qint64{64} * 1024 * 1024;
    // Redirects followed before giving up; http -> https is followed, https -> http is not.
    int maxRedirects = 10;
};

// HttpTransfer over Qt Network. `fetchToFile` blocks the caller while running a local event
// loop that excludes user input: timers, socket notifiers, paint and other posted events keep
// being dispatched (a progress clip keeps playing, the window repaints), but no key press or
// mouse click reaches any window until the transfer has ended.
//
// A transfer succeeds only when the final response (after redirects) has a 2xx status, the body
// was received completely (as many bytes as a Content-Length header announced), and it fits the
// size cap. The body is streamed into a temporary file beside `path` that is renamed into place
// only on success, so on every failure `path` keeps what it held before (normally nothing) and
// no partial file is left. The written file is never made executable.
// Only http and https URLs are fetched; anything else fails at once.
class QtHttpTransfer final : public HttpTransfer {
public:
    explicit QtHttpTransfer(HttpLimits limits = {});
    ~QtHttpTransfer() override;
    QtHttpTransfer(const QtHttpTransfer&) = delete;
    QtHttpTransfer& operator=(const QtHttpTransfer&) = delete;

    TransferResult fetchToFile(const QUrl& url, const QString& path) override;

private:
    HttpLimits m_limits;
    std::unique_ptr<QNetworkAccessManager> m_manager;  // created on first use
};

}  // namespace platform
