// The history of received messages in memory: a compact table numbered from 1.
//
// Entries are kept in the file's single-byte encoding: a fixed-size slot per entry; the texts of
// senders, addressees and dates shared in a pool; each entry's time and attachment path in blocks
// that never move. The message of an entry read from the file stays in the file, which is kept
// open for it; the message of an entry added at run time is kept with its time. A text becomes a
// QString only when it is asked for (shown, sorted, printed); the file is rewritten from the bytes.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QtGlobal>
#include <unordered_map>
#include <vector>

#include "stores/decoded_message.h"
#include "stores/history_text_store.h"

// An entry is a copy of the current message taken when it arrived.
using HistoryEntry = DecodedMessageData;

// The texts of an entry.
enum class HistoryText { Sender, Addressee, Text, ReceivedDate, ReceivedTime, AttachmentPath };

class HistoryListData {
public:
    // The number of entries, 1 to Count. Changed by the table only.
    qint32 Count = 0;

    HistoryListData();
    HistoryListData(HistoryListData&&) noexcept;
    HistoryListData& operator=(HistoryListData&&) noexcept;
    HistoryListData(const HistoryListData&) = delete;
    HistoryListData& operator=(const HistoryListData&) = delete;
    ~HistoryListData();

    // Entry `number` (1 to the number of slots, which removal does not shrink), decoded, for
    // reading and changing in place. A number outside raises run-time error 9. The reference
    // stays valid until the next add, removal or file operation, which take its changes in.
    HistoryEntry& operator[](qint32 number);
    // A decoded copy of entry `number`; the same numbers as above.
    HistoryEntry operator[](qint32 number) const;

    // One field of entry `number`, without decoding the others; same numbers and error.
    QString text(qint32 number, HistoryText field) const;
    qint16 kind(qint32 number) const;
    qint16 state(qint32 number) const;
    void setState(qint32 number, qint16 state);
    bool hasAttachment(qint32 number) const;
    // The sender, addressee or date of entry `number` as a key: equal keys, equal texts, so
    // sorting compares each distinct text once.
    quint32 textKey(qint32 number, HistoryText field);
    QString textOfKey(quint32 key) const;

    // Count + 1, the table grown to Count slots, `entry` copied into entry Count (its texts in the
    // file's encoding: a character the code page lacks becomes "?").
    void add(const HistoryEntry& entry);
    // The same with the texts as the file holds them, in HistoryText order (the loader). With
    // `textAt` (not negative), the message is the one at that offset of the kept file.
    void addBytes(qint16 kind, const QByteArrayView (&texts)[6], qint16 state, qint64 textAt = -1);
    // Keeps `fd`, the history file being loaded, to read the messages of its entries from.
    void keepFile(int fd);
    // Removes entry `number` (1 to Count), moving the later ones down.
    void remove(qint32 number);
    // Every double quote of the entry's sender, addressee and text becomes an apostrophe.
    void replaceQuotes(qint32 number);
    // The texts of entry `number` as the file holds them, in HistoryText order; valid until the
    // entry changes or another message is read. False when its message could not be read from
    // the kept file (then empty).
    bool entryBytes(qint32 number, QByteArrayView (&texts)[6]);
    // Room for `entries` slots.
    void reserve(qint64 entries);

private:
    static constexpr quint64 kTextInBody = ~quint64{0};

    struct Slot {
        // The lengths of the message, time and attachment path, then the time and the path, then
        // the message when it is not in the file.
        char* body = nullptr;
        quint64 textAt = kTextInBody;  // where the message is in the kept file
        quint32 sender = 0;
        quint32 addressee = 0;
        quint32 date = 0;
        qint16 kind = 0;
        qint16 state = 0;
    };

    const Slot& slot(qint32 number) const;
    Slot& slot(qint32 number);
    // One text of `slot`; false when its message could not be read from the kept file.
    bool slotBytes(const Slot& slot, HistoryText field, QByteArrayView& bytes) const;
    QByteArrayView slotBytes(const Slot& slot, HistoryText field) const;
    Slot encode(qint16 kind, const QByteArrayView (&texts)[6], qint16 state, qint64 textAt);
    Slot encode(const HistoryEntry& entry);
    const HistoryEntry* changing(qint32 number) const;
    // Takes in the entries handed out for changing.
    void settle();
    void append(const Slot& slot);

    std::vector<Slot> slots_;
    HistoryTextPool pool_;
    HistoryByteBlocks bodies_;
    HistoryFileBytes file_;
    // Entries handed out by operator[] for changing, by number.
    std::unordered_map<qint32, HistoryEntry> changing_;
};

// One per process.
extern HistoryListData HistoryList;
