// Reads any bytes as a history file, and checks that every entry kept is one the program can
// write and read back unchanged, and that its texts hold no double quote.
#include <cstdint>
#include <cstdlib>

#include "stores/history_format.h"

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

bool same(const HistoryEntry& a, const HistoryEntry& b) {
    return a.Kind == b.Kind && a.Sender == b.Sender && a.Addressee == b.Addressee &&
           a.Text == b.Text && a.ReceivedDate == b.ReceivedDate &&
           a.ReceivedTime == b.ReceivedTime && a.AttachmentPath == b.AttachmentPath &&
           a.State == b.State;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::vector<HistoryEntry> entries = HistoryFormat::parse(bytes);
    // Each kept entry needs at least its kind line.
    check(entries.size() <= size / 2 + 1);
    QByteArray rewritten;
    for (const HistoryEntry& entry : entries) {
        for (const QString* text :
             {&entry.Sender, &entry.Addressee, &entry.Text, &entry.ReceivedDate,
              &entry.ReceivedTime, &entry.AttachmentPath}) {
            check(!text->contains(u'"'));
        }
        rewritten += HistoryFormat::entryBytes(entry);
    }
    const std::vector<HistoryEntry> reread = HistoryFormat::parse(rewritten);
    check(reread.size() == entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        check(same(entries[i], reread[i]));
    return 0;
}
