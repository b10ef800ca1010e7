// The download forms with the real transfer against servers on 127.0.0.1, and with the real
// progress clip.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <set>

#include "FakeComponents.h"
#include "FakePlatform.h"
#include "LoopbackHttpServer.h"
#include "TestFiles.h"
#include "app/download/CharacterDownloadForm.h"
#include "clip/Writer.h"
#include "clip/qt/ClipWidget.h"
#include "clip/qt/QtAnimationControl.h"
#include "platform/http/QtHttpTransfer.h"

namespace {

QString u(const char* text) {
    return QString::fromUtf8(text);
}

using LoopbackServer = testsupport::LoopbackHttpServer;

// Every fake but the transfer, which is real.
struct Downloads {
    Downloads() { fake.messages.answers = {platform::MessageAnswer::Yes}; }
    QTemporaryDir dir;
    platform::QtHttpTransfer http{platform::HttpLimits{10000, 1 << 20, 5}};
    fakes::FakePlatform fake{dir.path(), &http};
    app::SharedState state;
};

const QByteArray kInstaller = "MZ" + QByteArray(3000, '\x90') + "installer";
const QString kFailed = u("ダウンロードできませんでした");

}  // namespace

// The first servers of the list refuse or have no such file; the next one has it.
TEST(LoopbackDownloadTest, FallsBackThroughTheConfiguredServers) {
    LoopbackServer empty;
    LoopbackServer good;
    good.routes["/mirror/agent2/chars/Genie.exe"] = testsupport::httpReply("200 OK", kInstaller);
    for (bool reachable : {true, false}) {
        SCOPED_TRACE(reachable ? "the last server has the file" : "no server has it");
        Downloads d;
        fakes::FakeAnimationFactory clips;
        d.fake.settings.values[u("Agent/download/characters")] =
            LoopbackServer::refusingBase() + u("  ") + empty.base() + u("\t") +
            (reachable ? good.base() + u("/mirror/") : empty.base());
        app::CharacterDownloadForm form(d.fake.services, d.state, clips,
                                        app::DownloadServers::fromSettings(d.fake.settings));
        form.findChild<QCheckBox*>(u("Genie"))->setChecked(true);
        form.show();
        form.dl_Click();
        EXPECT_EQ(testsupport::readFile(d.dir.filePath(u("1.exe")), "(missing)"),
                  reachable ? kInstaller : "(missing)");
        // The confirmation only, or with the one failure.
        EXPECT_EQ(d.fake.messages.texts().size(), reachable ? 1 : 2);
        EXPECT_EQ(d.fake.messages.texts().count(kFailed), reachable ? 0 : 1);
    }
    EXPECT_EQ(empty.requested.count("/agent2/chars/Genie.exe"), 3);
}

// While a slow download holds the program, the clip is on the form and its frames change.
TEST(LoopbackDownloadTest, TheProgressClipPlaysDuringASlowDownload) {
    Downloads d;
    // A 40 x 20 clip at 10 frames a second: a block walking across a keyed background.
    clip::Rle8Movie movie{40, 20, 100000, {{255, 0, 255}, {0, 0, 200}}, {}};
    for (int f = 0; f < 4; ++f) {
        std::vector<std::uint8_t> picture(40 * 20, 0);
        for (int y = 5; y < 15; ++y) {
            std::fill_n(picture.begin() + y * 40 + f * 10, 10, std::uint8_t{1});
        }
        movie.frames.push_back(picture);
    }
    ASSERT_TRUE(
        testsupport::writeFile(d.dir.filePath(u("Filecopy.avi")), clip::writeRle8Clip(movie)));

    LoopbackServer slow;
    slow.routes["/agent2/chars/Genie.exe"] = testsupport::httpReply("200 OK", kInstaller);
    slow.pieces = 15;
    slow.gapMs = 100;
    d.fake.settings.values[u("Agent/download/characters")] = slow.base();
    clip::QtAnimationControlFactory clips;
    app::CharacterDownloadForm form(d.fake.services, d.state, clips,
                                    app::DownloadServers::fromSettings(d.fake.settings));
    form.findChild<QCheckBox*>(u("Genie"))->setChecked(true);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QWidget* avi = form.findChild<QWidget*>(u("avi"));
    ASSERT_NE(avi, nullptr);

    // Samples what the form shows where the clip is, from inside the download's event loop.
    std::set<QByteArray> pictures;
    int samples = 0;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        if (!d.fake.messages.boxes.empty() && avi->isVisible()) {
            ++samples;
            const QRect area(avi->mapTo(&form, QPoint(0, 0)), avi->size());
            const QImage shot = form.grab(area.intersected(form.rect())).toImage();
            if (!shot.isNull() && shot.width() >= 40 && shot.height() >= 20) {
                pictures.insert(QByteArray(reinterpret_cast<const char*>(shot.constBits()),
                                           shot.sizeInBytes()));
            }
        }
    });
    sampler.start(70);
    form.dl_Click();
    sampler.stop();

    EXPECT_GE(samples, 5);
    EXPECT_GE(pictures.size(), 2u)
        << "the clip showed no moving picture in " << samples << " looks";
    EXPECT_EQ(d.fake.messages.texts().size(), 1);  // the confirmation; the download worked
}
