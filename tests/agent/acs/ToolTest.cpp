// Runs the porukane-acs executable on fixtures written by our writer.

#include "Fixture.h"
#include "ToolRun.h"

#include "agent/acs/Character.h"
#include "agent/acs/Wave.h"
#include "agent/acs/Writer.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

namespace acs {
namespace {

using test::expectOneLineError;
using test::load;
using test::save;
using test::tool;
using test::ToolRun;

QJsonObject parse(const char* json) {
    const QJsonObject o = QJsonDocument::fromJson(json).object();
    EXPECT_FALSE(o.isEmpty()) << json;
    return o;
}

class Tool : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_small = save(m_dir.filePath("small.acs"), m_bytes);
    }
    QTemporaryDir m_dir;
    std::vector<std::uint8_t> m_bytes = acs::writeCharacterUnchecked(acs::test::smallCharacter());
    QString m_small;
};

// Checks only the keys `want` names.
void expectSubset(const QJsonObject& actual, const QJsonObject& want) {
    for (auto it = want.begin(); it != want.end(); ++it) {
        EXPECT_EQ(actual[it.key()], it.value()) << it.key().toStdString();
    }
}

TEST_F(Tool, InfoPrintsTheCharacterAsJson) {
    const ToolRun r = tool({"info", m_small});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(r.out).object();
    EXPECT_EQ(o["file"].toString(), m_small);
    expectSubset(o, parse(R"({"width": 8, "height": 6, "paletteCount": 4, "imageCount": 4,
                              "soundCount": 1})"));
    EXPECT_EQ(o["names"].toObject()["0x0411"].toString(), QString::fromUtf8("ピコ"));
    EXPECT_EQ(o["states"].toObject()["IDLINGLEVEL1"].toArray(), (QJsonArray{"IDLE (1)", "SHOW"}));
    const QJsonArray anims = o["animations"].toArray();
    ASSERT_EQ(anims.size(), 3);
    EXPECT_EQ(anims[1].toObject()["name"].toString(), "Idle (1)");
    expectSubset(anims[2].toObject(), {{"transition", 0}, {"returnAnimation", "SHOW"}});
    const QJsonArray frames = anims[0].toObject()["frames"].toArray();
    expectSubset(frames[0].toObject(), parse(R"({"durationMs": 100, "sound": 0, "exitBranch": -2,
        "images": [[0, 6, -1], [1, 0, 0]], "branches": [[1, 60], [0, 40]]})"));
    EXPECT_EQ(frames[1].toObject()["sound"].toInt(), -1);
}

TEST_F(Tool, RenderWritesTheComposedFrame) {
    const QString png = m_dir.filePath("f.png");
    const ToolRun r = tool({"render", m_small, "sHoW", "1", png});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QImage img = QImage(png).convertToFormat(QImage::Format_RGBA8888);
    ASSERT_EQ(img.size(), QSize(8, 6));
    const auto c = acs::loadCharacter(m_bytes, acs::Mode::Strict).character;
    const auto frame = c->composeFrame(0, 1);
    for (int y = 0; y < 6; ++y) {
        EXPECT_EQ(0, std::memcmp(img.constScanLine(y), frame->rgba.data() + y * 8 * 4, 8 * 4)) << y;
    }
    EXPECT_EQ(tool({"render", m_small, "Show", "2", png}).status, 1);
    EXPECT_EQ(tool({"render", m_small, "Nope", "0", png}).status, 1);
}

TEST_F(Tool, BrokenAndForeignFilesFailWithOneLine) {
    std::vector<std::uint8_t> ole = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    ole.resize(600);
    const QString cut = save(m_dir.filePath("cut.acs"), {m_bytes.begin(), m_bytes.begin() + 700});
    const QString old = save(m_dir.filePath("old.acs"), ole);
    struct Case {
        QString file;
        QString text;
    };
    for (const Case& c : {Case{cut, "offset 0x"}, Case{old, "Agent 1.5"},
                          Case{m_dir.filePath("missing.acs"), "cannot read"}}) {
        expectOneLineError(tool({"info", c.file}), "porukane-acs: " + c.file + ": ", c.text);
    }
}

