#include "app/core/Fonts.h"

#include <QStringList>

#include "app/core/Texts.h"

namespace app {

QFont japaneseFont(double pointSize, bool bold, bool italic) {
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                      QStringLiteral("VL PGothic"), QStringLiteral("VL Gothic"),
                      QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAPGothic"),
                      QStringLiteral("Sans Serif")});
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QString applicationTitle() {
    return QString::fromUtf16(texts::kApplicationTitle);
}

QString versionText() {
    return QString::fromUtf16(texts::kVersionPrefix) + QStringLiteral("%1.%2.%3")
                                                           .arg(texts::kVersionMajor)
                                                           .arg(texts::kVersionMinor)
                                                           .arg(texts::kVersionRevision);
}

}  // namespace app
