#include "names/NameFold.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <utility>
#include <vector>

namespace names {

namespace {

struct FoldEntry {
    char32_t first;
    char32_t last;
    std::uint32_t offset;  // into kFoldPool
    std::uint32_t length;  // 0: the code point folds to nothing
};
struct Decomposition {
    char32_t code;
    char32_t first;
    char32_t second;  // 0 for a singleton
};
struct CombiningClass {
    char32_t code;
    int value;
};
struct Composition {
    char32_t first;
    char32_t second;
    char32_t composite;
};

#include "FoldTables.inc"

// A byte that is not part of valid UTF-8 travels as a code point above the Unicode range, so
// that it maps to itself and is written back unchanged.
constexpr char32_t kRawByte = 0x110000;

// Hangul syllables are composed and decomposed by arithmetic, not by table.
constexpr char32_t kSBase = 0xAC00, kLBase = 0x1100, kVBase = 0x1161, kTBase = 0x11A7;
constexpr char32_t kLCount = 19, kVCount = 21, kTCount = 28;
constexpr char32_t kNCount = kVCount * kTCount, kSCount = kLCount * kNCount;

std::vector<char32_t> decode(std::string_view text) {
    std::vector<char32_t> out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t cp = 0;
        char32_t min = 0;
        if (b < 0x80) {
            length = 1;
            cp = b;
        } else if (b >= 0xC2 && b <= 0xDF) {
            length = 2;
            cp = b & 0x1Fu;
            min = 0x80;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3;
            cp = b & 0x0Fu;
            min = 0x800;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
            cp = b & 0x07u;
            min = 0x10000;
        }
        bool valid = length > 0 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto c = static_cast<unsigned char>(text[i + k]);
            valid = (c & 0xC0u) == 0x80;
            cp = (cp << 6) | (c & 0x3Fu);
        }
        valid = valid && cp >= min && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
        if (!valid) {
            out.push_back(kRawByte + b);
            ++i;
            continue;
        }
        out.push_back(cp);
        i += length;
    }
    return out;
}

void encode(char32_t cp, std::string& out) {
    if (cp >= kRawByte) {
        out.push_back(static_cast<char>(cp - kRawByte));
    } else if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

void appendFolded(char32_t cp, std::vector<char32_t>& out) {
    const auto it = std::upper_bound(std::begin(kFolds), std::end(kFolds), cp,
                                     [](char32_t c, const FoldEntry& e) { return c < e.first; });
    if (it != std::begin(kFolds) && cp <= std::prev(it)->last) {
        const FoldEntry& e = *std::prev(it);
        out.insert(out.end(), kFoldPool + e.offset, kFoldPool + e.offset + e.length);
        return;
    }
    out.push_back(cp);
}

void appendDecomposed(char32_t cp, std::vector<char32_t>& out) {
    if (cp >= kSBase && cp < kSBase + kSCount) {
        const char32_t s = cp - kSBase;
        out.push_back(kLBase + s / kNCount);
        out.push_back(kVBase + (s % kNCount) / kTCount);
        if (s % kTCount != 0) {
            out.push_back(kTBase + s % kTCount);
        }
        return;
    }
    const auto it = std::lower_bound(std::begin(kDecompositions), std::end(kDecompositions), cp,
                                     [](const Decomposition& d, char32_t c) { return d.code < c; });
    if (it == std::end(kDecompositions) || it->code != cp) {
        out.push_back(cp);
        return;
    }
    appendDecomposed(it->first, out);
    if (it->second != 0) {
        appendDecomposed(it->second, out);
    }
}

int combiningClass(char32_t cp) {
    const auto it =
        std::lower_bound(std::begin(kCombiningClasses), std::end(kCombiningClasses), cp,
                         [](const CombiningClass& c, char32_t v) { return c.code < v; });
    return it != std::end(kCombiningClasses) && it->code == cp ? it->value : 0;
}

// The primary composite of a starter and the character after it, or 0.
char32_t compose(char32_t a, char32_t b) {
    if (a >= kLBase && a < kLBase + kLCount && b >= kVBase && b < kVBase + kVCount) {
        return kSBase + ((a - kLBase) * kVCount + (b - kVBase)) * kTCount;
    }
    if (a >= kSBase && a < kSBase + kSCount && (a - kSBase) % kTCount == 0 && b > kTBase &&
        b < kTBase + kTCount) {
        return a + (b - kTBase);
    }
    const auto it = std::lower_bound(std::begin(kCompositions), std::end(kCompositions),
                                     std::pair{a, b}, [](const Composition& c, const auto& key) {
                                         return c.first < key.first ||
                                                (c.first == key.first && c.second < key.second);
                                     });
    return it != std::end(kCompositions) && it->first == a && it->second == b ? it->composite : 0;
}

// Canonical composition of a fully decomposed, canonically ordered string.
std::vector<char32_t> composeAll(const std::vector<char32_t>& in) {
    std::vector<char32_t> out;
    out.reserve(in.size());
    std::size_t starter = 0;
    bool haveStarter = false;
    int lastClass = -1;
    for (const char32_t cp : in) {
        const int cc = combiningClass(cp);
        if (haveStarter) {
            // Blocked when a character of the same or higher class (or a starter) lies between.
            const bool blocked = lastClass != -1 && (lastClass == 0 || lastClass >= cc);
            if (!blocked) {
                if (const char32_t composite = compose(out[starter], cp)) {
                    out[starter] = composite;
                    continue;
                }
            }
        }
        if (cc == 0) {
            starter = out.size();
            haveStarter = true;
            lastClass = -1;
        } else {
            lastClass = cc;
        }
        out.push_back(cp);
    }
    return out;
}

}  // namespace

std::string fold(std::string_view name) {
    std::vector<char32_t> folded;
    folded.reserve(name.size());
    for (const char32_t cp : decode(name)) {
        appendFolded(cp, folded);
    }
    // NFC of the folded text: decompose, order the marks, compose.
    std::vector<char32_t> decomposed;
    decomposed.reserve(folded.size());
    for (const char32_t cp : folded) {
        appendDecomposed(cp, decomposed);
    }
    for (std::size_t i = 1; i < decomposed.size(); ++i) {
        const int cc = combiningClass(decomposed[i]);
        if (cc == 0) {
            continue;
        }
        for (std::size_t k = i; k > 0; --k) {
            const int before = combiningClass(decomposed[k - 1]);
            if (before <= cc) {
                break;
            }
            std::swap(decomposed[k - 1], decomposed[k]);
        }
    }
    std::string out;
    out.reserve(name.size());
    for (const char32_t cp : composeAll(decomposed)) {
        encode(cp, out);
    }
    return out;
}

bool same(std::string_view a, std::string_view b) {
    return a == b || fold(a) == fold(b);
}

}  // namespace names
