// `porukane-acs trace` on characters written here: the timeline it prints follows the playback
// rules for branches, 0-duration frames, exit walks, return animations, the stop and the end.

#include "Fixture.h"
#include "ToolRun.h"

#include "agent/acs/Writer.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>
#include <utility>

// Lines in failure messages as text.
void PrintTo(const QString& s, std::ostream* os) {
    *os << s.toStdString();
}

namespace {

using acs::Branch;
using acs::Frame;

Frame frame(int ms, std::int16_t exit = acs::kExitEnd, std::vector<Branch> branches = {},
            std::uint16_t sound = acs::kNoSound, bool images = true) {
    // clang-format off
    return {images ? std::vector<acs::FrameImage>{{0, 0, 0}} : std::vector<acs::FrameImage>{},
            sound, static_cast<std::uint16_t>(ms / 10), exit, std::move(branches), {}};
    // clang-format on
}

// Frames are numbered from 0 here.
acs::CharacterData timelineCharacter() {
    acs::CharacterData c;
    c.info.width = 2;
    c.info.height = 2;
    c.info.palette = {{255, 0, 255}, {10, 20, 30}};
    c.images.push_back(acs::test::solidImage(2, 2, 1));
    c.sounds.push_back(acs::test::pcmWave(8));
    // Name, record name, transition, return animation, frames.
    // clang-format off
    c.animations = {
        // 0 -> 2 at 50 %; 2 is a 0-duration frame with a sound and a branch of 0 %.
        {"Branchy", "", 2, "", {frame(100, acs::kExitEnd, {{2, 50}}), frame(100),
                                frame(0, acs::kExitEnd, {{0, 0}}, 0), frame(100)}, {}},
        // The usual exit pattern: 0 -> 1 -> 2 rests on 2 (a 100 % branch to the blank end
        // frame 3); the exit walk goes 2 -> 1 -> 0 -> 3.
        {"Walk", "", 1, "", {frame(100, 3), frame(100, 0), frame(100, 1, {{3, 100}}),
                             frame(0, acs::kExitEnd, {}, acs::kNoSound, false)}, {}},
        {"Short", "", 2, "", {frame(100, acs::kExitEnd, {}, 0)}, {}},
        {"Ret", "", 0, "BACK", {frame(100)}, {}},
        {"Back", "", 1, "", {frame(50, -2), frame(50, 0)}, {}},
        // No frame with a duration: rests on frame 1, the last with images, and walks from it.
        {"Flash", "", 1, "",
         {frame(0), frame(0, 0), frame(0, acs::kExitEnd, {}, acs::kNoSound, false)}, {}},
        {"ｱｲﾄﾞﾙ", "", 2, "", {frame(10)}, {}},
    };
    // clang-format on
    return c;
}

class Trace : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        const acs::WriteResult written = acs::writeCharacter(timelineCharacter());
        ASSERT_TRUE(written.ok()) << written.error().message();
        acs::test::save(m_file, written.value());
    }

    // The lines the tool prints; `status` and `err` keep the rest.
    QStringList trace(const QStringList& args) {
        const acs::test::ToolRun r = acs::test::tool(QStringList{"trace", m_file} + args);
        status = r.status;
        err = r.err;
        QStringList lines = QString::fromUtf8(r.out).split('\n');
        EXPECT_EQ(lines.takeLast(), QString()) << "output ends with a newline";
        return lines;
    }

    QTemporaryDir m_dir;
    QString m_file = m_dir.filePath(QStringLiteral("timeline.acs"));
    int status = -1;
    QString err;
};

QString step(int t, const char* anim, int frame, int ms, int sound, const char* kind = "play") {
    return QString::asprintf(R"({"t":%d,"anim":"%s","frame":%d,"ms":%d,"sound":%d,"step":"%s"})", t,
                             anim, frame, ms, sound, kind);
}
QString done(int t, const char* anim) {
    return QString::asprintf(R"({"t":%d,"done":"%s"})", t, anim);
}
QString flag(int t, const char* key) {
    return QString::asprintf(R"({"t":%d,"%s":true})", t, key);
}

// The lines as one string, "t:" then "AnimFrame" for a step (marked "x" in an exit walk, "r" in
// a return animation, "~n" with sound n), or the line's key ("done", "stop", "idle", "until").
QString brief(const QStringList& lines) {
    QStringList items;
    for (const QString& line : lines) {
        const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
        QStringList keys = o.keys();
        keys.removeAll(QStringLiteral("t"));
        QString item = QString::number(o["t"].toInteger()) + ':';
        if (o.contains("anim")) {
            const QString kind = o["step"].toString();
            item += o["anim"].toString() + QString::number(o["frame"].toInt()) +
                    (kind == "exit"     ? "x"
                     : kind == "return" ? "r"
                                        : "");
            if (o["sound"].toInt() >= 0) {
                item += '~' + QString::number(o["sound"].toInt());
            }
        } else {
            item += keys.join(',');
        }
        items << item;
    }
    return items.join(' ');
}

