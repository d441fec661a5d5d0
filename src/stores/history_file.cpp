#include "stores/history_file.h"

#include <QBuffer>
#include <QFile>
#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>

#include "errorreport/runtime_error.h"
#include "platform/ansi_codec.h"
#include "platform/atomic_file.h"
#include "platform/file_system.h"
#include "stores/application.h"
#include "stores/file_operations.h"
#include "ui/dialog_seam.h"

HistoryListData HistoryList;

namespace {

constexpr char kQuote = '"';
constexpr char kApostrophe = '\'';
constexpr QByteArrayView kLineEnd = "\r\n";
constexpr int kTextItems = 6;

// Bytes read from the file at a time, at most and at least.
constexpr qsizetype kReadChunk = qsizetype{1} << 20;
constexpr qsizetype kMinReadChunk = 4096;
// A text item longer than this is not one the program wrote (a datagram holds at most 64 KiB):
// the entry is damaged. This bounds the memory a load needs beyond the entries it keeps.
constexpr qsizetype kMaxTextBytes = qsizetype{1} << 20;
// Integer items and the rest of a text item's line are kept up to this length.
constexpr qsizetype kMaxLineBytes = 4096;

// What the loader knows about the file on disk.
struct HistoryFileState {
    bool unreadable = false;       // the file exists but could not be read whole: never replace it
    bool needsRewrite = false;     // its end is not a clean entry boundary: append by rewriting
    bool saveFailureTold = false;  // the user heard about a failed rewrite already
};
HistoryFileState fileState;

QString historyPath() {
    return gApplicationFolder + QString::fromLatin1(kHistoryFileName);
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

bool isBlankLine(QByteArrayView line) {
    for (const char c : line) {
        if (!isBlank(c))
            return false;
    }
    return true;
}

// An integer item: optional blanks, an optional minus, digits, optional blanks. Nothing when the
// line holds anything else; 0 when the number does not fit 16 bits.
std::optional<qint16> integerItem(QByteArrayView line) {
    qsizetype pos = 0;
    while (pos < line.size() && isBlank(line[pos]))
        ++pos;
    const bool negative = pos < line.size() && line[pos] == '-';
    if (negative)
        ++pos;
    const qsizetype digitsStart = pos;
    qint64 value = 0;
    for (; pos < line.size() && line[pos] >= '0' && line[pos] <= '9'; ++pos) {
        if (value <= std::numeric_limits<qint16>::max() + 1)
            value = value * 10 + (line[pos] - '0');
    }
    if (pos == digitsStart)
        return std::nullopt;
    for (; pos < line.size(); ++pos) {
        if (!isBlank(line[pos]))
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value < std::numeric_limits<qint16>::min() || value > std::numeric_limits<qint16>::max()) {
        return qint16{0};  // out of range: the field keeps its empty value
    }
    return static_cast<qint16>(value);
}

// Buffered reading of the file with a bounded buffer.
class ChunkReader {
public:
    static constexpr qsizetype kAtEnd = -1;
    static constexpr qsizetype kTooLong = -2;

    explicit ChunkReader(QIODevice& device) : device_(device) {}

    bool failed() const { return failed_; }
    qsizetype available() const { return end_ - pos_; }
    QByteArrayView view(qsizetype size) const { return {buffer_.constData() + pos_, size}; }
    void consume(qsizetype size) { pos_ += size; }

    // At least one unread byte, reading more when needed; false at the end of the file.
    bool ensureByte() { return available() > 0 || fill(); }
    char peek() const { return buffer_[pos_]; }

    // The offset from the read position of the next `c` within `limit` bytes; kAtEnd when the
    // file ends first, kTooLong when `limit` bytes hold none.
    qsizetype find(char c, qsizetype limit) {
        qsizetype scanned = 0;
        for (;;) {
            const qsizetype searchable = std::min(available(), limit) - scanned;
            if (searchable > 0) {
                const char* from = buffer_.constData() + pos_ + scanned;
                if (const void* hit = std::memchr(from, c, static_cast<size_t>(searchable))) {
                    return static_cast<const char*>(hit) - (buffer_.constData() + pos_);
                }
                scanned += searchable;
            }
            if (scanned >= limit)
                return kTooLong;
            if (!fill())
                return kAtEnd;
        }
    }

    // The first byte after the blanks at the read position, without consuming anything; nothing
    // at the end of the file or after `limit` blanks.
    std::optional<char> peekPastBlanks(qsizetype limit) {
        for (qsizetype offset = 0; offset < limit; ++offset) {
            if (offset >= available() && !fill())
                return std::nullopt;
            const char c = buffer_[pos_ + offset];
            if (c != ' ' && c != '\t')
                return c;
        }
        return std::nullopt;
    }

    // Discards everything up to and including the next `c`; false when the file ends first.
    bool skipPast(char c) {
        for (;;) {
            const char* from = buffer_.constData() + pos_;
            if (const void* hit = std::memchr(from, c, static_cast<size_t>(available()))) {
                pos_ += static_cast<const char*>(hit) - from + 1;
                return true;
            }
            pos_ = end_;
            if (!fill())
                return false;
        }
    }

private:
    bool fill() {
        if (atEnd_)
            return false;
        if (pos_ > 0) {
            std::memmove(buffer_.data(), buffer_.constData() + pos_,
                         static_cast<size_t>(end_ - pos_));
            end_ -= pos_;
            pos_ = 0;
        }
        // A small file needs no full chunk; one that grows while read is read on all the same.
        const qint64 chunk =
            std::clamp<qint64>(device_.bytesAvailable() + 1, kMinReadChunk, kReadChunk);
        if (buffer_.size() < end_ + chunk)
            buffer_.resize(end_ + chunk);
        const qint64 read = device_.read(buffer_.data() + end_, chunk);
        if (read <= 0) {
            failed_ = read < 0;
            atEnd_ = true;
            return false;
        }
        end_ += read;
        return true;
    }

    QIODevice& device_;
    QByteArray buffer_;
    qsizetype pos_ = 0;
    qsizetype end_ = 0;
    bool atEnd_ = false;
    bool failed_ = false;
};

// One line of the file without its line end; the text stays valid until the next read.
struct Line {
    QByteArrayView text;
    bool ended = false;    // it ended with LF (not with the end of the file)
    bool tooLong = false;  // longer than kMaxLineBytes: its text is not kept
};

// Reads entries as the program writes them. An entry not in that form is dropped and reading
// resumes at the next line that can start an entry (an integer line followed by a quoted text),
// so damage costs the damaged entries only. An entry cut short by the end of the file is kept with
// its missing fields empty or 0.
class HistoryParser {
public:
    explicit HistoryParser(QIODevice& device) : reader_(device) {}

    template <class Sink>
    void run(Sink&& keep) {
        cleanEnd_ = true;
        for (;;) {
            std::optional<Line> line = takeLine();
            if (!line)
                break;
            if (isBlankLine(line->text) && !line->tooLong) {
                if (!line->ended)
                    cleanEnd_ = false;
                continue;
            }
            const std::optional<qint16> kind =
                line->tooLong ? std::nullopt : integerItem(line->text);
            if (!kind) {
                cleanEnd_ = false;  // not an entry start: skipped
                continue;
            }
            HistoryEntry entry;
            entry.Kind = *kind;
            const Outcome outcome = line->ended ? readRest(entry) : Outcome::CutShort;
            if (outcome == Outcome::Damaged) {
                cleanEnd_ = false;
                continue;
            }
            previous_.Sender = entry.Sender;
            previous_.Addressee = entry.Addressee;
            previous_.ReceivedDate = entry.ReceivedDate;
            keep(std::move(entry));
            cleanEnd_ = outcome == Outcome::Complete;
            if (outcome == Outcome::CutShort)
                break;
        }
    }

    // The file ended right after a complete entry (and blank lines at most).
    bool cleanEnd() const { return cleanEnd_; }
    bool failed() const { return reader_.failed(); }

private:
    enum class Outcome { Complete, CutShort, Damaged };

    std::optional<Line> readLine() {
        if (!reader_.ensureByte())
            return std::nullopt;
        Line line;
        const qsizetype newline = reader_.find('\n', kMaxLineBytes);
        if (newline == ChunkReader::kTooLong) {
            line.tooLong = true;
            line.ended = reader_.skipPast('\n');
            return line;
        }
        const qsizetype size = newline == ChunkReader::kAtEnd ? reader_.available() : newline;
        line.text = reader_.view(size);
        line.ended = newline != ChunkReader::kAtEnd;
        reader_.consume(line.ended ? size + 1 : size);
        if (line.text.endsWith('\r'))
            line.text.chop(1);
        return line;
    }

    // Keeps `line` to be read again as the start of the next entry.
    void putBack(const Line& line) {
        // The line may be the pending one itself; its storage is reused, not reallocated.
        const QByteArrayView text = line.text;
        if (text.data() != pendingText_.constData()) {
            pendingText_.resize(text.size());
            std::memmove(pendingText_.data(), text.data(), static_cast<size_t>(text.size()));
        }
        pending_ = line;
        pending_->text = pendingText_;
    }

    std::optional<Line> takeLine() {
        if (pending_)
            return std::exchange(pending_, std::nullopt);
        return readLine();
    }

    // A quoted text item; a line that does not start with a quote is kept for the next entry.
    // Sender, addressee and date mostly repeat from one entry to the next: a text equal to the
    // previous entry's shares its storage, which saves memory and time.
    static bool sameText(QByteArrayView bytes, const QString& text) {
        if (bytes.size() != text.size())
            return false;
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const auto byte = static_cast<unsigned char>(bytes[i]);
            if (byte >= 0x80 || text[i].unicode() != byte)
                return false;
        }
        return true;
    }

    static QString decodeText(QByteArrayView bytes, const QString* previous) {
        if (previous && sameText(bytes, *previous))
            return *previous;
        // Windows-1252 and Latin-1 differ only in the bytes 0x80-0x9F; without them Qt's
        // vectorised Latin-1 decoder gives the same text faster.
        const bool latin1 = std::none_of(bytes.begin(), bytes.end(), [](char c) {
            return (static_cast<unsigned char>(c) & 0xE0) == 0x80;
        });
        return latin1 ? QString::fromLatin1(bytes) : pelimo::platform::ansiToUnicode(bytes);
    }

    Outcome readText(QString& field, const QString* previous) {
        // Blanks before the opening quote are allowed.
        for (;;) {
            if (!reader_.ensureByte())
                return Outcome::CutShort;
            if (reader_.peek() != ' ' && reader_.peek() != '\t')
                break;
            reader_.consume(1);
        }
        if (reader_.peek() != kQuote) {
            putBack(*readLine());
            return Outcome::Damaged;
        }
        reader_.consume(1);
        const qsizetype close = reader_.find(kQuote, kMaxTextBytes);
        if (close == ChunkReader::kTooLong)
            return Outcome::Damaged;
        if (close == ChunkReader::kAtEnd) {
            // The file ends inside the text: keep what is there.
            field = pelimo::platform::ansiToUnicode(reader_.view(reader_.available()));
            reader_.consume(reader_.available());
            return Outcome::CutShort;
        }
        field = decodeText(reader_.view(close), previous);
        reader_.consume(close + 1);
        // The program writes nothing after the closing quote; anything there means the item
        // was not where it belongs.
        if (reader_.available() >= 2 && reader_.view(2) == kLineEnd) {
            reader_.consume(2);
            return Outcome::Complete;
        }
        const std::optional<Line> rest = readLine();
        if (!rest)
            return Outcome::CutShort;
        if (rest->tooLong || !isBlankLine(rest->text))
            return Outcome::Damaged;
        return rest->ended ? Outcome::Complete : Outcome::CutShort;
    }

    Outcome readRest(HistoryEntry& entry) {
        QString* const texts[kTextItems] = {&entry.Sender,       &entry.Addressee,
                                            &entry.Text,         &entry.ReceivedDate,
                                            &entry.ReceivedTime, &entry.AttachmentPath};
        QString* const repeating[kTextItems] = {&previous_.Sender, &previous_.Addressee,
                                                nullptr,           &previous_.ReceivedDate,
                                                nullptr,           nullptr};
        for (int item = 0; item < kTextItems; ++item) {
            const Outcome outcome = readText(*texts[item], repeating[item]);
            if (outcome != Outcome::Complete)
                return outcome;
        }
        std::optional<Line> line = readLine();
        if (!line)
            return Outcome::CutShort;
        const std::optional<qint16> state = line->tooLong ? std::nullopt : integerItem(line->text);
        if (!state) {
            putBack(*line);  // perhaps the next entry's first line
            return Outcome::Damaged;
        }
        if (!line->ended) {
            entry.State = *state;
            return Outcome::CutShort;
        }
        // A quoted text next means this line was the next entry's kind and the state is missing.
        // (Peeking may move the buffer: the line is put back by its value.)
        if (reader_.peekPastBlanks(kMaxLineBytes) == kQuote) {
            const QByteArray kindText = QByteArray::number(*state);
            putBack(Line{kindText, true, false});
            return Outcome::Complete;
        }
        entry.State = *state;
        return Outcome::Complete;
    }

    ChunkReader reader_;
    std::optional<Line> pending_;
    QByteArray pendingText_;
    HistoryEntry previous_;  // the last entry read, for its repeating texts
    bool cleanEnd_ = true;
};

// A text item: the text in double quotes; a double quote inside could not be read back, so it is
// written as an apostrophe.
void appendText(QByteArray& out, const QString& text) {
    out += kQuote;
    const qsizetype start = out.size();
    // Most texts hold only characters whose code is their Windows-1252 byte (ASCII and
    // U+00A0-U+00FF): those are copied directly, the others go through the codec.
    const auto sameByte = [](QChar c) {
        return c.unicode() < 0x80 || (c.unicode() >= 0xA0 && c.unicode() <= 0xFF);
    };
    if (std::all_of(text.cbegin(), text.cend(), sameByte)) {
        out.resize(start + text.size());
        std::transform(text.cbegin(), text.cend(), out.begin() + start,
                       [](QChar c) { return static_cast<char>(c.unicode()); });
    } else {
        out += pelimo::platform::unicodeToAnsi(text);
    }
    std::replace(out.begin() + start, out.end(), kQuote, kApostrophe);
    out += kQuote;
    out += kLineEnd;
}

void appendEntry(QByteArray& out, const HistoryEntry& entry) {
    out += QByteArray::number(entry.Kind);
    out += kLineEnd;
    appendText(out, entry.Sender);
    appendText(out, entry.Addressee);
    appendText(out, entry.Text);
    appendText(out, entry.ReceivedDate);
    appendText(out, entry.ReceivedTime);
    appendText(out, entry.AttachmentPath);
    out += QByteArray::number(entry.State);
    out += kLineEnd;
}

void replaceQuotesOfMessage(HistoryEntry& entry) {
    gReplaceQuotes(entry.Sender);
    gReplaceQuotes(entry.Addressee);
    gReplaceQuotes(entry.Text);
}

// Replaces the file by the whole table; false when it could not be written.
// The bytes of an entry in the file, within a few bytes: one per character of its texts, plus
// quotes, line ends and numbers.
qsizetype estimatedBytes(const HistoryEntry& entry) {
    constexpr qsizetype kFraming = 6 * 4 + 2 * 8;
    return entry.Sender.size() + entry.Addressee.size() + entry.Text.size() +
           entry.ReceivedDate.size() + entry.ReceivedTime.size() + entry.AttachmentPath.size() +
           kFraming;
}

bool rewriteHistoryFile() {
    QByteArray contents;
    qsizetype estimate = 0;
    for (qint32 number = 1; number <= HistoryList.Count; ++number) {
        estimate += estimatedBytes(HistoryList[number]);
    }
    contents.reserve(estimate);
    for (qint32 number = 1; number <= HistoryList.Count; ++number) {
        HistoryEntry& entry = HistoryList[number];
        replaceQuotesOfMessage(entry);
        appendEntry(contents, entry);
    }
    if (!pelimo::platform::replaceFileAtomically(historyPath(), contents))
        return false;
    fileState.needsRewrite = false;
    return true;
}

}  // namespace

