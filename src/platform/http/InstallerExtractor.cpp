#include "platform/http/InstallerExtractor.h"

#include "bytes/Reader.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <mspack.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <span>
#include <system_error>

namespace platform {
namespace {

// libmspack's own file system prints its warnings to stderr; this one sends them to the log
// and is otherwise plain stdio.
struct StdioFile {
    std::FILE* fp;
};

std::FILE* fileOf(mspack_file* file) {
    return reinterpret_cast<StdioFile*>(file)->fp;
}

mspack_file* sysOpen(mspack_system*, const char* name, int mode) {
    const char* how = nullptr;
    switch (mode) {
        case MSPACK_SYS_OPEN_READ:
            how = "rb";
            break;
        case MSPACK_SYS_OPEN_WRITE:
            how = "wb";
            break;
        case MSPACK_SYS_OPEN_UPDATE:
            how = "r+b";
            break;
        case MSPACK_SYS_OPEN_APPEND:
            how = "ab";
            break;
        default:
            return nullptr;
    }
    std::FILE* fp = std::fopen(name, how);
    if (fp == nullptr) {
        return nullptr;
    }
    auto* file = new (std::nothrow) StdioFile{fp};
    if (file == nullptr) {
        std::fclose(fp);
        return nullptr;
    }
    return reinterpret_cast<mspack_file*>(file);
}

void sysClose(mspack_file* file) {
    if (file != nullptr) {
        std::fclose(fileOf(file));
        delete reinterpret_cast<StdioFile*>(file);
    }
}

int sysRead(mspack_file* file, void* buffer, int bytes) {
    if (bytes < 0) {
        return -1;
    }
    const std::size_t got = std::fread(buffer, 1, static_cast<std::size_t>(bytes), fileOf(file));
    return (got == 0 && std::ferror(fileOf(file))) ? -1 : static_cast<int>(got);
}

int sysWrite(mspack_file* file, void* buffer, int bytes) {
    if (bytes < 0) {
        return -1;
    }
    const std::size_t put = std::fwrite(buffer, 1, static_cast<std::size_t>(bytes), fileOf(file));
    return put == static_cast<std::size_t>(bytes) ? bytes : -1;
}

int sysSeek(mspack_file* file, off_t offset, int mode) {
    int whence = SEEK_SET;
    if (mode == MSPACK_SYS_SEEK_CUR) {
        whence = SEEK_CUR;
    } else if (mode == MSPACK_SYS_SEEK_END) {
        whence = SEEK_END;
    } else if (mode != MSPACK_SYS_SEEK_START) {
        return -1;
    }
#ifdef Q_OS_WIN
    return _fseeki64(fileOf(file), offset, whence) == 0 ? 0 : -1;
#else
    return fseeko(fileOf(file), offset, whence) == 0 ? 0 : -1;
#endif
}

off_t sysTell(mspack_file* file) {
#ifdef Q_OS_WIN
    return static_cast<off_t>(_ftelli64(fileOf(file)));
#else
    return ftello(fileOf(file));
#endif
}

void sysMessage(mspack_file*, const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    qInfo("cabinet: %s", text);
}

void* sysAlloc(mspack_system*, size_t bytes) {
    return std::malloc(bytes);
}
void sysFree(void* pointer) {
    std::free(pointer);
}
void sysCopy(void* source, void* destination, size_t bytes) {
    std::memcpy(destination, source, bytes);
}

mspack_system quietSystem() {
    mspack_system system{};
    system.open = sysOpen;
    system.close = sysClose;
    system.read = sysRead;
    system.write = sysWrite;
    system.seek = sysSeek;
    system.tell = sysTell;
    system.message = sysMessage;
    system.alloc = sysAlloc;
    system.free = sysFree;
    system.copy = sysCopy;
    system.null_ptr = nullptr;
    return system;
}

// A name of our own for the extracted file; see the header for why the member's name is only
// mined for letters.
QString safeStem(const char* memberName) {
    const char* base = memberName;
    for (const char* p = memberName; *p != '\0'; ++p) {
        if (*p == '\\' || *p == '/' || *p == ':') {
            base = p + 1;
        }
    }
    QString stem;
    const std::size_t length = std::strlen(base);
    const std::size_t stemLength = length >= 4 ? length - 4 : 0;  // without ".acs"
    for (std::size_t i = 0; i < stemLength && stem.size() < 64; ++i) {
        const char c = base[i];
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '_') {
            stem.append(QLatin1Char(c));
        }
    }
    return stem.isEmpty() ? QStringLiteral("character") : stem;
}

bool endsWithAcs(const char* name) {
    const std::size_t length = std::strlen(name);
    if (length < 4) {
        return false;
    }
    const char* tail = name + length - 4;
    return tail[0] == '.' && (tail[1] | 0x20) == 'a' && (tail[2] | 0x20) == 'c' &&
           (tail[3] | 0x20) == 's';
}

bool hasAgentSignature(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    return file.read(4) == QByteArray("\xC3\xAB\xCD\xAB", 4);
}

ExtractResult failed(const QString& why) {
    return {false, {}, why};
}

std::filesystem::path fsPath(const QString& path) {
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

}  // namespace

QString agentCharactersFolder() {
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base)) {
        base = QDir::homePath() + QStringLiteral("/.local/share");
    }
    return base + QStringLiteral("/msagent/chars");
}

