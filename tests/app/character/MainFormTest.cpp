#include <QApplication>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <tuple>
#include <utility>

#include <gtest/gtest.h>

#include "FakeComponents.h"
#include "FakePlatform.h"
#include "QtWarnings.h"
#include "TestCharacter.h"
#include "TestFiles.h"
#include "agent/acs/Character.h"
#include "agent/engine/Script.h"
#include "agent/playback/Player.h"
#include "app/character/AnimationNames.h"
#include "app/character/MainForm.h"

namespace {

// A running companion over fakes: one catalogued file, a character on screen, the timer armed.
struct Companion {
    QTemporaryDir dir;
    fakes::FakePlatform fake{dir.path()};
    fakes::FakeAgentControl agent;
    app::SharedState state;
    app::Waiter waiter{fake.services, state};
    int menusShown = 0;
    app::MainForm form{fake.services, state, waiter, agent, [] {}};

    explicit Companion(QStringList files = {QStringLiteral("1.bin")}) {
        state.charFiles = std::move(files);
        form.popupMenu = [this](QMenu&, QPoint) { ++menusShown; };
    }
    // Loads the character; the animation timer is left stopped, as the handlers under test
    // stop it on entry.
    void load(std::initializer_list<float> draws = {0.0f}) {
        script(draws);
        form.LoadRandomCharacter();
        form.アニメーションタイマー().setInterval(0);
        agent.log.clear();
    }
    void script(std::initializer_list<float> draws) {
        fake.random.draws.insert(fake.random.draws.end(), draws.begin(), draws.end());
    }
    void remember(double x, double y) { std::tie(state.charX, state.charY) = std::tie(x, y); }
    QPointF remembered() const { return {state.charX, state.charY}; }
    QString setting(const char* key) {
        return fake.settings.values.value(QStringLiteral("Agent/pos/") + QLatin1String(key));
    }
};

// The same with its character loaded.
struct Loaded : Companion {
    Loaded() { load(); }
};

TEST(Lifecycle, LoadsADrawnFileAtTheRememberedPositionAndArmsSevenSeconds) {
    Companion c({QStringLiteral("1.bin"), QStringLiteral("2.bin"), QStringLiteral("3.bin")});
    c.remember(683.5, 682.5);
    c.script({0.5f});  // Int(3 × 0.5) + 1 = 2
    c.form.LoadRandomCharacter();
    EXPECT_EQ(c.agent.log, QStringList({"load:2.bin", "left:684", "top:682", "show"}));
    EXPECT_EQ(c.state.currentChar, c.agent.current());
    EXPECT_EQ(c.state.animNames, c.agent.defaultNames);
    EXPECT_EQ(c.form.アニメーションタイマー().interval(), 7000);
    EXPECT_EQ(c.fake.random.seeds, 1);
}

TEST(Lifecycle, SkipsFilesThatCannotBeLoadedAndEndsClearlyWhenNoneCan) {
    Companion c({QStringLiteral("1.bin"), QStringLiteral("2.bin")});
    c.agent.failingPaths = {QStringLiteral("1.bin")};
    testsupport::ExpectQtWarning loadFailed(QStringLiteral("cannot load character file"));
    c.script({0.0f, 0.0f});
    c.form.LoadRandomCharacter();
    EXPECT_EQ(c.agent.loads.size(), 2);
    EXPECT_TRUE(c.agent.loads.last().endsWith(QStringLiteral("/2.bin")));
    EXPECT_FALSE(c.fake.exit.ended);

    // The box names each file and what is wrong with it.
    Companion broken({QStringLiteral("1.bin"), QStringLiteral("2.bin")});
    broken.agent.failingPaths = {QStringLiteral("1.bin"), QStringLiteral("2.bin")};
    ASSERT_TRUE(testsupport::writeFile(
        broken.dir.filePath(QStringLiteral("1.bin")),
        QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(504, '\0')));
    QFile cut(desktoptest::writeCharacter(desktoptest::makeCharacterData(), broken.dir.path(),
                                          QStringLiteral("2.bin")));
    ASSERT_TRUE(cut.resize(cut.size() / 2));
    broken.script({0.0f, 0.0f});  // one draw for each file tried
    broken.form.LoadRandomCharacter();
    EXPECT_TRUE(broken.fake.exit.ended);
    ASSERT_EQ(broken.fake.messages.boxes.size(), 1u);
    EXPECT_EQ(broken.fake.messages.boxes[0].icon, platform::MessageIcon::Critical);
    EXPECT_EQ(broken.fake.messages.boxes[0].text,
              QStringLiteral("キャラクターファイルを読み込めませんでした。\r"
                             "ファイルが壊れているか、キャラクターファイルではありません。\r\r"
                             "1.bin：Agent 1.5 形式のファイルです\r"
                             "2.bin：ファイルが途中で切れています"));
}

TEST(Lifecycle, PlacementUsesTheCharactersOwnFrameSize) {
    // On a monitor that has gone, below and to the right of the screen, partly overlapping
    // (still visible), and beyond a corner, for a wide, a small and a tall (scaled) character.
    const struct {
        QSize size;
        double x, y;
        int wantX, wantY;
    } cases[] = {
        {{128, 128}, 3000, 100, 1024 - 128, 100},
        {{160, 128}, 2000, 900, 1024 - 160, 768 - 128},
        {{80, 80}, 2000, 900, 1024 - 80, 768 - 80},
        {{672, 904}, -3000, -5, 0, 0},     // taller than the screen: the top edge stays visible
        {{80, 80}, 1000, 700, 1000, 700},  // overlaps the screen: left where it is
        {{80, 80}, 1024, 768, 1024 - 80, 768 - 80},  // just outside: moved in
    };
    for (const auto& k : cases) {
        Companion c;
        c.agent.defaultSize = k.size;
        c.remember(k.x, k.y);
        c.load();
        EXPECT_EQ(QPoint(c.agent.current()->x, c.agent.current()->y), QPoint(k.wantX, k.wantY))
            << k.size.width() << "x" << k.size.height();
        EXPECT_DOUBLE_EQ(c.state.charX, k.x);  // the remembered position itself is kept
    }
}

// Only a right click opens the menu; a left double click roams one time in five and animates
// otherwise.
TEST(Lifecycle, ClicksOpenTheMenuRoamOrAnimate) {
    Loaded c;
    c.agent.raiseClick(1);
    c.agent.raiseClick(4);
    EXPECT_EQ(c.menusShown, 0);
    c.agent.raiseClick(2);
    EXPECT_EQ(c.menusShown, 1);
    c.agent.log.clear();
    c.agent.raiseDblClick(2);
    EXPECT_TRUE(c.agent.log.isEmpty());

    c.fake.random.draws = {0.19f, 0.0f, 0.0f, 0.0f};  // k=1, a=0, b=0, interval
    c.agent.raiseDblClick(1);
    ASSERT_FALSE(c.agent.log.isEmpty());
    EXPECT_TRUE(c.agent.log.first().startsWith(QStringLiteral("moveTo:")));

    c.agent.log.clear();
    c.fake.random.draws = {0.2f, 0.9f, 0.0f};  // k=2: animation "wave", interval 1 s
    c.agent.raiseDblClick(1);
    EXPECT_EQ(c.agent.log, QStringList({"stop", "play:wave"}));
    EXPECT_EQ(c.form.アニメーションタイマー().interval(), 1000);
}

TEST(Lifecycle, AHideFromOutsideSavesAndEndsButTheProgramsOwnHideDoesNot) {
    Loaded c;
    c.remember(512, -20);
    c.agent.raiseHide(3);  // our own hide, reported late
    EXPECT_FALSE(c.fake.exit.ended);
    c.state.hidingByProgram = 1;
    c.agent.raiseHide(1);
    EXPECT_FALSE(c.fake.exit.ended);
    c.state.hidingByProgram = 0;
    c.agent.raiseHide(1);
    EXPECT_TRUE(c.fake.exit.ended);
    EXPECT_EQ(c.setting("x"), QStringLiteral(" 512"));
    EXPECT_EQ(c.setting("y"), QStringLiteral("-20"));
}

TEST(Lifecycle, ChangingWithOneFileReloadsItWhereTheCharacterStands) {
    Loaded c;
    c.agent.current()->x = 300;
    c.agent.current()->y = 200;
    c.script({0.0f});  // the only file
    c.form.キャラクター交代_Click();
    EXPECT_EQ(c.agent.log, QStringList({"stop", "stopAll", "hide", "unload:d", "load:1.bin",
                                        "left:300", "top:200", "show"}));
    EXPECT_FALSE(c.fake.exit.ended);  // the hide during the change is the program's own
    EXPECT_EQ(c.state.hidingByProgram, 0);
}

TEST(Lifecycle, QuitSavesTheRememberedPositionWhichADragUpdates) {
    Companion c;
    c.remember(100, 100);
    c.load();
    c.agent.current()->x = 900;  // on its way somewhere, not yet arrived
    // Quitting waits for nothing: no event is pumped, no timer runs, and the position is on
    // disk before the character (window, sounds) goes.
    qsizetype writesAtUnload = -1;
    c.agent.onUnload = [&] { writesAtUnload = c.fake.settings.writes.size(); };
    const int pumps = c.fake.events.pumps;
    c.form.おわり_Click();
    EXPECT_TRUE(c.fake.exit.ended);
    EXPECT_EQ(c.fake.settings.writes, QStringList({"Agent/pos/x= 100", "Agent/pos/y= 100"}));
    EXPECT_EQ(writesAtUnload, 2);
    EXPECT_EQ(c.agent.log, QStringList{"unload:d"});
    EXPECT_EQ(c.fake.events.pumps, pumps);
    EXPECT_EQ(c.form.アニメーションタイマー().interval(), 0);

    // Dropped by the user: quitting, or a hide from outside, brings it back there.
    Loaded dragged;
    dragged.agent.raiseDragComplete(640, -20);
    EXPECT_EQ(dragged.remembered(), QPointF(640, -20));
    dragged.agent.raiseHide(static_cast<std::int16_t>(app::HideCause::User));
    EXPECT_EQ(dragged.fake.settings.writes, QStringList({"Agent/pos/x= 640", "Agent/pos/y=-20"}));
}

TEST(Scheduler, ShowAndHideAreNeverPlayedWhateverTheirCaseBlanksOrWidth) {
    const std::pair<const char*, const char*> names[] = {
        // clang-format off
        {"  ＳｈＯｗ ", "show"}, {"ＨＩＤＥ", "hide"}, {"　Hide　", "hide"},
        {"ＧｅｔＡｔｔｅｎｔｉｏｎ", "getattention"}, {"ｱﾆﾒ", "ｱﾆﾒ"}};
    // clang-format on
    for (const auto& [name, narrowed] : names)
        EXPECT_EQ(app::narrowLower(QString::fromUtf8(name)), QString::fromUtf8(narrowed)) << name;

    Loaded c;
    c.state.animNames = {" SHOW", "ｈｉｄｅ", "Ｗａｖｅ"};
    c.script({0.0f, 0.4f, 0.9f});  // show, hide, then Wave
    EXPECT_EQ(c.form.PickRandomAnimation(), QStringLiteral("wave"));
    EXPECT_EQ(c.fake.random.used, 3 + 1);
}

// A character compiled by porukane-acs build whose animation and state names are katakana,
// full-width Latin and accented Latin, spelt differently in the state table.
std::shared_ptr<const acs::Character> buildNamesCharacter(const QString& dir) {
    QImage body(4, 4, QImage::Format_RGBA8888);
    body.fill(QColor(200, 100, 50));
    EXPECT_TRUE(body.save(dir + "/body.png"));
    QByteArray manifest = R"({"width": 4, "height": 4, "transparentIndex": 0,
        "palette": [[255, 0, 255], [200, 100, 50]], "images": ["body.png"],
        "states": {"Ｓｈｏｗｉｎｇ": ["ｼｮｳ"], "ＩｄｌｉｎｇＬｅｖｅｌ１": ["ｱｲﾄﾞﾙ", "über"]},
        "animations": [)";
    for (const char* name : {"ショウ", "アイドル", "ＷＡＶＥ", "Über"}) {
        manifest += QByteArray(R"({"name": ")") + name +
                    R"(", "frames": [{"durationMs": 100, "images": [[0, 0, 0]]}]},)";
    }
    manifest.chop(1);
    manifest += "]}";
    testsupport::writeFile(dir + "/character.json", manifest);
    QProcess build;
    build.start(QStringLiteral(PORUKANE_ACS_TOOL),
                {QStringLiteral("build"), dir + "/character.json", dir + "/1.bin"});
    build.waitForFinished(60000);
    EXPECT_EQ(build.exitCode(), 0) << build.readAllStandardError().toStdString();
    const QByteArray bytes = testsupport::readFile(dir + "/1.bin");
    const auto loaded = acs::loadCharacter(std::vector<std::uint8_t>(bytes.begin(), bytes.end()),
                                           acs::Mode::Strict);
    EXPECT_TRUE(loaded.ok()) << loaded.error.message();
    return loaded.character;
}

