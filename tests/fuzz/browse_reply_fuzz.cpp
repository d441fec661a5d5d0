// Feeds any bytes, in two pieces, to the reader of the browse helper's answers, and checks that
// what it keeps stays within the protocol's bounds and reads back the same when encoded again.
#include <cstdint>
#include <cstdlib>

#include "addressbook/browse_protocol.h"

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qsizetype cut = bytes.isEmpty() ? 0 : static_cast<qsizetype>(data[0]) % bytes.size();
    BrowseReplyReader reader;
    reader.feed(bytes.first(cut));
    reader.feed(bytes.sliced(cut));
    check(static_cast<int>(reader.entries().size()) <= kMaxBrowseEntries);
    for (const SmbEntry& entry : reader.entries()) {
        check(entry.name.size() <= kMaxBrowseLine && entry.comment.size() <= kMaxBrowseLine);
        BrowseReplyReader again;
        again.feed(BrowseProtocol::entryLine(entry) + BrowseProtocol::endLine());
        check(again.state() == BrowseReplyReader::State::Ended && again.entries().size() == 1);
        check(again.entries()[0].type == entry.type);
        // Whatever the name, its URL names no user, port or path.
        const QString url = BrowseProtocol::smbUrl(entry.name);
        check(!url.contains(u'@') && !url.mid(6).contains(u'/') && !url.mid(6).contains(u':'));
    }
    return 0;
}
