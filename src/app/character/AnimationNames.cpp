#include "app/character/AnimationNames.h"

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <memory>

namespace app {
namespace {

icu::Transliterator* transliterator() {
    static std::unique_ptr<icu::Transliterator> instance = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Transliterator> created(icu::Transliterator::createInstance(
            icu::UnicodeString::fromUTF8("Fullwidth-Halfwidth; Lower"), UTRANS_FORWARD, status));
        if (U_FAILURE(status)) {
            created.reset();
        }
        return created;
    }();
    return instance.get();
}

}  // namespace

QString narrowLower(const QString& name) {
    // Blanks are trimmed first; a full-width blank left at either end narrows to a half-width
    // one, which is trimmed as well so the result never starts or ends with a blank.
    const QString trimmed = name.trimmed();
    icu::Transliterator* converter = transliterator();
    if (!converter) {
        return trimmed.toLower();
    }
    icu::UnicodeString text(reinterpret_cast<const UChar*>(trimmed.utf16()),
                            static_cast<int32_t>(trimmed.size()));
    converter->transliterate(text);
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length()).trimmed();
}

}  // namespace app