TEST_F(Tool, BuildCompilesAManifest) {
    QDir(m_dir.path()).mkpath("m/img");
    const QString base = m_dir.filePath("m");
    QImage body(4, 3, QImage::Format_RGBA8888);
    body.fill(Qt::transparent);
    body.setPixelColor(1, 1, QColor(255, 0, 0));
    body.setPixelColor(2, 1, QColor(0, 0, 255));
    ASSERT_TRUE(body.save(base + "/img/0000.png"));
    QImage icon(16, 16, QImage::Format_RGBA8888);
    icon.fill(QColor(0, 128, 0));
    ASSERT_TRUE(icon.save(base + "/icon.png"));
    save(base + "/pop.wav", acs::test::pcmWave(10));
    const std::string manifest = R"({
        "width": 6, "height": 4, "transparentIndex": 3, "palette": "derive",
        "guid": "{01234567-89ab-cdef-0123-456789abcdef}",
        "names": {"0x0411": {"name": "テスト", "description": "", "extra": ""}},
        "trayIcon": "icon.png", "states": {"Showing": ["Show"]},
        "images": ["img/0000.png"], "sounds": ["pop.wav"],
        "animations": [{"name": "Show", "transition": 2, "returnAnimation": "",
            "frames": [{"durationMs": 120, "images": [[0, 1, -1]], "sound": 0, "exitBranch": -2,
                        "branches": [[0, 50]]}]}]})";
    const auto writeManifest = [&](const std::string& text) {
        save(base + "/character.json", std::vector<std::uint8_t>(text.begin(), text.end()));
    };
    writeManifest(manifest);

    const QString out1 = m_dir.filePath("a.acs");
    const QString out2 = m_dir.filePath("b.acs");
    ASSERT_EQ(tool({"build", base + "/character.json", out1}).status, 0);
    ASSERT_EQ(tool({"build", base + "/character.json", out2}).status, 0);
    const std::vector<std::uint8_t> bytes = load(out1);
    EXPECT_EQ(bytes, load(out2)) << "build output is deterministic";
    const auto r = acs::loadCharacter(bytes, acs::Mode::Strict);
    ASSERT_TRUE(r.ok()) << r.error.message();
    const acs::Character& c = *r.character;
    EXPECT_EQ(c.info().guid.data1, 0x01234567u);
    EXPECT_TRUE(c.info().trayIcon);
    EXPECT_EQ(c.info().states[0].name, "SHOWING");
    EXPECT_EQ(c.animations()[0].frames[0].duration, 12);
    // Derived palette: colours in order of first use, the transparent slot skipped.
    ASSERT_GE(c.info().palette.size(), 4u);
    EXPECT_EQ(c.info().palette[0], (acs::Rgb{255, 0, 0}));
    EXPECT_EQ(c.info().palette[1], (acs::Rgb{0, 0, 255}));
    const auto composed = c.composeFrame(0, 0);
    const std::uint8_t* red = composed->rgba.data() + (0 * 6 + 2) * 4;  // (1,1) moved by (1,-1)
    EXPECT_EQ((std::vector<int>{red[0], red[1], red[2], red[3]}),
              (std::vector<int>{255, 0, 0, 255}));
    EXPECT_EQ(composed->mask[0], 0);

    // A dangling reference is refused with one line naming the manifest.
    std::string dangling = manifest;
    dangling.replace(dangling.find("[[0, 50]]"), 9, "[[3, 50]]");
    writeManifest(dangling);
    expectOneLineError(tool({"build", base + "/character.json", out1}),
                       "porukane-acs: " + base + "/character.json: ", "branch frame");
}

