#include <gtest/gtest.h>

#include <QBuffer>
#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "stores/history_format.h"

namespace {

QByteArray entryBytes(const QString& sender, const QString& text) {
    HistoryEntry entry;
    entry.Sender = sender;
    entry.Text = text;
    return HistoryFormat::entryBytes(entry);
}

// A device that gives `good` bytes and then fails.
class FailingDevice : public QIODevice {
public:
    explicit FailingDevice(QByteArray good) : good_(std::move(good)) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        if (pos_ >= good_.size())
            return -1;
        const qint64 size = std::min<qint64>(maxSize, good_.size() - pos_);
        std::memcpy(data, good_.constData() + pos_, static_cast<size_t>(size));
        pos_ += size;
        return size;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray good_;
    qint64 pos_ = 0;
};

struct Kept {
    QByteArray sender;
    QByteArray message;
    qint64 textAt = -1;
};

std::vector<Kept> readAll(QIODevice& device, HistoryFormat::ReadOutcome& outcome) {
    std::vector<Kept> kept;
    outcome = HistoryFormat::read(device, [&kept](const HistoryFormat::RawEntry& entry) {
        kept.push_back({entry.texts[static_cast<int>(HistoryText::Sender)].toByteArray(),
                        entry.texts[static_cast<int>(HistoryText::Text)].toByteArray(),
                        entry.textAt});
    });
    return kept;
}

}  // namespace

// Where each message lies in the file is what the history reads it back from later: it must be
// exact for every entry, also for those that straddle the reader's buffer refills.
TEST(HistoryFormat, EveryMessageIsFoundWhereTheFileHoldsItAcrossBufferRefills) {
    QByteArray file;
    std::vector<QByteArray> messages;
    for (int i = 0; file.size() < 3 * (1 << 20); ++i) {
        messages.push_back(QByteArray(1 + (i * 7919) % 60000, static_cast<char>('a' + i % 26)));
        file += entryBytes(QStringLiteral("PC%1").arg(i % 3), QString::fromLatin1(messages.back()));
    }
    QBuffer device(&file);
    device.open(QIODevice::ReadOnly);
    HistoryFormat::ReadOutcome outcome;
    const std::vector<Kept> kept = readAll(device, outcome);
    EXPECT_FALSE(outcome.failed);
    EXPECT_TRUE(outcome.cleanEnd);
    ASSERT_EQ(kept.size(), messages.size());
    for (std::size_t i = 0; i < kept.size(); ++i) {
        ASSERT_EQ(kept[i].message, messages[i]) << i;
        ASSERT_EQ(file.mid(kept[i].textAt, messages[i].size()), messages[i]) << i;
    }
}

TEST(HistoryFormat, AFailingDeviceKeepsWhatCameBeforeAndSaysSo) {
    const QByteArray first = entryBytes(QStringLiteral("PC1"), QStringLiteral("one"));
    FailingDevice device(first + entryBytes(QStringLiteral("PC2"), QStringLiteral("two")).left(9));
    HistoryFormat::ReadOutcome outcome;
    const std::vector<Kept> kept = readAll(device, outcome);
    EXPECT_TRUE(outcome.failed);
    EXPECT_FALSE(outcome.cleanEnd) << "the second entry was cut short";
    ASSERT_GE(kept.size(), 1u);
    EXPECT_EQ(kept[0].sender, "PC1");
    EXPECT_EQ(kept[0].message, "one");
}
