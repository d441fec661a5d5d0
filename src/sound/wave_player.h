// Wave playback (ModPlayAudio): one sound at a time, a new one cuts off the old one, and playing
// never blocks the caller.
#pragma once

#include <QString>
#include <memory>

// Stops any sound and starts `path`; true when it could start. False for a missing, unreadable,
// compressed or non-wave file, and when the machine has no audio output.
bool gFctPlayWave(const QString& path);

// Stops and releases the sound; always false.
bool gCloseWave();

// The "short path" of a file: its absolute path when it exists, empty when it does not.
QString gFctShortPathName(const QString& path);

// The one sound device ("wave"): the Qt Multimedia one unless tests install another.
class WaveDevice {
public:
    virtual ~WaveDevice() = default;
    // Prepares the wave file at `path`; false when it cannot be played.
    virtual bool open(const QString& path) = 0;
    // Starts the prepared sound without waiting for it.
    virtual bool play() = 0;
    // Stops and releases the sound; harmless when nothing is open.
    virtual void close() = 0;
};

namespace WavePlayer {

// Replaces the device (nullptr: back to the Qt Multimedia device), closing the current one.
void setDevice(std::unique_ptr<WaveDevice> device);

// True when `path` names a readable RIFF/WAVE file of uncompressed samples (integer PCM of 8 to
// 32 bits or 32-bit floats); false for compressed ones, which cannot be played.
bool isWaveFile(const QString& path);

// Closes the sound and goes back to the Qt Multimedia device (tests, shutdown).
void reset();

}  // namespace WavePlayer