// A character whose sounds are 8-bit PCM at 22,254 Hz, stereo ADPCM with a short last block
// and, when `broken`, an ADPCM sound of three channels.
std::vector<std::uint8_t> soundCharacter(bool broken) {
    acs::CharacterData c = acs::test::smallCharacter();
    c.sounds.push_back(acs::test::pcmWave(1001, 22254));
    acs::test::AdpcmFormat stereo;
    stereo.channels = 2;
    stereo.blockAlign = 64;
    std::vector<std::int16_t> ramp;
    for (int i = 0; i < 2 * 300; ++i) {
        ramp.push_back(static_cast<std::int16_t>((i % 97) * 300 - 14000));
    }
    std::vector<std::uint8_t> data = acs::test::encodeAdpcm(stereo, ramp);
    data.resize(data.size() - 20);
    c.sounds.push_back(acs::test::adpcmWave(stereo, data));
    if (broken) {
        stereo.channels = 3;
        c.sounds.push_back(acs::test::adpcmWave(stereo, data));
    }
    return acs::writeCharacterUnchecked(c);
}

// What the companion plays for sound `index` of `file`, as the tool writes it.
std::vector<std::uint8_t> expectedWave(const std::vector<std::uint8_t>& file, std::size_t index) {
    const auto c = acs::loadCharacter(file, acs::Mode::Lenient).character;
    const acs::WaveResult w = acs::decodeWave(c->soundBytes(index));
    EXPECT_TRUE(w.ok()) << w.error().message();
    return w.ok() ? acs::encodeWave(w.value()) : std::vector<std::uint8_t>();
}

TEST_F(Tool, SoundWritesWhatTheCompanionPlays) {
    const auto bytes = soundCharacter(false);
    const QString file = save(m_dir.filePath("sounds.acs"), bytes);
    const QString one = m_dir.filePath("one.wav");
    const ToolRun r = tool({"sound", file, "2", one});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(load(one), expectedWave(bytes, 2));

    const QString all = m_dir.filePath("all/nested");
    const ToolRun every = tool({"sound", file, "--all", all});
    ASSERT_EQ(every.status, 0) << every.err.toStdString();
    EXPECT_EQ(QDir(all).entryList(QDir::Files), (QStringList{"000.wav", "001.wav", "002.wav"}));
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(load(QString("%1/%2.wav").arg(all).arg(i, 3, 10, QChar('0'))),
                  expectedWave(bytes, i))
            << i;
    }
    // The 8-bit sound keeps its rate: 16-bit mono at 22,254 Hz, (u - 128) * 256.
    const std::vector<std::uint8_t> pcm = load(all + "/001.wav");
    ASSERT_EQ(pcm.size(), 44u + 2 * 1001);
    EXPECT_EQ(qFromLittleEndian<quint32>(pcm.data() + 24), 22254u);
    EXPECT_EQ(qFromLittleEndian<qint16>(pcm.data() + 44), -40 * 256);

    for (const QString& index : {QString("3"), QString("-1"), QString("x"), QString("1x")}) {
        SCOPED_TRACE(index.toStdString());
        expectOneLineError(tool({"sound", file, index, one}),
                           "porukane-acs: ", "no sound " + index);
    }
}

TEST_F(Tool, SoundReportsABadSoundAndWritesTheOthers) {
    const QString file = save(m_dir.filePath("broken.acs"), soundCharacter(true));
    const QString all = m_dir.filePath("all");
    expectOneLineError(tool({"sound", file, "--all", all}),
                       "porukane-acs: " + file + ": sound 3: offset 0x", "3 channels");
    EXPECT_EQ(QDir(all).entryList(QDir::Files), (QStringList{"000.wav", "001.wav", "002.wav"}));
    EXPECT_EQ(tool({"sound", file, "3", m_dir.filePath("x.wav")}).status, 1);
    EXPECT_FALSE(QFile::exists(m_dir.filePath("x.wav")));
}

}  // namespace
}  // namespace acs
