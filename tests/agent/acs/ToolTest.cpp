// Runs the porukane-acs executable on fixtures written by our writer.

#include "Fixture.h"

#include "agent/acs/Character.h"
#include "agent/acs/Writer.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int status = -1;
    QByteArray out;
    QString err;
};

ToolRun tool(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(PORUKANE_ACS_TOOL), args);
    p.waitForFinished(60000);
    ToolRun r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

void save(const QString& path, const std::vector<std::uint8_t>& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

QJsonArray ints(std::initializer_list<int> list) {
    QJsonArray a;
    for (int v : list) {
        a.append(v);
    }
    return a;
}

class Tool : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_small = m_dir.filePath("small.acs");
        save(m_small, acs::writeCharacterUnchecked(acs::test::smallCharacter()));
    }
    QTemporaryDir m_dir;
    QString m_small;
};

TEST_F(Tool, InfoPrintsTheCharacterAsJson) {
    const ToolRun r = tool({"info", m_small});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(r.out).object();
    QStringList keys = o.keys();
    keys.sort();
    EXPECT_EQ(keys,
              (QStringList{"animations", "file", "height", "imageCount", "names", "paletteCount",
                           "soundCount", "states", "transparentIndex", "width"}));
    EXPECT_EQ(o["file"].toString(), m_small);
    EXPECT_EQ(o["width"].toInt(), 8);
    EXPECT_EQ(o["height"].toInt(), 6);
    EXPECT_EQ(o["paletteCount"].toInt(), 4);
    EXPECT_EQ(o["imageCount"].toInt(), 4);
    EXPECT_EQ(o["soundCount"].toInt(), 1);
    EXPECT_EQ(o["names"].toObject()["0x0411"].toString(), QString::fromUtf8("ピコ"));
    EXPECT_EQ(o["states"].toObject()["IDLINGLEVEL1"].toArray(), (QJsonArray{"IDLE (1)", "SHOW"}));
    const QJsonArray anims = o["animations"].toArray();
    ASSERT_EQ(anims.size(), 3);
    EXPECT_EQ(anims[1].toObject()["name"].toString(), "Idle (1)");
    EXPECT_EQ(anims[2].toObject()["transition"].toInt(), 0);
    EXPECT_EQ(anims[2].toObject()["returnAnimation"].toString(), "SHOW");
    const QJsonObject f0 = anims[0].toObject()["frames"].toArray()[0].toObject();
    EXPECT_EQ(f0["durationMs"].toInt(), 100);
    EXPECT_EQ(f0["images"].toArray(), (QJsonArray{ints({0, 6, -1}), ints({1, 0, 0})}));
    EXPECT_EQ(f0["sound"].toInt(), 0);
    EXPECT_EQ(f0["exitBranch"].toInt(), -2);
    EXPECT_EQ(f0["branches"].toArray(), (QJsonArray{ints({1, 60}), ints({0, 40})}));
    EXPECT_EQ(anims[0].toObject()["frames"].toArray()[1].toObject()["sound"].toInt(), -1);
}

TEST_F(Tool, RenderWritesTheComposedFrame) {
    const QString png = m_dir.filePath("f.png");
    const ToolRun r = tool({"render", m_small, "sHoW", "1", png});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QImage img = QImage(png).convertToFormat(QImage::Format_RGBA8888);
    ASSERT_EQ(img.size(), QSize(8, 6));
    const auto c = acs::loadCharacter(acs::writeCharacterUnchecked(acs::test::smallCharacter()),
                                      acs::Mode::Strict)
                       .character;
    const auto frame = c->composeFrame(0, 1);
    for (int y = 0; y < 6; ++y) {
        EXPECT_EQ(0, std::memcmp(img.constScanLine(y), frame->rgba.data() + y * 8 * 4, 8 * 4)) << y;
    }
    EXPECT_EQ(tool({"render", m_small, "Show", "2", png}).status, 1);
    EXPECT_EQ(tool({"render", m_small, "Nope", "0", png}).status, 1);
}

TEST_F(Tool, BrokenAndForeignFilesFailWithOneLine) {
    auto bytes = acs::writeCharacterUnchecked(acs::test::smallCharacter());
    bytes.resize(bytes.size() / 2);
    const QString cut = m_dir.filePath("cut.acs");
    save(cut, bytes);
    std::vector<std::uint8_t> ole = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    ole.resize(600);
    const QString old = m_dir.filePath("old.acs");
    save(old, ole);
    struct Case {
        QString file;
        QString text;
    };
    for (const Case& c : {Case{cut, "offset 0x"}, Case{old, "Agent 1.5"},
                          Case{m_dir.filePath("missing.acs"), "cannot read"}}) {
        const ToolRun r = tool({"info", c.file});
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.err.startsWith("porukane-acs: " + c.file + ": ")) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.text)) << r.err.toStdString();
        EXPECT_EQ(r.err.count('\n'), 1);
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
    QJsonObject frame{{"durationMs", 120},
                      {"images", QJsonArray{ints({0, 1, -1})}},
                      {"sound", 0},
                      {"exitBranch", -2},
                      {"branches", QJsonArray{ints({0, 50})}}};
    QJsonObject manifest{
        {"width", 6},
        {"height", 4},
        {"transparentIndex", 3},
        {"palette", "derive"},
        {"guid", "{01234567-89ab-cdef-0123-456789abcdef}"},
        {"names", QJsonObject{{"0x0411", QJsonObject{{"name", QString::fromUtf8("テスト")},
                                                     {"description", ""},
                                                     {"extra", ""}}}}},
        {"trayIcon", "icon.png"},
        {"states", QJsonObject{{"Showing", QJsonArray{"Show"}}}},
        {"images", QJsonArray{"img/0000.png"}},
        {"sounds", QJsonArray{"pop.wav"}},
        {"animations", QJsonArray{QJsonObject{{"name", "Show"},
                                              {"transition", 2},
                                              {"returnAnimation", ""},
                                              {"frames", QJsonArray{frame}}}}}};
    QFile m(base + "/character.json");
    ASSERT_TRUE(m.open(QIODevice::WriteOnly));
    m.write(QJsonDocument(manifest).toJson());
    m.close();

    const QString out1 = m_dir.filePath("a.acs");
    const QString out2 = m_dir.filePath("b.acs");
    ASSERT_EQ(tool({"build", base + "/character.json", out1}).status, 0);
    ASSERT_EQ(tool({"build", base + "/character.json", out2}).status, 0);
    QFile a(out1), b(out2);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    const QByteArray bytes = a.readAll();
    EXPECT_EQ(bytes, b.readAll()) << "build output is deterministic";

    const auto r = acs::loadCharacter(std::vector<std::uint8_t>(bytes.begin(), bytes.end()),
                                      acs::Mode::Strict);
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
    frame["branches"] = QJsonArray{ints({3, 50})};
    manifest["animations"] =
        QJsonArray{QJsonObject{{"name", "Show"}, {"frames", QJsonArray{frame}}}};
    ASSERT_TRUE(m.open(QIODevice::WriteOnly | QIODevice::Truncate));
    m.write(QJsonDocument(manifest).toJson());
    m.close();
    const ToolRun bad = tool({"build", base + "/character.json", out1});
    EXPECT_EQ(bad.status, 1);
    EXPECT_TRUE(bad.err.startsWith("porukane-acs: " + base + "/character.json: "))
        << bad.err.toStdString();
    EXPECT_TRUE(bad.err.contains("branch frame")) << bad.err.toStdString();
}

}  // namespace
