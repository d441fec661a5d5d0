#include "stores/history_format.h"

#include <QBuffer>
#include <QIODevice>
#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <optional>
#include <utility>

#include "platform/ansi_codec.h"

namespace HistoryFormat {

namespace {

constexpr char kQuote = '"';
constexpr char kApostrophe = '\'';
constexpr QByteArrayView kLineEnd = "\r\n";
constexpr int kMessageItem = static_cast<int>(HistoryText::Text);

// Bytes read from the file at a time, at most and at least.
constexpr qsizetype kReadChunk = qsizetype{1} << 20;
constexpr qsizetype kMinReadChunk = 4096;

// A text item longer than this is not one the program wrote (a datagram holds at most 64 KiB):
// the entry is damaged. This bounds the memory a load needs beyond the entries it keeps.
constexpr qsizetype kMaxTextBytes = qsizetype{1} << 20;

// Integer items and the rest of a text item's line are kept up to this length.
constexpr qsizetype kMaxLineBytes = 4096;

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
    // Where the read position is in the file.
    qint64 offset() const { return base_ + pos_; }
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
            base_ += pos_;
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
    qint64 base_ = 0;  // where buffer_ starts in the file
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

    // Calls `keep` with each entry kept; its texts stay valid until `keep` returns.
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
            RawEntry entry;
            entry.kind = *kind;
            texts_.clear();
            spans_ = {};
            textAt_ = -1;
            const Outcome outcome = line->ended ? readRest(entry) : Outcome::CutShort;
            if (outcome == Outcome::Damaged) {
                cleanEnd_ = false;
                continue;
            }
            for (int item = 0; item < kTextItems; ++item) {
                entry.texts[item] =
                    QByteArrayView(texts_.data() + spans_[item].first, spans_[item].second);
            }
            entry.textAt = textAt_;
            keep(entry);
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

    // Keeps `bytes` as text item `item` of the entry being read.
    void keepText(int item, QByteArrayView bytes) {
        if (item == kMessageItem)
            textAt_ = reader_.offset();
        spans_[item] = {static_cast<qsizetype>(texts_.size()), bytes.size()};
        texts_.insert(texts_.end(), bytes.begin(), bytes.end());
    }

    // A quoted text item; a line that does not start with a quote is kept for the next entry.
    Outcome readText(int item) {
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
            keepText(item, reader_.view(reader_.available()));
            reader_.consume(reader_.available());
            return Outcome::CutShort;
        }
        keepText(item, reader_.view(close));
        reader_.consume(close + 1);
        if (reader_.available() >= 2 && reader_.view(2) == kLineEnd) {
            reader_.consume(2);
            return Outcome::Complete;
        }
        // The rest of the line is skipped: an older writer left quotes in attachment paths, whose
        // text then ends at the first of them.
        const std::optional<Line> rest = readLine();
        if (!rest)
            return Outcome::CutShort;
        return rest->ended ? Outcome::Complete : Outcome::CutShort;
    }

    Outcome readRest(RawEntry& entry) {
        for (int item = 0; item < kTextItems; ++item) {
            const Outcome outcome = readText(item);
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
            entry.state = *state;
            return Outcome::CutShort;
        }
        // A quoted text next means this line was the next entry's kind and the state is missing.
        // (Peeking may move the buffer: the line is put back by its value.)
        if (reader_.peekPastBlanks(kMaxLineBytes) == kQuote) {
            const QByteArray kindText = QByteArray::number(*state);
            putBack(Line{kindText, true, false});
            return Outcome::Complete;
        }
        entry.state = *state;
        return Outcome::Complete;
    }

    ChunkReader reader_;
    std::optional<Line> pending_;
    QByteArray pendingText_;
    // The texts of the entry being read, one after the other, and where each one is.
    std::vector<char> texts_;
    std::array<std::pair<qsizetype, qsizetype>, kTextItems> spans_{};
    qint64 textAt_ = -1;
    bool cleanEnd_ = true;
};

// The texts of `entry` in the file's encoding.
struct EncodedTexts {
    QByteArray bytes[kTextItems];
    QByteArrayView views[kTextItems];

