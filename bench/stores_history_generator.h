// Large history files for the benchmarks: entries as the program writes them, with texts of 10 to
// 400 characters, some of them on several lines, some with an attachment.
#pragma once

#include <QString>

// Writes a "Histo.dat" of `entries` entries, a megabyte at a time; the same seed gives the same
// file. False when it cannot be written.
bool writeHistoryFile(const QString& path, int entries, unsigned seed = 1);

// The number of history entries a benchmark is asked for with "--entries=N" (taken out of the
// arguments), else `entries`.
int benchHistoryEntries(int& argc, char** argv, int entries);
