#pragma once

#include <QString>
#include <QUrl>

namespace platform {

struct TransferResult {
    bool ok = false;
    QString error;  // what went wrong, for the log; empty on success
};

// Fetches a URL with a plain GET into the file at `path`. Blocks the caller until the transfer
// has ended. The body is written to a temporary file beside `path` and renamed into place only
// when complete; on any failure (network, HTTP error status, time-out, size cap) no file is left.
class HttpTransfer {
public:
    virtual ~HttpTransfer() = default;
    virtual TransferResult fetchToFile(const QUrl& url, const QString& path) = 0;
};

}  // namespace platform