    explicit EncodedTexts(const HistoryEntry& entry) {
        const QString* const texts[kTextItems] = {&entry.Sender,       &entry.Addressee,
                                                  &entry.Text,         &entry.ReceivedDate,
                                                  &entry.ReceivedTime, &entry.AttachmentPath};
        for (int item = 0; item < kTextItems; ++item) {
            bytes[item] = pelimo::platform::unicodeToAnsi(*texts[item]);
            views[item] = bytes[item];
        }
    }
};

HistoryEntry decodedEntry(const RawEntry& raw) {
    using pelimo::platform::ansiToUnicode;
    HistoryEntry entry;
    entry.Kind = raw.kind;
    entry.Sender = ansiToUnicode(raw.texts[0]);
    entry.Addressee = ansiToUnicode(raw.texts[1]);
    entry.Text = ansiToUnicode(raw.texts[2]);
    entry.ReceivedDate = ansiToUnicode(raw.texts[3]);
    entry.ReceivedTime = ansiToUnicode(raw.texts[4]);
    entry.AttachmentPath = ansiToUnicode(raw.texts[5]);
    entry.State = raw.state;
    return entry;
}

char* lineEnd(char* out) {
    *out++ = '\r';
    *out++ = '\n';
    return out;
}

char* number(char* out, qint16 value) {
    char digits[8];
    int count = 0;
    int rest = value < 0 ? -int{value} : int{value};
    do {
        digits[count++] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    } while (rest > 0);
    if (value < 0)
        *out++ = '-';
    while (count > 0)
        *out++ = digits[--count];
    return lineEnd(out);
}

// A text item: the text in double quotes; a double quote inside could not be read back, so
// it is written as an apostrophe.
char* quoted(char* out, QByteArrayView text) {
    *out++ = kQuote;
    const char* from = text.data();
    const char* const end = from + text.size();
    while (from != end) {
        const auto* quote =
            static_cast<const char*>(std::memchr(from, kQuote, static_cast<size_t>(end - from)));
        const char* const stop = quote ? quote : end;
        std::memcpy(out, from, static_cast<size_t>(stop - from));
        out += stop - from;
        from = stop;
        if (quote) {
            *out++ = kApostrophe;
            ++from;
        }
    }
    *out++ = kQuote;
    return lineEnd(out);
}

}  // namespace

ReadOutcome read(QIODevice& device, const std::function<void(const RawEntry&)>& keep) {
    HistoryParser parser(device);
    parser.run(keep);
    return {parser.failed(), parser.cleanEnd()};
}

void EntryWriter::add(qint16 kind, const QByteArrayView (&texts)[kTextItems], qint16 state) {
    // The bytes of the entry, at most: its texts, plus quotes, line ends and numbers.
    qsizetype bound = kTextItems * 4 + 2 * 8;
    for (const QByteArrayView text : texts)
        bound += text.size();
    if (buffer_.size() - used_ < bound)
        buffer_.resize(std::max(used_ + bound, buffer_.size() * 2));
    char* out = buffer_.data() + used_;
    out = number(out, kind);
    for (const QByteArrayView text : texts)
        out = quoted(out, text);
    out = number(out, state);
    used_ = out - buffer_.constData();
}

}  // namespace HistoryFormat

void gReplaceQuotes(QString& text) {
    text.replace(QChar(HistoryFormat::kQuote), QChar(HistoryFormat::kApostrophe));
}

QByteArray HistoryFormat::entryBytes(const HistoryEntry& entry) {
    const HistoryFormat::EncodedTexts encoded(entry);
    HistoryFormat::EntryWriter buffer;
    buffer.add(entry.Kind, encoded.views, entry.State);
    return buffer.bytes().toByteArray();
}

std::vector<HistoryEntry> HistoryFormat::parse(QByteArrayView contents) {
    QByteArray bytes = QByteArray::fromRawData(contents.data(), contents.size());
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    std::vector<HistoryEntry> entries;
    HistoryFormat::read(buffer, [&entries](const HistoryFormat::RawEntry& entry) {
        entries.push_back(HistoryFormat::decodedEntry(entry));
    });
    return entries;
}