bool isAcceptableCabinetHeader(const QByteArray& header, qint64 bytesToEnd) {
    constexpr int kHeaderSize = 36;
    if (header.size() < kHeaderSize || !header.startsWith("MSCF")) {
        return false;
    }
    const std::span<const std::uint8_t> h(reinterpret_cast<const std::uint8_t*>(header.constData()),
                                          static_cast<std::size_t>(header.size()));
    const std::uint32_t cabinetSize = bytes::le32(h, 8);
    const std::uint16_t flags = bytes::le16(h, 30);
    return bytes::le32(h, 4) == 0 && cabinetSize >= kHeaderSize &&
           static_cast<qint64>(cabinetSize) <= bytesToEnd && bytes::le32(h, 16) < cabinetSize &&
           h[24] == 3 && h[25] == 1 && bytes::le16(h, 26) >= 1 && bytes::le16(h, 28) >= 1 &&
           (flags & (MSCAB_HDR_PREVCAB | MSCAB_HDR_NEXTCAB)) == 0;
}

namespace {

// Takes the first .acs member of an acceptable cabinet into `charsFolder`, through a
// temporary file that is renamed only once the member has passed every check.
ExtractResult extractFromCabinet(mscab_decompressor* cabd, mscabd_cabinet* cab,
                                 const QString& installerPath, const QString& charsFolder,
                                 qint64 maxBytes) {
    mscabd_file* member = nullptr;
    int acsMembers = 0;
    for (mscabd_file* f = cab->files; f != nullptr; f = f->next) {
        if (f->filename != nullptr && endsWithAcs(f->filename)) {
            ++acsMembers;
            if (member == nullptr) {
                member = f;
            }
        }
    }
    if (member == nullptr) {
        return failed(QStringLiteral("the cabinet holds no .acs file"));
    }
    if (acsMembers > 1) {
        qInfo("%s holds %d characters; taking the first", qPrintable(installerPath), acsMembers);
    }
    if (static_cast<qint64>(member->length) > maxBytes) {
        return failed(QStringLiteral("the character is larger than %1 bytes").arg(maxBytes));
    }
    if (!QDir().mkpath(charsFolder)) {
        return failed(QStringLiteral("cannot create ") + charsFolder);
    }
    QTemporaryFile temporary(charsFolder + QStringLiteral("/.extract-XXXXXX.part"));
    if (!temporary.open()) {
        return failed(QStringLiteral("cannot write in ") + charsFolder);
    }
    temporary.close();
    const QString target =
        charsFolder + QLatin1Char('/') + safeStem(member->filename) + QStringLiteral(".acs");
    const int error =
        cabd->extract(cabd, member, QFile::encodeName(temporary.fileName()).constData());
    if (error != MSPACK_ERR_OK) {
        return failed(QStringLiteral("the cabinet is damaged (libmspack error %1)").arg(error));
    }
    if (QFileInfo(temporary.fileName()).size() != static_cast<qint64>(member->length) ||
        !hasAgentSignature(temporary.fileName())) {
        return failed(QStringLiteral("the extracted file is not an Agent 2 character"));
    }
    std::error_code renameError;
    // Replaces an existing character of the same name in one step, and only with a file
    // that passed the checks above.
    std::filesystem::rename(fsPath(temporary.fileName()), fsPath(target), renameError);
    if (renameError) {
        return failed(QStringLiteral("cannot rename into ") + target);
    }
    temporary.setAutoRemove(false);
    QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                      QFileDevice::ReadGroup | QFileDevice::ReadOther);
    return {true, target, {}};
}

}  // namespace

ExtractResult extractCharacter(const QString& installerPath, const QString& charsFolder,
                               qint64 maxBytes) {
    QFile installer(installerPath);
    if (!installer.open(QIODevice::ReadOnly)) {
        return failed(QStringLiteral("cannot open ") + installerPath);
    }
    const qint64 installerSize = installer.size();

    int selfTest = MSPACK_ERR_OK;
    MSPACK_SYS_SELFTEST(selfTest);
    if (selfTest != MSPACK_ERR_OK) {
        return failed(QStringLiteral("libmspack does not match this build"));
    }
    mspack_system system = quietSystem();
    mscab_decompressor* cabd = mspack_create_cab_decompressor(&system);
    if (cabd == nullptr) {
        return failed(QStringLiteral("out of memory"));
    }
    const QByteArray nativePath = QFile::encodeName(installerPath);
    mscabd_cabinet* found = cabd->search(cabd, nativePath.constData());

    ExtractResult result =
        failed(QStringLiteral("no character found; the download may be incomplete"));
    for (mscabd_cabinet* cab = found; cab != nullptr; cab = cab->next) {
        const qint64 offset = static_cast<qint64>(cab->base_offset);
        if (offset < 0 || offset >= installerSize || !installer.seek(offset) ||
            !isAcceptableCabinetHeader(installer.read(36), installerSize - offset)) {
            continue;
        }
        // The first acceptable cabinet decides: later ones are not tried.
        result = extractFromCabinet(cabd, cab, installerPath, charsFolder, maxBytes);
        break;
    }

    if (found != nullptr) {
        cabd->close(cabd, found);
    }
    mspack_destroy_cab_decompressor(cabd);
    return result;
}

}  // namespace platform
