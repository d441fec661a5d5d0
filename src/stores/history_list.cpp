#include "stores/history_list.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "errorreport/runtime_error.h"
#include "platform/ansi_codec.h"

HistoryListData HistoryList;

namespace {

constexpr char kQuote = '"';
constexpr char kApostrophe = '\'';
constexpr int kTextCount = 6;
constexpr int kBodyLengths = 3;             // message, time, path
constexpr std::size_t kMaxLengthBytes = 5;  // a 32-bit length in 7-bit groups

// The body of an entry without texts.
char gEmptyBody[] = {0, 0, 0};

char* putLength(char* out, quint32 length) {
    while (length >= 0x80) {
        *out++ = static_cast<char>(length | 0x80);
        length >>= 7;
    }
    *out++ = static_cast<char>(length);
    return out;
}

const char* takeLength(const char* in, quint32& length) {
    length = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(*in++);
        length |= quint32{byte & 0x7Fu} << shift;
        if ((byte & 0x80) == 0)
            return in;
    }
}

// The lengths at the start of a body: message, time, path; the position after them.
const char* bodyLengths(const char* body, quint32 (&lengths)[kBodyLengths]) {
    for (quint32& length : lengths)
        body = takeLength(body, length);
    return body;
}

const QString& fieldOf(const HistoryEntry& entry, HistoryText field) {
    switch (field) {
        case HistoryText::Sender:
            return entry.Sender;
        case HistoryText::Addressee:
            return entry.Addressee;
        case HistoryText::Text:
            return entry.Text;
        case HistoryText::ReceivedDate:
            return entry.ReceivedDate;
        case HistoryText::ReceivedTime:
            return entry.ReceivedTime;
        case HistoryText::AttachmentPath:
            break;
    }
    return entry.AttachmentPath;
}

QByteArray withoutQuotes(QByteArrayView bytes) {
    QByteArray copy = bytes.toByteArray();
    copy.replace(kQuote, kApostrophe);
    return copy;
}

}  // namespace

HistoryListData::HistoryListData() = default;
HistoryListData::HistoryListData(HistoryListData&&) noexcept = default;
HistoryListData& HistoryListData::operator=(HistoryListData&&) noexcept = default;
HistoryListData::~HistoryListData() = default;

const HistoryListData::Slot& HistoryListData::slot(qint32 number) const {
    if (number < 1 || static_cast<std::size_t>(number) > slots_.size())
        RunTimeError::raise(RunTimeErrorNumber::SubscriptOutOfRange);
    return slots_[static_cast<std::size_t>(number - 1)];
}

HistoryListData::Slot& HistoryListData::slot(qint32 number) {
    return const_cast<Slot&>(std::as_const(*this).slot(number));
}

bool HistoryListData::slotBytes(const Slot& entrySlot, HistoryText field,
                                QByteArrayView& bytes) const {
    switch (field) {
        case HistoryText::Sender:
            bytes = pool_.text(entrySlot.sender);
            return true;
        case HistoryText::Addressee:
            bytes = pool_.text(entrySlot.addressee);
            return true;
        case HistoryText::ReceivedDate:
            bytes = pool_.text(entrySlot.date);
            return true;
        default:
            break;
    }
    quint32 lengths[kBodyLengths];
    const char* const at = bodyLengths(entrySlot.body, lengths);
    const quint32 text = lengths[0];
    const quint32 time = lengths[1];
    const quint32 path = lengths[2];
    if (field == HistoryText::ReceivedTime) {
        bytes = QByteArrayView(at, time);
    } else if (field == HistoryText::AttachmentPath) {
        bytes = QByteArrayView(at + time, path);
    } else if (entrySlot.textAt == kTextInBody) {
        bytes = QByteArrayView(at + time + path, text);
    } else if (!file_.read(entrySlot.textAt, text, bytes)) {
        bytes = {};
        return false;
    }
    return true;
}

QByteArrayView HistoryListData::slotBytes(const Slot& entrySlot, HistoryText field) const {
    QByteArrayView bytes;
    slotBytes(entrySlot, field, bytes);
    return bytes;
}

