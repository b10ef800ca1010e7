#include "clip/qt/ClipWidget.h"
#include "clip/qt/QtAnimationControl.h"

#include "ClipFixtures.h"
#include "TestFiles.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPalette>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace clip {
namespace {

using testsupport::writeFile;

class ClipWidgetTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(writeFile(m_dir.filePath("Filecopy.avi"), writeRle8Clip(test::smallMovie())));
        AviLayout sound = test::rleLayout({{0x06, 0x01}});
        sound.streamsBefore = {{'a', 'u', 'd', 's'}};
        ASSERT_TRUE(writeFile(m_dir.filePath("sound.avi"), writeAvi(sound)));
    }
    QTemporaryDir m_dir;
};

TEST_F(ClipWidgetTest, OpensWithoutRegardToCaseAndRefusesWhatItCannotPlay) {
    ClipWidget w;
    EXPECT_TRUE(w.openFile(m_dir.filePath("filecopy.AVI")));
    EXPECT_EQ(w.openedPath(), m_dir.filePath("Filecopy.avi"));
    EXPECT_EQ(w.sizeHint(), QSize(8, 4));
    for (const QString& name :
         {QStringLiteral("missing.avi"), QStringLiteral("sound.avi"), QString()}) {
        EXPECT_FALSE(w.openFile(name.isEmpty() ? name : m_dir.filePath(name)))
            << name.toStdString();
        EXPECT_FALSE(w.hasClip());  // the earlier clip is gone too
        EXPECT_FALSE(w.isPlaying());
    }
    // The program writes its paths with backslashes.
    EXPECT_TRUE(w.openFile(m_dir.path() + QStringLiteral("\\FILECOPY.avi")));
}

TEST_F(ClipWidgetTest, PlaysOnlyWhilePlayingAndKeepsThePictureWhenStopped) {
    ClipWidget w;
    w.play();  // no clip: nothing happens
    EXPECT_FALSE(w.isPlaying());
    ASSERT_TRUE(w.openFile(m_dir.filePath("Filecopy.avi")));
    EXPECT_FALSE(w.isPlaying());
    w.play();
    EXPECT_TRUE(w.isPlaying());
    QElapsedTimer clock;
    clock.start();
    while (w.currentFrame() == 0 && clock.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    EXPECT_NE(w.currentFrame(), 0U);
    w.stop();
    EXPECT_FALSE(w.isPlaying());
}

// The key colour (magenta, the top-left pixel) shows the form behind; other colours are drawn.
TEST_F(ClipWidgetTest, KeyColourLetsTheFormShowThrough) {
    QWidget form;
    form.resize(20, 10);
    QPalette pal = form.palette();
    pal.setColor(QPalette::Window, QColor(10, 200, 30));
    form.setPalette(pal);
    form.setAutoFillBackground(true);
    QtAnimationControlFactory factory;
    std::unique_ptr<app::AnimationControl> control = factory.create(&form);
    control->widget()->setGeometry(0, 0, 20, 10);
    ASSERT_TRUE(control->open(m_dir.filePath("Filecopy.avi")));
    control->setVisible(true);
    const QImage shot = form.grab().toImage();
    // The 8 x 4 clip is centred, its top-left pixel at (6, 3).
    const auto entry = [](std::size_t i) { return test::argbOf(test::distinctPalette(16)[i]); };
    EXPECT_EQ(shot.pixelColor(6, 3).rgb(), QColor(10, 200, 30).rgb());
    EXPECT_EQ(shot.pixelColor(7, 3).rgb(), entry(3));  // the walker
    EXPECT_EQ(shot.pixelColor(6, 6).rgb(), entry(5));  // the bottom-left pixel
}

}  // namespace
}  // namespace clip