HistoryEntry& HistoryListData::operator[](qint32 number) {
    if (number < 1 || number > static_cast<qint64>(Entries.size())) {
        gRaiseError(RunTimeErrorNumber::SubscriptOutOfRange);
    }
    return Entries[static_cast<std::size_t>(number - 1)];
}

const HistoryEntry& HistoryListData::operator[](qint32 number) const {
    if (number < 1 || number > static_cast<qint64>(Entries.size())) {
        gRaiseError(RunTimeErrorNumber::SubscriptOutOfRange);
    }
    return Entries[static_cast<std::size_t>(number - 1)];
}

void HistoryListData::add(const HistoryEntry& entry) {
    if (Count == std::numeric_limits<qint32>::max())
        gRaiseError(RunTimeErrorNumber::Overflow);
    ++Count;
    if (Entries.size() < static_cast<std::size_t>(Count))
        Entries.resize(Count);
    Entries[static_cast<std::size_t>(Count - 1)] = entry;
}

void gReplaceQuotes(QString& text) {
    text.replace(QChar(kQuote), QChar(kApostrophe));
}

QByteArray gHistoryEntryBytes(const HistoryEntry& entry) {
    QByteArray out;
    appendEntry(out, entry);
    return out;
}

std::vector<HistoryEntry> gParseHistoric(QByteArrayView contents) {
    QByteArray bytes = QByteArray::fromRawData(contents.data(), contents.size());
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    std::vector<HistoryEntry> entries;
    HistoryParser parser(buffer);
    parser.run([&entries](HistoryEntry&& entry) { entries.push_back(std::move(entry)); });
    return entries;
}

