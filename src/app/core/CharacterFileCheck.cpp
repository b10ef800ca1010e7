#include "app/core/CharacterFileCheck.h"

#include <QFile>

#include <algorithm>
#include <fstream>
#include <vector>

#include "agent/acs/Character.h"
#include "app/core/Texts.h"

namespace app {
namespace {

// Far above the largest real character (about 4 MB); refuses to read a wrong, huge file.
constexpr qint64 kMaxFileBytes = 256LL * 1024 * 1024;

CharacterFileCheck failed(const char16_t* reason, const QString& detail) {
    return {false, QString::fromUtf16(reason), detail};
}

CharacterFileCheck checkBytes(std::vector<std::uint8_t> bytes) {
    const acs::LoadResult result = acs::loadCharacter(std::move(bytes), acs::Mode::Lenient);
    if (!result.ok()) {
        const QString detail = QString::fromUtf8(acs::errorCodeName(result.error.code)) +
                               QStringLiteral(" (") +
                               QString::fromStdString(result.error.message()) + QLatin1Char(')');
        switch (result.error.code) {
            case acs::ErrorCode::Agent15:
                return failed(texts::kAgent15, detail);
            case acs::ErrorCode::NotCharacter:
            case acs::ErrorCode::WebIndex:
                return failed(texts::kNotACharacter, detail);
            case acs::ErrorCode::Truncated:
            case acs::ErrorCode::BadLocator:
                return failed(texts::kTruncated, detail);
            default:
                return failed(texts::kDamaged, detail);
        }
    }
    const acs::Character& character = *result.character;
    for (std::size_t a = 0; a < character.animations().size(); ++a) {
        const std::vector<acs::Frame>& frames = character.animations()[a].frames;
        for (std::size_t f = 0; f < frames.size(); ++f) {
            if (frames[f].images.empty()) {
                continue;
            }
            const auto frame = character.composeFrame(a, f);
            const bool draws = frame && std::any_of(frame->mask.begin(), frame->mask.end(),
                                                    [](std::uint8_t m) { return m != 0; });
            if (!draws) {
                return failed(texts::kDamaged,
                              QStringLiteral("the first frame with images draws nothing"));
            }
            return {true, {}, {}};
        }
    }
    return failed(texts::kDamaged, QStringLiteral("no frame has an image"));
}

CharacterFileCheck tooLarge() {
    return failed(texts::kNotACharacter, QStringLiteral("too large to be a character file"));
}

}  // namespace

CharacterFileCheck checkCharacterFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return failed(texts::kCannotOpen, file.errorString());
    }
    if (file.size() > kMaxFileBytes) {
        return tooLarge();
    }
    const QByteArray data = file.readAll();
    if (data.size() != file.size()) {
        return failed(texts::kCannotOpen, file.errorString());
    }
    return checkBytes(std::vector<std::uint8_t>(data.begin(), data.end()));
}

CharacterFileCheck checkCharacterFile(const std::string& rawPath) {
    std::ifstream file(rawPath, std::ios::binary);
    if (!file) {
        return failed(texts::kCannotOpen, QStringLiteral("cannot open"));
    }
    std::vector<std::uint8_t> bytes;
    char buffer[1 << 16];
    while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
        bytes.insert(bytes.end(), buffer, buffer + file.gcount());
        if (static_cast<qint64>(bytes.size()) > kMaxFileBytes) {
            return tooLarge();
        }
    }
    if (file.bad()) {
        return failed(texts::kCannotOpen, QStringLiteral("read error"));
    }
    return checkBytes(std::move(bytes));
}

}  // namespace app
