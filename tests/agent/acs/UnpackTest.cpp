// `porukane-acs unpack` and `build` are inverses: building an unpacked folder gives the same
// character, down to the data `info` does not show.

#include "Checks.h"
#include "Fixture.h"
#include "ToolRun.h"

#include "agent/acs/Character.h"
#include "agent/acs/Writer.h"
#include "bytes/Writer.h"

#include <QDir>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using acs::test::load;
using acs::test::save;
using acs::test::tool;

QJsonObject infoWithoutFile(const QString& file) {
    const auto r = tool({"info", file});
    EXPECT_EQ(r.status, 0);
    QJsonObject o = QJsonDocument::fromJson(r.out).object();
    o.remove(QStringLiteral("file"));
    return o;
}

// Row padding is not part of the picture; the builder fills it with the transparent index.
acs::CharacterData withoutPadding(acs::CharacterData c) {
    for (acs::ImageData& image : c.images) {
        const std::size_t stride = acs::ImageData::stride(image.width);
        for (std::size_t row = 0; row < image.height; ++row) {
            for (std::size_t col = image.width; col < stride; ++col) {
                image.pixels[row * stride + col] = 0;
            }
        }
    }
    return c;
}

// Unpacks `file`, builds the folder again and compares the two characters: the same info,
// the same pictures for every frame and mouth, and the same model.
void expectRoundTrip(const QString& file, const std::string& label) {
    SCOPED_TRACE(label);
    QTemporaryDir work;
    const QString dir = work.filePath(QStringLiteral("unpacked"));
    const QString rebuilt = work.filePath(QStringLiteral("rebuilt.acs"));
    ASSERT_EQ(tool({"unpack", file, dir}).status, 0);
    ASSERT_EQ(tool({"build", dir + "/manifest.json", rebuilt}).status, 0);
    EXPECT_EQ(infoWithoutFile(file), infoWithoutFile(rebuilt));

    const auto a = acs::loadCharacter(load(file), acs::Mode::Strict).character;
    const auto b = acs::loadCharacter(load(rebuilt), acs::Mode::Strict).character;
    ASSERT_TRUE(a && b);
    for (std::size_t i = 0; i < a->animations().size(); ++i) {
        for (std::size_t f = 0; f < a->animations()[i].frames.size(); ++f) {
            for (int mouth = acs::kNoMouth; mouth <= 6; ++mouth) {
                if (mouth != acs::kNoMouth && a->animations()[i].frames[f].overlays.empty()) {
                    break;
                }
                ASSERT_EQ(a->composeFrame(i, f, mouth)->rgba, b->composeFrame(i, f, mouth)->rgba)
                    << a->animations()[i].name << " frame " << f << " mouth " << mouth;
            }
        }
    }
    EXPECT_TRUE(withoutPadding(a->toData()) == withoutPadding(b->toData()));

    // Images are 8-bit indexed PNGs with the whole palette, padded to 256 colours.
    if (!a->images().empty() && a->images()[0].width > 0 && a->images()[0].height > 0) {
        const QImage png(dir + "/images/0000.png");
        EXPECT_EQ(png.format(), QImage::Format_Indexed8);
        EXPECT_EQ(png.colorCount(), 256);
    }
}

// The fixture with everything a manifest must carry beyond `info`: voice, balloon, tray icon,
// mouth overlays with stored region data, image regions that are not the computed ones,
// names stored in mixed case, a record name that differs, orders that are not sorted and an
// image without pixels.
acs::CharacterData everythingCharacter() {
    acs::CharacterData c = acs::test::smallCharacter();
    c.info.states[0].name = "Showing";
    std::swap(c.info.localized[0], c.info.localized[1]);
    c.info.minorVersion = 3;
    c.info.animationSetMinor = 7;
    c.info.balloon->fontFace = "ＭＳ ゴシック";
    c.info.balloon->unknown = 5;
    c.animations[2].returnAnimation = "Show";
    c.animations[1].recordName = "IDLE(1)";
    c.animations[1].frames[0].overlays[0].region = acs::buildRegion(c.images[2], 0);
    c.images[0].region = acs::buildRegion(c.images[2], 0);  // someone else's region
    c.images[2].leading = 7;
    acs::ImageData empty;  // an image without pixels
    empty.width = 3;
    c.images.push_back(empty);
    return c;
}