void gLoadHistoric() {
    HistoryList = HistoryListData{};
    fileState.unreadable = false;
    fileState.needsRewrite = false;
    const QString path = historyPath();
    if (gFctGetFileAttributes(path) == pelimo::platform::kInvalidFileAttributes)
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        fileState.unreadable = true;
        return;
    }
    try {
        HistoryParser parser(file);
        parser.run([](HistoryEntry&& entry) {
            HistoryList.Entries.push_back(std::move(entry));
            ++HistoryList.Count;
        });
        fileState.unreadable = parser.failed();
        fileState.needsRewrite = !parser.cleanEnd();
    } catch (...) {
        // Out of memory: keep what was read, and never replace a file only partly in memory.
        fileState.unreadable = true;
    }
}

void gAppendHistoric() {
    try {
        if (HistoryList.Count < 1)
            return;
        HistoryEntry& entry = HistoryList[HistoryList.Count];
        replaceQuotesOfMessage(entry);
        // After a damaged end, an appended entry could be read as part of the damage: the file is
        // written whole instead, from the table, which holds everything that could be read.
        if (fileState.needsRewrite && !fileState.unreadable && rewriteHistoryFile())
            return;
        const QByteArray bytes = gHistoryEntryBytes(entry);
        QFile file(historyPath());
        const bool written = file.open(QIODevice::WriteOnly | QIODevice::Append) &&
                             file.write(bytes) == bytes.size() && file.flush();
        // A partly written entry would spoil the next one: the next save writes the file whole.
        if (!written)
            fileState.needsRewrite = true;
    } catch (...) {
        fileState.needsRewrite = true;
    }
}

