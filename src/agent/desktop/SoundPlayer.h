#pragma once

#include "agent/acs/Wave.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAudioSink;
class QBuffer;

namespace desktop {

// Plays decoded frame sounds on the default audio output, several at once if frames overlap.
// The samples are those decodeWave gives; only when the device refuses their rate or channel
// count are they converted, for the device alone.
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

// The rate and channel count an output plays a sound of `rate` Hz and `channels` channels in:
// the sound's own when `supported` accepts them, otherwise the accepted rate nearest to the
// sound's among common rates and `extraRates` (the device's own), the sound's channel count
// first. Nothing when no candidate is accepted.
struct OutputFormat {
    std::uint32_t rate = 0;
    std::uint16_t channels = 0;
    bool operator==(const OutputFormat&) const = default;
};
std::optional<OutputFormat> chooseOutputFormat(
    std::uint32_t rate, std::uint16_t channels,
    const std::function<bool(std::uint32_t rate, std::uint16_t channels)>& supported,
    const std::vector<std::uint32_t>& extraRates = {});

// Converts `sound` to `rate` Hz and `channels` channels (1 or 2) by linear interpolation and
// channel duplication or averaging, for devices that do not take the sound's own format
// (22,254 Hz is common in character files).
acs::PcmSound convertPcm(const acs::PcmSound& sound, std::uint32_t rate, std::uint16_t channels);

}  // namespace desktop