const HistoryEntry* HistoryListData::changing(qint32 number) const {
    if (changing_.empty())
        return nullptr;
    const auto found = changing_.find(number);
    return found == changing_.end() ? nullptr : &found->second;
}

HistoryListData::Slot HistoryListData::encode(qint16 kind, const QByteArrayView (&texts)[6],
                                              qint16 state, qint64 textAt) {
    Slot slot;
    slot.kind = kind;
    slot.state = state;
    slot.sender = pool_.intern(texts[static_cast<int>(HistoryText::Sender)]);
    slot.addressee = pool_.intern(texts[static_cast<int>(HistoryText::Addressee)]);
    slot.date = pool_.intern(texts[static_cast<int>(HistoryText::ReceivedDate)]);
    const QByteArrayView text = texts[static_cast<int>(HistoryText::Text)];
    const QByteArrayView time = texts[static_cast<int>(HistoryText::ReceivedTime)];
    const QByteArrayView path = texts[static_cast<int>(HistoryText::AttachmentPath)];
    if (textAt >= 0)
        slot.textAt = static_cast<quint64>(textAt);
    const qsizetype kept = slot.textAt == kTextInBody ? text.size() : 0;
    if (text.isEmpty() && time.isEmpty() && path.isEmpty()) {
        slot.body = gEmptyBody;
        return slot;
    }
    slot.body = bodies_.allocate(static_cast<std::size_t>(time.size() + path.size() + kept) +
                                 kBodyLengths * kMaxLengthBytes);
    char* out = slot.body;
    for (const QByteArrayView length : {text, time, path})
        out = putLength(out, static_cast<quint32>(length.size()));
    for (const QByteArrayView part : {time, path, text.first(kept)}) {
        if (!part.isEmpty())
            std::memcpy(out, part.data(), static_cast<std::size_t>(part.size()));
        out += part.size();
    }
    return slot;
}

HistoryListData::Slot HistoryListData::encode(const HistoryEntry& entry) {
    QByteArray bytes[kTextCount];
    QByteArrayView views[kTextCount];
    for (int field = 0; field < kTextCount; ++field) {
        bytes[field] =
            pelimo::platform::unicodeToAnsi(fieldOf(entry, static_cast<HistoryText>(field)));
        views[field] = bytes[field];
    }
    return encode(entry.Kind, views, entry.State, -1);
}

void HistoryListData::settle() {
    if (changing_.empty())
        return;
    // Only what was changed is stored again: reading an entry this way costs no memory.
    for (const auto& [number, entry] : changing_) {
        Slot& current = slot(number);
        current.kind = entry.Kind;
        current.state = entry.State;
        bool same = true;
        for (int field = 0; field < kTextCount && same; ++field) {
            const auto which = static_cast<HistoryText>(field);
            same =
                pelimo::platform::unicodeToAnsi(fieldOf(entry, which)) == slotBytes(current, which);
        }
        if (!same)
            current = encode(entry);
    }
    changing_.clear();
}

void HistoryListData::append(const Slot& added) {
    if (Count == std::numeric_limits<qint32>::max())
        RunTimeError::raise(RunTimeErrorNumber::Overflow);
    if (slots_.size() < static_cast<std::size_t>(Count) + 1) {
        slots_.push_back(added);
    } else {
        slots_[static_cast<std::size_t>(Count)] = added;
    }
    ++Count;
}

HistoryEntry& HistoryListData::operator[](qint32 number) {
    slot(number);  // raises for a number outside
    auto found = changing_.find(number);
    if (found == changing_.end())
        found = changing_.emplace(number, std::as_const(*this)[number]).first;
    return found->second;
}

HistoryEntry HistoryListData::operator[](qint32 number) const {
    const Slot& entrySlot = slot(number);
    if (const HistoryEntry* entry = changing(number))
        return *entry;
    HistoryEntry entry;
    entry.Kind = entrySlot.kind;
    entry.State = entrySlot.state;
    entry.Sender = text(number, HistoryText::Sender);
    entry.Addressee = text(number, HistoryText::Addressee);
    entry.Text = text(number, HistoryText::Text);
    entry.ReceivedDate = text(number, HistoryText::ReceivedDate);
    entry.ReceivedTime = text(number, HistoryText::ReceivedTime);
    entry.AttachmentPath = text(number, HistoryText::AttachmentPath);
    return entry;
}