TEST_F(Trace, BranchDrawsComeFromTheListInTurnAndZeroFramesAreListed) {
    // Draw 30 takes the 50 % branch, 70 does not; the 0 % branch of frame 2 still draws.
    EXPECT_EQ(trace({"Branchy", "branchy", "--draws", "30,70,70"}),
              (QStringList{step(0, "Branchy", 0, 100, -1), step(100, "Branchy", 2, 0, 0),
                           step(100, "Branchy", 3, 100, -1), done(200, "Branchy"),
                           step(200, "Branchy", 0, 100, -1), step(300, "Branchy", 1, 100, -1),
                           step(400, "Branchy", 2, 0, 0), step(400, "Branchy", 3, 100, -1),
                           done(500, "Branchy"), flag(500, "idle")}));
    EXPECT_EQ(status, 0);
    // The default draw is 0: every branch with a percentage is taken.
    EXPECT_EQ(trace({"Branchy"}).mid(0, 3),
              (QStringList{step(0, "Branchy", 0, 100, -1), step(100, "Branchy", 2, 0, 0),
                           step(100, "Branchy", 3, 100, -1)}));
}

TEST_F(Trace, TransitionsArePaidBeforeTheNextAnimation) {
    // Walk rests on frame 2 and owes its exit walk; Ret owes Back, whose own walk is owed in
    // turn; Flash never shows a frame with a duration and walks from its last frame with images.
    EXPECT_EQ(brief(trace({"Walk", "Ret", "Flash", "Short"})),
              "0:Walk0 100:Walk1 200:Walk2 300:Walk3 300:done 300:Walk1x 400:Walk0x 500:Walk3x "
              "500:Ret0 600:done 600:Back0r 650:Back1r 700:Back0x 750:Flash0 750:Flash1 750:Flash2 "
              "750:done 750:Flash0x 750:Short0~0 850:done 850:idle");
}

TEST_F(Trace, StopCutsTheRunningAnimationAndDropsTheQueueAndUntilEndsTheTrace) {
    const std::pair<QStringList, const char*> cases[] = {
        // Cut in the middle of frame 1: the walk starts there at once; Short never starts.
        {{"Walk", "Short", "--stop-at", "150"},
         "0:Walk0 100:Walk1 150:stop 150:Walk0x 250:Walk3x 250:idle"},
        // A frame that starts at the stop time starts before the stop...
        {{"Walk", "Short", "--stop-at", "100"},
         "0:Walk0 100:Walk1 100:stop 100:Walk0x 200:Walk3x 200:idle"},
        // ...and so does a request that ends at that time, with its done line.
        {{"Short", "Short", "--stop-at", "100"},
         "0:Short0~0 100:done 100:Short0~0 100:stop 100:idle"},
        // Nothing playing at the stop time: no stop line.
        {{"Short", "--stop-at", "500"}, "0:Short0~0 100:done 100:idle"},
        // A return animation in progress finishes, but its own walk is not paid.
        {{"Ret", "Short", "--stop-at", "120"},
         "0:Ret0 100:done 100:Back0r 120:stop 150:Back1r 200:idle"},
        // So does an exit walk owed to the next request; that request never starts.
        {{"Walk", "Ret", "--stop-at", "350"},
         "0:Walk0 100:Walk1 200:Walk2 300:Walk3 300:done 300:Walk1x 350:stop 400:Walk0x "
         "500:Walk3x 500:idle"},
        // --until ends the trace and hides what happens then.
        {{"Walk", "--until", "250"}, "0:Walk0 100:Walk1 200:Walk2 250:until"},
        {{"Walk", "--until", "300"}, "0:Walk0 100:Walk1 200:Walk2 300:until"},
        {{"Walk", "--until", "0"}, "0:until"},
    };
    for (const auto& [args, expected] : cases) {
        EXPECT_EQ(brief(trace(args)), expected) << args.join(' ').toStdString();
    }
    EXPECT_EQ(brief(trace({"Walk", "--stop-at", "300", "--until", "300"})).right(9), "300:until");
}

TEST_F(Trace, NamesMatchInAnyScriptAndPrintAsStored) {
    EXPECT_EQ(trace({"アイドル", "SHORT"}),
              (QStringList{step(0, "ｱｲﾄﾞﾙ", 0, 10, -1), done(10, "ｱｲﾄﾞﾙ"),
                           step(10, "Short", 0, 100, 0), done(110, "Short"), flag(110, "idle")}));
}

TEST_F(Trace, BadArgumentsFailWithOneLine) {
    const QStringList cases[] = {{"Nope"},
                                 {"Short", "--draws", "100"},
                                 {"Short", "--draws", "1,,2"},
                                 {"Short", "--draws", ""},
                                 {"Short", "--until", "-5"},
                                 {"Short", "--stop-at", "soon"},
                                 {"Short", "--until"},
                                 {"Short", "--fast"},
                                 {}};
    for (const QStringList& args : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        EXPECT_EQ(trace(args), QStringList{});
        acs::test::expectOneLineError({status, {}, err}, "porukane-acs: ");
    }
}

}  // namespace