void gAppendHistoricFrom(qint32 first) {
    try {
        first = std::max<qint32>(first, 1);
        if (first > HistoryList.Count)
            return;
        QByteArray bytes;
        for (qint32 number = first; number <= HistoryList.Count; ++number) {
            HistoryEntry& entry = HistoryList[number];
            replaceQuotesOfMessage(entry);
            bytes += gHistoryEntryBytes(entry);
        }
        if (fileState.needsRewrite && !fileState.unreadable && rewriteHistoryFile())
            return;
        QFile file(historyPath());
        const bool written = file.open(QIODevice::WriteOnly | QIODevice::Append) &&
                             file.write(bytes) == bytes.size() && file.flush();
        if (!written)
            fileState.needsRewrite = true;
    } catch (...) {
        fileState.needsRewrite = true;
    }
}

void gSaveHistoric() {
    bool saved = false;
    try {
        // A file that could not be read is not in memory; replacing it would lose it.
        saved = !fileState.unreadable && rewriteHistoryFile();
    } catch (...) {
        saved = false;
    }
    if (!saved && !fileState.saveFailureTold) {
        fileState.saveFailureTold = true;
        DialogSeam::messageBox(QStringLiteral("Error Saving History Data !\n") + historyPath(),
                               MsgBoxButtons::Ok, MsgBoxIcon::Exclamation,
                               QString::fromLatin1(kApplicationName));
    }
}

void gDeleteHistoricMessage(qint32 number) {
    if (number < 1 || number > HistoryList.Count)
        return;
    auto& entries = HistoryList.Entries;
    std::move(entries.begin() + number, entries.begin() + HistoryList.Count,
              entries.begin() + number - 1);
    entries[static_cast<std::size_t>(HistoryList.Count - 1)] = HistoryEntry{};
    --HistoryList.Count;
}

int gFctDeleteHistoricFile() {
    try {
        return ShFileDelete(historyPath()) == 0 ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

void gResetHistory() {
    HistoryList = HistoryListData{};
    fileState = HistoryFileState{};
}
