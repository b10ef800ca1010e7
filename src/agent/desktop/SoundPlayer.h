#pragma once

#include "agent/acs/Wave.h"

#include <QObject>

#include <memory>
#include <vector>

class QAudioSink;
class QBuffer;

namespace desktop {

// Plays decoded frame sounds on the default audio output, several at once if frames overlap.
// Without an audio device every call is a silent no-op: no error, no log line. One player per
// character, so that unloading the character silences exactly its sounds.
class SoundPlayer : public QObject {
    Q_OBJECT
public:
    explicit SoundPlayer(QObject* parent = nullptr);
    ~SoundPlayer() override;

    // Starts `sound` now. Shared ownership: the player keeps the samples alive while it plays.
    void play(std::shared_ptr<const acs::PcmSound> sound);
    // Silences every sound this player started.
    void stopAll();
    // Sounds still playing (for tests).
    int activeCount() const { return static_cast<int>(m_voices.size()); }

private:
    struct Voice;
    void finish(QAudioSink* sink);

    std::vector<std::unique_ptr<Voice>> m_voices;
};

// Converts `sound` to `rate` Hz and `channels` channels (1 or 2) by linear interpolation and
// channel duplication or averaging, for devices that do not take the sound's own format
// (22,254 Hz is common in character files).
acs::PcmSound convertPcm(const acs::PcmSound& sound, std::uint32_t rate, std::uint16_t channels);

}  // namespace desktop
