#pragma once

#include "clip/Player.h"

#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <optional>

namespace clip {

// Shows a progress clip centred in the widget, its key colour transparent so the form shows
// through. Nothing is drawn while no clip is open. Only this class touches a real clock: it
// tells the Player how much time has passed, and it runs a timer only while playing.
class ClipWidget : public QWidget {
public:
    explicit ClipWidget(QWidget* parent = nullptr);

    // Reads the clip at `path` (the file name matched without regard to case) and shows its
    // first frame, replacing any clip opened before and stopping playback. Returns false and
    // shows nothing when the file is missing, unreadable or not a clip we can play.
    bool openFile(const QString& path);
    // Loops the open clip from frame 0 until stop(); does nothing without a clip.
    void play();
    // Stops the timer and keeps the current picture.
    void stop();

    bool hasClip() const { return m_player.has_value(); }
    bool isPlaying() const { return m_timer.isActive(); }
    // The frame on screen (0 without a clip).
    std::size_t currentFrame() const { return m_player ? m_player->frame() : 0; }
    // The file actually opened, after case matching.
    QString openedPath() const { return m_openedPath; }

    // The clip's own size, and no less: a layout must not squeeze the picture away.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void tick();
    void scheduleNext(std::uint64_t elapsed);

    std::optional<Player> m_player;
    QTimer m_timer;
    QElapsedTimer m_clock;
    QString m_openedPath;
};

// Finds the file a program path means: `path` itself if it exists, otherwise a file in the
// same folder whose name equals the last component when case is ignored (on case-sensitive
// file systems "filecopy.avi" must still find "Filecopy.avi"). Returns an empty string if
// there is none.
QString resolveClipPath(const QString& path);

}  // namespace clip
