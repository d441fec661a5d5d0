// The history of received messages on disk: the text file "Histo.dat", read into and written from
// the table of history_list.h: its lock, its loading, appending and rewriting. The file's format
// is history_format.h.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>
#include <vector>

#include "stores/history_format.h"
#include "stores/history_list.h"

inline constexpr char kHistoryFileName[] = "Histo.dat";

// Fills HistoryList from gApplicationFolder + "Histo.dat"; a missing file gives an empty history.
// Entries the program did not write in its format are skipped; reading resumes at the next entry.
void gLoadHistoric();

// Appends entry Count to the file (created when missing), after turning the double quotes of its
// texts into apostrophes, in memory too; durable when it returns. Same as
// HistoryStore::appendFrom(HistoryList.Count).
void gAppendHistoric();

// Replaces the file atomically by the whole table. When it cannot be written the old file stays
// and the user is told once.
void gSaveHistoric();

// Removes entry `number` (1 to Count) from the table, moving the later ones down; 0 or a number
// above Count changes nothing. The file changes at the next rewrite.
void gDeleteHistoricMessage(qint32 number);

// Deletes "Histo.dat": 1 when deleted, 0 otherwise. The table is not changed.
int gFctDeleteHistoricFile();

namespace HistoryStore {

// Appends entries `first` to Count to the file in one write and one fdatasync.
void appendFrom(qint32 first);

// Takes the lock of the history (of the application folder) for this process. False when another
// copy of the program holds it: this process then never writes, appends to or deletes the file.
// A folder that cannot be locked at all leaves the history writable.
bool lock();

// Empties the table, forgets the state of the file and releases the lock.
void reset();

}  // namespace HistoryStore
