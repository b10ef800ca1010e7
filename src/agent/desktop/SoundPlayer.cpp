#include "agent/desktop/SoundPlayer.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>
#include <QTimer>

#include <algorithm>

namespace desktop {

namespace {

// Overlapping frame sounds beyond this are dropped rather than stacking up sinks.
constexpr std::size_t kMaxVoices = 4;
// How long a sink lives past its sound's length: the server's latency, generously.
constexpr int kReleaseMarginMs = 500;

QtMessageHandler g_previousHandler = nullptr;

void dropAudioServiceWarnings(QtMsgType type, const QMessageLogContext& context,
                              const QString& text) {
    if (type == QtWarningMsg || type == QtDebugMsg || type == QtInfoMsg)
        return;
    if (g_previousHandler)
        g_previousHandler(type, context, text);
}

// The default output, or a null device. The first look-up starts Qt's audio service, which
// warns on every machine without a sound server; having no sound there is normal for us, so
// that one look-up is made with warnings silenced.
QAudioDevice defaultOutput() {
    static bool started = false;
    if (!started) {
        started = true;
        g_previousHandler = qInstallMessageHandler(dropAudioServiceWarnings);
        QAudioDevice device = QMediaDevices::defaultAudioOutput();
        qInstallMessageHandler(g_previousHandler);
        return device;
    }
    return QMediaDevices::defaultAudioOutput();
}

QAudioFormat formatOf(std::uint32_t rate, std::uint16_t channels) {
    QAudioFormat format;
    format.setSampleRate(static_cast<int>(rate));
    format.setChannelCount(channels);
    format.setSampleFormat(QAudioFormat::Int16);
    return format;
}

}  // namespace

struct SoundPlayer::Voice {
    std::shared_ptr<const acs::PcmSound> keepAlive;  // the buffer reads converted bytes from here
    QByteArray bytes;
    std::unique_ptr<QBuffer> buffer;
    std::unique_ptr<QAudioSink> sink;
};

SoundPlayer::SoundPlayer(QObject* parent) : QObject(parent) {}

SoundPlayer::~SoundPlayer() {
    stopAll();
}

std::optional<OutputFormat> chooseOutputFormat(
    std::uint32_t rate, std::uint16_t channels,
    const std::function<bool(std::uint32_t, std::uint16_t)>& supported,
    const std::vector<std::uint32_t>& extraRates) {
    std::vector<std::uint32_t> rates = {rate,  8000,  11025, 16000, 22050,
                                        24000, 32000, 44100, 48000, 96000};
    rates.insert(rates.end(), extraRates.begin(), extraRates.end());
    const auto distance = [rate](std::uint32_t r) { return r > rate ? r - rate : rate - r; };
    // Nearest first; of two equally near, the higher rate loses less.
    std::stable_sort(rates.begin(), rates.end(), [&](std::uint32_t a, std::uint32_t b) {
        return distance(a) != distance(b) ? distance(a) < distance(b) : a > b;
    });
    const std::uint16_t other = channels == 1 ? 2 : 1;
    for (const std::uint32_t r : rates) {
        if (r == 0)
            continue;
        for (const std::uint16_t c : {channels, other}) {
            if (supported(r, c))
                return OutputFormat{r, c};
        }
    }
    return std::nullopt;
}

acs::PcmSound convertPcm(const acs::PcmSound& sound, std::uint32_t rate, std::uint16_t channels) {
    acs::PcmSound out;
    out.sampleRate = rate;
    out.channels = channels;
    const std::size_t inFrames = sound.channels == 0 ? 0 : sound.samples.size() / sound.channels;
    if (inFrames == 0 || rate == 0 || channels == 0)
        return out;
    const std::size_t outFrames =
        static_cast<std::size_t>(static_cast<double>(inFrames) * rate / sound.sampleRate);
    out.samples.reserve(outFrames * channels);
    auto at = [&](std::size_t frame, std::size_t channel) -> double {
        frame = std::min(frame, inFrames - 1);
        if (sound.channels == 1)
            return sound.samples[frame];
        if (channels == 1) {
            return (sound.samples[frame * 2] + sound.samples[frame * 2 + 1]) / 2.0;
        }
        return sound.samples[frame * sound.channels + channel];
    };
    const double step = static_cast<double>(sound.sampleRate) / rate;
    for (std::size_t f = 0; f < outFrames; ++f) {
        const double pos = static_cast<double>(f) * step;
        const auto whole = static_cast<std::size_t>(pos);
        const double part = pos - static_cast<double>(whole);
        for (std::size_t c = 0; c < channels; ++c) {
            const double v = at(whole, c) * (1.0 - part) + at(whole + 1, c) * part;
            out.samples.push_back(static_cast<std::int16_t>(std::clamp(v, -32768.0, 32767.0)));
        }
    }
    return out;
}

void SoundPlayer::play(std::shared_ptr<const acs::PcmSound> sound) {
    if (!sound || sound->samples.empty() || m_voices.size() >= kMaxVoices)
        return;
    const QAudioDevice device = defaultOutput();
    if (device.isNull())
        return;

    const auto supported = [&device](std::uint32_t rate, std::uint16_t channels) {
        return device.isFormatSupported(formatOf(rate, channels));
    };
    const std::vector<std::uint32_t> deviceRates = {
        static_cast<std::uint32_t>(std::max(0, device.preferredFormat().sampleRate())),
        static_cast<std::uint32_t>(std::max(0, device.minimumSampleRate())),
        static_cast<std::uint32_t>(std::max(0, device.maximumSampleRate()))};
    const std::optional<OutputFormat> out =
        chooseOutputFormat(sound->sampleRate, sound->channels, supported, deviceRates);
    if (!out)
        return;

    auto voice = std::make_unique<Voice>();
    const QAudioFormat format = formatOf(out->rate, out->channels);
    if (out->rate == sound->sampleRate && out->channels == sound->channels) {
        voice->keepAlive = sound;
        voice->bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(sound->samples.data()),
                                               static_cast<qsizetype>(sound->samples.size() * 2));
    } else {
        const acs::PcmSound converted = convertPcm(*sound, out->rate, out->channels);
        voice->bytes = QByteArray(reinterpret_cast<const char*>(converted.samples.data()),
                                  static_cast<qsizetype>(converted.samples.size() * 2));
    }
    voice->buffer = std::make_unique<QBuffer>(&voice->bytes);
    voice->buffer->open(QIODevice::ReadOnly);
    voice->sink = std::make_unique<QAudioSink>(device, format);
    QAudioSink* sink = voice->sink.get();
    connect(sink, &QAudioSink::stateChanged, this, [this, sink](QAudio::State state) {
        if (state == QAudio::StoppedState && sink->error() != QAudio::NoError)
            finish(sink);
    });
    // The sink turns idle once it has handed the last bytes to the sound server, which may
    // still hold all of a short sound; stopping it then would cut the sound off. So it is
    // released only after the sound's own length has passed.
    const qint64 bytesPerSecond = format.bytesForDuration(1'000'000);
    const auto lengthMs =
        static_cast<int>(voice->bytes.size() * 1000 / std::max<qint64>(1, bytesPerSecond));
    QTimer::singleShot(lengthMs + kReleaseMarginMs, sink, [this, sink] { finish(sink); });
    m_voices.push_back(std::move(voice));
    sink->start(m_voices.back()->buffer.get());
}

void SoundPlayer::finish(QAudioSink* sink) {
    auto it = std::find_if(m_voices.begin(), m_voices.end(),
                           [sink](const auto& v) { return v->sink.get() == sink; });
    if (it == m_voices.end())
        return;
    // The sink is inside its own signal: let it return before it goes away.
    Voice* voice = it->release();
    m_voices.erase(it);
    voice->sink->disconnect(this);
    voice->sink->stop();
    QAudioSink* raw = voice->sink.release();
    raw->deleteLater();
    QObject::connect(raw, &QObject::destroyed, [voice] { delete voice; });
}

void SoundPlayer::stopAll() {
    auto voices = std::move(m_voices);
    m_voices.clear();
    for (auto& voice : voices) {
        voice->sink->disconnect(this);
        // Drops what the server still holds instead of draining it: a stop must not wait.
        voice->sink->reset();
        voice->sink->stop();
    }
}

}  // namespace desktop
