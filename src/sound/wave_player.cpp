#include "sound/wave_player.h"

#include <QAudioDevice>
#include <QFile>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>
#include <QtEndian>

namespace {

// The RIFF header ("RIFF", size, "WAVE") and the chunk headers that may come before "fmt ".
constexpr qint64 kRiffHeaderBytes = 12;
constexpr qint64 kChunkHeaderBytes = 8;
constexpr int kMaxChunksBeforeFormat = 16;
// The format chunk: its tag (1 integer PCM, 3 IEEE float), ..., bits per sample at byte 14.
constexpr qint64 kFormatBytes = 16;
constexpr quint16 kFormatPcm = 1;
constexpr quint16 kFormatFloat = 3;

// Plays through QSoundEffect on the default audio output.
class QtWaveDevice final : public WaveDevice {
public:
    bool open(const QString& path) override {
        close();
        // Without an audio output nothing could be heard; say so instead of pretending.
        if (QMediaDevices::defaultAudioOutput().isNull())
            return false;
        effect_ = std::make_unique<QSoundEffect>();
        effect_->setSource(QUrl::fromLocalFile(path));
        return true;
    }

    bool play() override {
        if (!effect_)
            return false;
        effect_->play();  // loads and plays in the background
        return true;
    }

    void close() override {
        if (!effect_)
            return;
        effect_->stop();
        effect_.reset();
    }

private:
    std::unique_ptr<QSoundEffect> effect_;
};

std::unique_ptr<WaveDevice>& device() {
    static std::unique_ptr<WaveDevice> current;
    if (!current)
        current = std::make_unique<QtWaveDevice>();
    return current;
}

}  // namespace

bool WavePlayer::isWaveFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = file.read(kRiffHeaderBytes);
    if (header.size() != kRiffHeaderBytes || !header.startsWith("RIFF") ||
        header.mid(8, 4) != "WAVE") {
        return false;
    }
    for (int chunk = 0; chunk < kMaxChunksBeforeFormat; ++chunk) {
        const QByteArray chunkHeader = file.read(kChunkHeaderBytes);
        if (chunkHeader.size() != kChunkHeaderBytes)
            return false;
        const quint32 size = qFromLittleEndian<quint32>(chunkHeader.constData() + 4);
        if (chunkHeader.startsWith("fmt ")) {
            // Only uncompressed samples can be played: integer PCM or 32-bit floats.
            char format[kFormatBytes];
            if (size < kFormatBytes || file.read(format, kFormatBytes) != kFormatBytes)
                return false;
            const quint16 tag = qFromLittleEndian<quint16>(format);
            const quint16 bits = qFromLittleEndian<quint16>(format + 14);
            return (tag == kFormatPcm && bits >= 8 && bits <= 32 && bits % 8 == 0) ||
                   (tag == kFormatFloat && bits == 32);
        }
        // Chunks are padded to an even size.
        if (!file.seek(file.pos() + size + (size & 1)))
            return false;
    }
    return false;
}

QString gFctShortPathName(const QString& path) {
    if (path.isEmpty())
        return {};
    const QFileInfo info(path);
    return info.exists() ? info.absoluteFilePath() : QString();
}

bool gCloseWave() {
    try {
        device()->close();
    } catch (...) {
    }
    return false;
}

bool gFctPlayWave(const QString& path) {
    try {
        gCloseWave();
        const QString shortPath = gFctShortPathName(path);
        if (shortPath.isEmpty() || !WavePlayer::isWaveFile(shortPath))
            return false;
        WaveDevice& wave = *device();
        if (!wave.open(shortPath))
            return false;
        return wave.play();
    } catch (...) {
        return false;
    }
}

void WavePlayer::setDevice(std::unique_ptr<WaveDevice> replacement) {
    gCloseWave();
    device() = std::move(replacement);
}

void WavePlayer::reset() {
    WavePlayer::setDevice(nullptr);
}