QString HistoryListData::text(qint32 number, HistoryText field) const {
    const Slot& entrySlot = slot(number);
    if (const HistoryEntry* entry = changing(number))
        return fieldOf(*entry, field);
    return pelimo::platform::ansiToUnicode(slotBytes(entrySlot, field));
}

qint16 HistoryListData::kind(qint32 number) const {
    const Slot& entrySlot = slot(number);
    const HistoryEntry* entry = changing(number);
    return entry ? entry->Kind : entrySlot.kind;
}

qint16 HistoryListData::state(qint32 number) const {
    const Slot& entrySlot = slot(number);
    const HistoryEntry* entry = changing(number);
    return entry ? entry->State : entrySlot.state;
}

void HistoryListData::setState(qint32 number, qint16 state) {
    slot(number).state = state;
    if (!changing_.empty()) {
        if (const auto found = changing_.find(number); found != changing_.end())
            found->second.State = state;
    }
}

bool HistoryListData::hasAttachment(qint32 number) const {
    const Slot& entrySlot = slot(number);
    if (const HistoryEntry* entry = changing(number))
        return !entry->AttachmentPath.isEmpty();
    return !slotBytes(entrySlot, HistoryText::AttachmentPath).isEmpty();
}

quint32 HistoryListData::textKey(qint32 number, HistoryText field) {
    const Slot& entrySlot = slot(number);
    if (const HistoryEntry* entry = changing(number))
        return pool_.intern(pelimo::platform::unicodeToAnsi(fieldOf(*entry, field)));
    switch (field) {
        case HistoryText::Sender:
            return entrySlot.sender;
        case HistoryText::Addressee:
            return entrySlot.addressee;
        case HistoryText::ReceivedDate:
            return entrySlot.date;
        default:
            // Only the shared texts have keys.
            RunTimeError::raise(RunTimeErrorNumber::InvalidProcedureCall);
    }
}

QString HistoryListData::textOfKey(quint32 key) const {
    return pelimo::platform::ansiToUnicode(pool_.text(key));
}

void HistoryListData::add(const HistoryEntry& entry) {
    // Encoded first: `entry` may be one handed out for changing, which settling takes in.
    const Slot added = encode(entry);
    settle();
    append(added);
}

void HistoryListData::addBytes(qint16 kind, const QByteArrayView (&texts)[6], qint16 state,
                               qint64 textAt) {
    append(encode(kind, texts, state, textAt));
}

void HistoryListData::keepFile(int fd) {
    file_.adopt(fd);
}

void HistoryListData::remove(qint32 number) {
    if (number < 1 || number > Count)
        return;
    settle();
    slots_.erase(slots_.begin() + (number - 1));
    // The table keeps its size: the slot after the last entry is an empty one.
    slots_.push_back(Slot{gEmptyBody});
    --Count;
}

void HistoryListData::replaceQuotes(qint32 number) {
    settle();
    Slot& entrySlot = slot(number);
    for (quint32* shared : {&entrySlot.sender, &entrySlot.addressee}) {
        const QByteArrayView bytes = pool_.text(*shared);
        if (bytes.contains(kQuote))
            *shared = pool_.intern(withoutQuotes(bytes));
    }
    // A message read from the file holds no quote: the file's quotes end texts. A message added
    // since is the entry's own, changed where it is.
    if (entrySlot.textAt == kTextInBody) {
        const QByteArrayView text = slotBytes(entrySlot, HistoryText::Text);
        char* const begin = const_cast<char*>(text.data());
        std::replace(begin, begin + text.size(), kQuote, kApostrophe);
    }
}

bool HistoryListData::entryBytes(qint32 number, QByteArrayView (&texts)[6]) {
    settle();
    const Slot& entrySlot = slot(number);
    bool whole = true;
    for (int field = 0; field < kTextCount; ++field)
        whole = slotBytes(entrySlot, static_cast<HistoryText>(field), texts[field]) && whole;
    return whole;
}

void HistoryListData::reserve(qint64 entries) {
    slots_.reserve(static_cast<std::size_t>(entries));
}
