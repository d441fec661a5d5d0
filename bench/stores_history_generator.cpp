#include "stores_history_generator.h"

#include <QFile>
#include <algorithm>
#include <cstdlib>
#include <random>
#include <string_view>

#include "stores/history_file.h"

bool writeHistoryFile(const QString& path, int entries, unsigned seed) {
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    std::mt19937 random(seed);
    auto pick = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    static const char kWords[][12] = {"bonjour", "meeting", "at",     "the",  "printer", "coffee",
                                      "réunion", "demain",  "à",      "10h",  "ok",      "merci",
                                      "file",    "ready",   "please", "call", "me",      "€uro"};
    constexpr qsizetype kChunkBytes = qsizetype{1} << 20;
    QByteArray file;
    for (int n = 0; n < entries; ++n) {
        HistoryEntry entry;
        const bool attachment = pick(0, 19) == 0;
        entry.Kind = attachment ? kKindAttachment : kKindPlain;
        entry.Sender = QStringLiteral("PC-%1").arg(pick(1, 60), 3, 10, QLatin1Char('0'));
        entry.Addressee = pick(0, 9) == 0 ? QStringLiteral("WORKGROUP") : QStringLiteral("DESK42");
        const int length = pick(10, 400);
        const bool multiLine = pick(0, 9) == 0;
        QString text;
        while (text.size() < length) {
            if (!text.isEmpty())
                text += multiLine && pick(0, 7) == 0 ? QStringLiteral("\r\n") : QStringLiteral(" ");
            text += QString::fromUtf8(kWords[pick(0, std::size(kWords) - 1)]);
        }
        entry.Text = text.left(length);
        entry.ReceivedDate = QStringLiteral("%1/%2/20%3")
                                 .arg(pick(1, 28), 2, 10, QLatin1Char('0'))
                                 .arg(pick(1, 12), 2, 10, QLatin1Char('0'))
                                 .arg(pick(10, 26));
        entry.ReceivedTime = QStringLiteral("%1:%2:%3")
                                 .arg(pick(0, 23), 2, 10, QLatin1Char('0'))
                                 .arg(pick(0, 59), 2, 10, QLatin1Char('0'))
                                 .arg(pick(0, 59), 2, 10, QLatin1Char('0'));
        if (attachment)
            entry.AttachmentPath = QStringLiteral("\\\\PC-001\\partage\\rapport %1.pdf").arg(n);
        entry.State = static_cast<qint16>((attachment ? 3 : 1) + pick(0, 1));
        file += HistoryFormat::entryBytes(entry);
        if (file.size() >= kChunkBytes || n + 1 == entries) {
            if (out.write(file) != file.size())
                return false;
            file.clear();
        }
    }
    return out.flush();
}

int benchHistoryEntries(int& argc, char** argv, int entries) {
    constexpr std::string_view kOption = "--entries=";
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument.substr(0, kOption.size()) != kOption)
            continue;
        entries = std::atoi(argv[i] + kOption.size());
        std::copy(argv + i + 1, argv + argc, argv + i);
        --argc;
        break;
    }
    return entries;
}
