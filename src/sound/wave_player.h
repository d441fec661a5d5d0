// Wave playback (ModPlayAudio): one sound at a time, a new one cuts off the old one, and playing
// never blocks the caller.
#pragma once

#include <QString>

// Stops any sound and starts `path`; true when it could start. False for a missing, unreadable or
// non-wave file, and when the machine has no audio output.
bool gFctPlayWave(const QString& path);

// Stops and releases the sound; always false.
bool gCloseWave();

// The "short path" of a file: its absolute path when it exists, empty when it does not.
QString gFctShortPathName(const QString& path);

// Releases the player (tests, shutdown).
void gResetWavePlayer();