TEST(Unpack, BuildGivesBackTheSameCharacter) {
    QTemporaryDir dir;
    expectRoundTrip(save(dir.filePath(QStringLiteral("small.acs")),
                         acs::writeCharacterUnchecked(acs::test::smallCharacter())),
                    "small");
    const acs::WriteResult written = acs::writeCharacter(everythingCharacter());
    ASSERT_TRUE(written.ok()) << written.error().message();
    expectRoundTrip(save(dir.filePath(QStringLiteral("everything.acs")), written.value()),
                    "everything");

    // The first image stored raw (uncompressed pixels and region data), at the end of the file.
    bytes::Writer w;
    w.raw(written.value());
    const acs::ImageData image = acs::test::imageFromRows({{1, 2, 3}, {3, 0, 1}});
    const std::vector<std::uint8_t> region = acs::buildRegion(image, 0);
    const std::size_t at = w.pos();
    w.u8(1);
    w.u16(image.width);
    w.u16(image.height);
    w.u8(0);  // not compressed
    w.size32(image.pixels.size());
    w.raw(image.pixels);
    w.u32(0);  // region data not compressed either
    w.size32(region.size());
    w.raw(region);
    std::vector<std::uint8_t> raw = acs::test::corrupt(
        w.take(), acs::test::Field::ImageRecordOffset, static_cast<std::uint32_t>(at));
    raw = acs::test::corrupt(raw, acs::test::Field::ImageRecordSize,
                             static_cast<std::uint32_t>(raw.size() - at));
    const auto loaded = acs::loadCharacter(raw, acs::Mode::Strict);
    ASSERT_TRUE(loaded.ok()) << loaded.error.message();
    ASSERT_FALSE(loaded.character->images()[0].compressed);
    expectRoundTrip(save(dir.filePath(QStringLiteral("raw.acs")), raw), "raw");
}

TEST(Unpack, OurOwnCharacterRoundTrips) {
    expectRoundTrip(QStringLiteral(PORUKANE_CHARACTER_FILE), "our own character");
}

TEST(Unpack, RefusesAFolderThatHoldsFiles) {
    QTemporaryDir dir;
    const QString small = save(dir.filePath(QStringLiteral("small.acs")),
                               acs::writeCharacterUnchecked(acs::test::smallCharacter()));
    EXPECT_EQ(tool({"unpack", small, dir.path()}).status, 1);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("small.acs")});
    EXPECT_EQ(
        tool({"unpack", dir.filePath(QStringLiteral("missing.acs")), dir.filePath("x")}).status, 1);
}

TEST(Corpus, EveryCharacterUnpacksAndBuildsBackTheSameAndEverySoundExports) {
    const auto files = acs::test::corpusFiles();
    if (files.empty()) {
        GTEST_SKIP() << "PORUKANE_ACS_CORPUS is not set or holds no .acs files";
    }
    for (const auto& path : files) {
        const QString file = QString::fromStdString(path.string());
        const auto r = acs::loadCharacter(load(file), acs::Mode::Strict);
        if (r.error.code == acs::ErrorCode::Agent15) {
            continue;  // older format, refused by design
        }
        expectRoundTrip(file, path.filename().string());
        QTemporaryDir sounds;
        EXPECT_EQ(tool({"sound", file, "--all", sounds.path()}).status, 0) << path;
        EXPECT_EQ(QDir(sounds.path()).entryList(QDir::Files).size(),
                  static_cast<qsizetype>(r.character ? r.character->sounds().size() : 0))
            << path;
    }
}

}  // namespace