TEST(Scheduler, NamesInEveryScriptPlayInTheEngine) {
    Companion c;
    const auto character = buildNamesCharacter(c.dir.path());
    ASSERT_TRUE(character);
    QStringList names;
    for (const acs::Animation& a : character->animations())
        names.append(QString::fromStdString(a.name));
    c.agent.namesByFile[QStringLiteral("1.bin")] = names;
    c.load();
    for (int i = 0; i < names.size(); ++i) {
        c.script({(static_cast<float>(i) + 0.5f) / static_cast<float>(names.size()), 0.0f});
        c.form.アニメーション_Click();
    }
    // The scheduler narrows and lowers each name; the engine still finds every animation.
    const QStringList played = c.agent.log.filter(QStringLiteral("play:"));
    EXPECT_EQ(played, (QStringList{"play:ｼｮｳ", "play:ｱｲﾄﾞﾙ", "play:wave", "play:über"}));
    playback::StdRandom random(1);
    playback::Player player(engine::makeScript(*character), random);
    player.show();  // the Showing state, named in full-width letters, plays ショウ
    player.advance(0);
    EXPECT_EQ(player.picture().animation, 0);
    player.advance(1000);
    for (int i = 0; i < played.size(); ++i) {
        const playback::RequestId id = player.play(played[i].mid(5).toStdString());
        player.advance(1000);
        bool done = false;
        for (const playback::Event& e : player.takeEvents()) {
            done = done || (e.kind == playback::EventKind::RequestCompleted && e.request == id &&
                            e.status == playback::RequestStatus::Done);
        }
        EXPECT_TRUE(done) << played[i].toStdString();
        EXPECT_EQ(player.picture().animation, i) << played[i].toStdString();
    }
    // The idle state, named in full-width letters, lists アイドル and Über in other spellings.
    player.advance(20'000);
    const int idle = player.picture().animation;
    EXPECT_TRUE(idle == 1 || idle == 3) << idle;
}

TEST(Scheduler, AListWithNothingPlayableDoesNotHang) {
    Loaded c;
    c.state.animNames = {"Show", "Hide"};
    c.fake.random.draws = {/*roam*/ 0.5f, /*change*/ 0.0f, /*interval*/ 0.5f};
    c.form.アニメーションタイマー_Timer();
    EXPECT_EQ(c.agent.log, QStringList{"stop"});
    EXPECT_EQ(c.form.アニメーションタイマー().interval(), 4000);
}

TEST(Scheduler, IntervalsAreWholeSecondsFromOneToSeven) {
    Loaded c;
    c.state.animNames = {"Wave"};
    const std::pair<float, int> cases[] = {
        {0.0f, 1000}, {0.142f, 1000}, {0.5f, 4000}, {0.857f, 6000}, {0.99999994f, 7000}};
    for (const auto& [draw, expected] : cases) {
        c.fake.random.draws = {0.0f, 0.5f, 0.5f, draw};  // pick, no roam, no change
        c.form.アニメーションタイマー_Timer();
        EXPECT_EQ(c.form.アニメーションタイマー().interval(), expected) << draw;
        c.fake.random.draws = {0.0f, draw};
        c.form.アニメーション_Click();
        EXPECT_EQ(c.form.アニメーションタイマー().interval(), expected) << draw;
    }
    EXPECT_EQ(c.agent.log.count(QStringLiteral("play:wave")), 10);
}

TEST(Scheduler, ATickWithRoamAndChangeRoamsFirstAndChangesWhereItArrived) {
    Loaded c;
    c.state.animNames = {"Wave"};
    // Pick Wave; roam: Int(0 × 70) = 0; a = b = 1; x, y; change: Int(0.05 × 50) = 2; the new
    // character's file.
    c.fake.random.draws = {0.0f, 0.0f, 0.9f, 0.9f, 0.5f, 0.5f, 0.05f, 0.0f};
    c.form.アニメーションタイマー_Timer();
    // Target: x = Int(0.5 × 12288) + 1536 = 7680 twips = 512 px; y = 4608 + 1152 = 5760 = 384.
    const int move = static_cast<int>(c.agent.log.indexOf(QStringLiteral("moveTo:512,384")));
    const int unload = static_cast<int>(c.agent.log.indexOf(QStringLiteral("unload:d")));
    ASSERT_GE(move, 0);
    EXPECT_GT(unload, move);
    EXPECT_EQ(c.remembered(), QPointF(512, 384));
    EXPECT_TRUE(c.agent.log.endsWith(QStringLiteral("show")));
    EXPECT_EQ(c.form.アニメーションタイマー().interval(), 7000);
    // The four-second wait ran between the move and the change.
    EXPECT_GE(c.fake.timers.now, 4000);
}

TEST(Roaming, RandomTargetsStayBetweenTenAndNinetyPercentOfA1024By768Screen) {
    Loaded c;
    for (const auto& [draw, x, y] :
         {std::tuple{0.0f, 102, 77}, {0.5f, 512, 384}, {0.99999994f, 922, 691}}) {
        c.fake.random.draws = {0.5f, 0.5f, draw, draw};
        c.form.MoveToRandomPlace();
        EXPECT_EQ(QPoint(c.agent.current()->x, c.agent.current()->y), QPoint(x, y)) << draw;
    }
}

TEST(Roaming, KeptCoordinatesStayAndNegativeOnesGoToTwentyPercent) {
    Loaded c;
    // Negative ones go to 3072 / 15, 2304 / 15; kept ones are still remembered after the wait.
    for (const auto& [x, y, move, charX] :
         {std::tuple{40, 30, "moveTo:40,30", 40}, std::tuple{-50, -1, "moveTo:205,154", 205}}) {
        c.agent.log.clear();
        c.agent.current()->x = static_cast<std::int16_t>(x);
        c.agent.current()->y = static_cast<std::int16_t>(y);
        c.fake.random.draws = {0.0f, 0.0f};
        c.form.MoveToRandomPlace();
        EXPECT_EQ(c.agent.log.first(), QString::fromLatin1(move));
        EXPECT_DOUBLE_EQ(c.state.charX, charX);
    }
}

TEST(Roaming, ThePositionIsReadAfterTheWaitAndNestedHandlersRunDuringIt) {
    Loaded c;
    c.agent.current()->movesAtOnce = false;
    c.state.animNames = {"Wave"};
    bool nested = false;
    c.fake.events.onPump = [&](int) {
        if (!nested && c.fake.timers.now >= 2000) {
            nested = true;
            c.agent.current()->x = 700;  // the glide arrives during the wait
            // A menu animation, interval 1 s; that timer fires in the rest of the wait: Wave, no
            // roam, no change, 7 s; 移動 arms the timer at its end.
            c.fake.random.draws = {0.5f, 0.0f, 0.0f, 0.5f, 0.5f, 0.99f, 0.5f};
            c.form.アニメーション_Click();
        }
    };
    c.fake.random.draws = {0.0f, 0.0f};
    c.form.移動_Click();
    EXPECT_TRUE(nested);
    EXPECT_DOUBLE_EQ(c.state.charX, 700);
    EXPECT_TRUE(c.agent.log.contains(QStringLiteral("play:wave")));
    // The nested command armed the timer; 移動 arms it once more at its end.
    const auto history = static_cast<fakes::FakeTimer&>(c.form.アニメーションタイマー()).history;
    ASSERT_GE(history.size(), 3u);
    EXPECT_GT(history.back(), 0);
    EXPECT_TRUE(c.fake.random.draws.empty());
}

}  // namespace
