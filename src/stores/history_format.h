// The format of the history file "Histo.dat", apart from where it lies and who may write it
// (history_file.h): the reader, the parser and the writer of its entries. Pure, and fuzzed.
//
// Per entry eight items, each on its own line ended by CR LF, in the field order of
// DecodedMessageData: Kind and State as decimal digits, the six texts in double quotes with no
// escaping (a text holding CR LF spans lines). Entries follow each other without separator.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <vector>

#include "stores/history_list.h"

class QIODevice;

namespace HistoryFormat {

inline constexpr int kTextItems = 6;

// An entry as the file holds it: its texts are the file's bytes.
struct RawEntry {
    qint16 kind = 0;
    qint16 state = 0;
    QByteArrayView texts[kTextItems];  // in HistoryText order
    qint64 textAt = -1;                // where the message is in the file
};

struct ReadOutcome {
    bool failed = false;   // the device could not be read to its end
    bool cleanEnd = true;  // it ended right after a complete entry (and blank lines at most)
};

// Reads entries as the program writes them, through a bounded buffer. An entry not in that form
// is dropped and reading resumes at the next line that can start an entry (an integer line
// followed by a quoted text), so damage costs the damaged entries only. An entry cut short by the
// end of the device is kept with its missing fields empty or 0. Calls `keep` with each entry
// kept; its texts stay valid until `keep` returns.
ReadOutcome read(QIODevice& device, const std::function<void(const RawEntry&)>& keep);

// Entries in the file's format, gathered in one buffer.
class EntryWriter {
public:
    QByteArrayView bytes() const { return {buffer_.constData(), used_}; }
    qsizetype size() const { return used_; }
    void clear() { used_ = 0; }

    // An entry whose texts are in the file's encoding.
    void add(qint16 kind, const QByteArrayView (&texts)[kTextItems], qint16 state);

private:
    QByteArray buffer_;
    qsizetype used_ = 0;
};

}  // namespace HistoryFormat

// Every double quote of `text` becomes an apostrophe, in place.
void gReplaceQuotes(QString& text);

namespace HistoryFormat {

// The eight items of `entry` as the file holds them (its texts' quotes already replaced).
QByteArray entryBytes(const HistoryEntry& entry);

// Parses history file contents; the entries the loader would keep.
std::vector<HistoryEntry> parse(QByteArrayView contents);

}  // namespace HistoryFormat
