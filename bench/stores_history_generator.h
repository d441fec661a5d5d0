// Large history files for the benchmarks: entries as the program writes them, with texts of 10 to
// 400 characters, some of them on several lines, some with an attachment.
#pragma once

#include <QByteArray>
#include <QString>

// The bytes of a "Histo.dat" of `entries` entries; the same seed gives the same file.
QByteArray gGenerateHistoryFile(int entries, unsigned seed = 1);

// Writes such a file; false when it cannot be written.
bool gWriteHistoryFile(const QString& path, int entries, unsigned seed = 1);
