#include <gtest/gtest.h>

#include <QAudioDevice>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QtEndian>

#include "common/test_folder.h"
#include "sound/wave_player.h"

namespace {

// A short wave: 8 kHz, mono, 8-bit PCM unless told, with an optional chunk before "fmt ".
QByteArray waveBytes(bool listChunkFirst = false, quint16 tag = 1, quint16 bits = 8) {
    auto u32 = [](quint32 v) {
        QByteArray b(4, 0);
        qToLittleEndian(v, b.data());
        return b;
    };
    auto u16 = [](quint16 v) {
        QByteArray b(2, 0);
        qToLittleEndian(v, b.data());
        return b;
    };
    const QByteArray samples(800, '\x80');
    QByteArray body = "WAVE";
    if (listChunkFirst)
        body += "LIST" + u32(3) + "abc" + '\0';  // odd size, padded
    body += "fmt " + u32(16) + u16(tag) + u16(1) + u32(8000) + u32(8000) + u16(1) + u16(bits);
    body += "data" + u32(samples.size()) + samples;
    return "RIFF" + u32(body.size()) + body;
}

// Records the device commands in order.
class FakeWaveDevice final : public WaveDevice {
public:
    explicit FakeWaveDevice(std::vector<QString>& log, bool openWorks = true)
        : log_(log), openWorks_(openWorks) {}
    bool open(const QString& path) override {
        log_.push_back("open " + path);
        return openWorks_;
    }
    bool play() override {
        log_.push_back(QStringLiteral("play"));
        return true;
    }
    void close() override { log_.push_back(QStringLiteral("close")); }

private:
    std::vector<QString>& log_;
    bool openWorks_;
};

}  // namespace

TEST(WavePlayer, ShortPathIsTheAbsolutePathOfAnExistingFile) {
    TestFolder folder;
    folder.write("a sound.wav", waveBytes());
    EXPECT_EQ(gFctShortPathName(folder.path("a sound.wav")), folder.path("a sound.wav"));
    EXPECT_EQ(gFctShortPathName(folder.path("missing.wav")), "");
    EXPECT_EQ(gFctShortPathName(QString()), "");
}

TEST(WavePlayer, ANewSoundClosesTheOldOneFirst) {
    TestFolder folder;
    folder.write("one.wav", waveBytes());
    folder.write("two with blanks.wav", waveBytes());
    std::vector<QString> log;
    WavePlayer::setDevice(std::make_unique<FakeWaveDevice>(log));
    EXPECT_TRUE(gFctPlayWave(folder.path("one.wav")));
    EXPECT_TRUE(gFctPlayWave(folder.path("two with blanks.wav")));
    EXPECT_FALSE(gFctPlayWave(folder.path("missing.wav")));
    EXPECT_FALSE(gCloseWave());
    const std::vector<QString> expected = {"close",
                                           "open " + folder.path("one.wav"),
                                           "play",
                                           "close",
                                           "open " + folder.path("two with blanks.wav"),
                                           "play",
                                           "close",  // the missing file: closed, never opened
                                           "close"};
    EXPECT_EQ(log, expected);

    WavePlayer::setDevice(std::make_unique<FakeWaveDevice>(log, false));
    log.clear();
    EXPECT_FALSE(gFctPlayWave(folder.path("one.wav")));
    EXPECT_EQ(log, (std::vector<QString>{"close", "open " + folder.path("one.wav")}))
        << "no play after a failed open";
    WavePlayer::reset();
}

TEST(WavePlayer, WaveFilesAreRecognised) {
    TestFolder folder;
    folder.write("plain.wav", waveBytes());
    folder.write("list.wav", waveBytes(true));
    folder.write("text.wav", "not a sound at all");
    folder.write("cut.wav", waveBytes().first(14));
    folder.write("nofmt.wav", "RIFF\x04\0\0\0WAVE");
    EXPECT_TRUE(WavePlayer::isWaveFile(folder.path("plain.wav")));
    EXPECT_TRUE(WavePlayer::isWaveFile(folder.path("list.wav")));
    EXPECT_FALSE(WavePlayer::isWaveFile(folder.path("text.wav")));
    EXPECT_FALSE(WavePlayer::isWaveFile(folder.path("cut.wav")));
    EXPECT_FALSE(WavePlayer::isWaveFile(folder.path("nofmt.wav")));
    EXPECT_FALSE(WavePlayer::isWaveFile(folder.path("missing.wav")));
    EXPECT_FALSE(WavePlayer::isWaveFile(folder.path()));
}

TEST(WavePlayer, CompressedWavesAreNotPlayed) {
    TestFolder folder;
    folder.write("float.wav", waveBytes(false, 3, 32));
    folder.write("adpcm.wav", waveBytes(false, 0x11, 4));
    folder.write("mp3.wav", waveBytes(true, 0x55, 0));
    EXPECT_TRUE(WavePlayer::isWaveFile(folder.path("float.wav")));
    std::vector<QString> log;
    WavePlayer::setDevice(std::make_unique<FakeWaveDevice>(log));
    EXPECT_FALSE(gFctPlayWave(folder.path("adpcm.wav")));
    EXPECT_FALSE(gFctPlayWave(folder.path("mp3.wav")));
    EXPECT_EQ(log, (std::vector<QString>{"close", "close"})) << "never opened";
    WavePlayer::reset();
}

// The real device: false for files it cannot play, and without an audio output false as well;
// never a wait for the sound.
TEST(WavePlayer, TheQtDeviceNeverBlocks) {
    TestFolder folder;
    folder.write("plain.wav", waveBytes());
    folder.write("text.wav", "not a sound at all");
    WavePlayer::reset();
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(gFctPlayWave(folder.path("missing.wav")));
    EXPECT_FALSE(gFctPlayWave(folder.path("text.wav")));
    const bool hasOutput = !QMediaDevices::defaultAudioOutput().isNull();
    EXPECT_EQ(gFctPlayWave(folder.path("plain.wav")), hasOutput);
    EXPECT_EQ(gFctPlayWave(folder.path("plain.wav")), hasOutput) << "the second replaces the first";
    EXPECT_FALSE(gCloseWave());
    EXPECT_FALSE(gCloseWave()) << "closing twice is harmless";
    EXPECT_LT(timer.elapsed(), 2000);
    if (!hasOutput)
        std::printf("no audio output on this machine: playback reports false\n");
    WavePlayer::reset();
}
