#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace platform {

struct ExtractResult {
    bool ok = false;
    QString path;   // the character file written, on success
    QString error;  // what went wrong, for the log; empty on success
};

// The per-user Agent characters folder: $XDG_DATA_HOME/msagent/chars, or
// ~/.local/share/msagent/chars when the variable is unset or not absolute. Not created here.
QString agentCharactersFolder();

// True when the 36 bytes at `header` form a cabinet header we accept: "MSCF", reserved1 0,
// version 1.3, at least one folder and one file, not part of a multi-cabinet set, a whole size
// of at least 36 that fits in `bytesToEnd` (bytes from the header to the end of the file) and a
// first file entry inside it. A stray "MSCF" inside an installer's code fails these checks.
bool isAcceptableCabinetHeader(const QByteArray& header, qint64 bytesToEnd);

// Takes the character out of a sample-character installer: a Windows self-extractor with a
// cabinet inside. The first embedded cabinet whose header is acceptable is used; its first
// member whose name ends in ".acs" (any case) is extracted, up to `maxBytes`, into a
// temporary file in `charsFolder` (created when missing), checked to start with the Agent 2.x
// signature C3 AB CD AB, and only then renamed over "<stem>.acs". The stem comes from the
// member's name reduced to ASCII letters, digits, '-' and '_' (no separator, no "..", no
// code-page byte can reach the path), "character" when nothing is left. On any failure — no
// cabinet, a truncated or damaged one, no .acs member, a wrong signature — nothing in
// `charsFolder` is changed. The installer itself is only read, never run.
ExtractResult extractCharacter(const QString& installerPath, const QString& charsFolder,
                               qint64 maxBytes = qint64{64} * 1024 * 1024);

}  // namespace platform
