#include "mainwindow/history_table_model.h"

#include <QHash>
#include <algorithm>
#include <numeric>

#include "mainwindow/display_text.h"
#include "stores/history_file.h"

QString gHistoryNumberText(qint32 number) {
    return QStringLiteral("%1").arg(number, 4, 10, QChar(u'0'));
}

QString gFirstLineText(const QString& text) {
    qsizetype end = 0;
    while (end < text.size() && text.at(end) != u'\r' && text.at(end) != u'\n')
        ++end;
    return text.left(end);
}

HistoryTableModel::HistoryTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void HistoryTableModel::setStateIcons(const std::array<QPixmap, 4>& icons) {
    icons_ = icons;
}

void HistoryTableModel::rebuild(const QStringList& headings) {
    beginResetModel();
    headings_ = headings;
    rows_.resize(static_cast<std::size_t>(std::max<qint32>(HistoryList.Count, 0)));
    std::iota(rows_.begin(), rows_.end(), 1);
    endResetModel();
}

template <class Reorder>
void HistoryTableModel::reorder(Reorder&& sortRows) {
    // The view's current row and selection follow their entries.
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<qint32> entries;
    entries.reserve(before.size());
    for (const QModelIndex& index : before)
        entries.push_back(entryNumber(index.row()));
    sortRows();
    std::vector<int> rowOfEntry(rows_.size() + 1, -1);
    for (std::size_t row = 0; row < rows_.size(); ++row)
        rowOfEntry[static_cast<std::size_t>(rows_[row])] = static_cast<int>(row);
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        const int row = rowOfEntry[static_cast<std::size_t>(entries[static_cast<std::size_t>(i)])];
        after.append(index(row, before[i].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void HistoryTableModel::sortBySender() {
    reorder([this] {
        // Few computers send many messages: the distinct senders are ordered once, then the
        // entries are placed by the rank of their sender, in arrival order within one sender.
        struct Sender {
            bool isNumber;
            double value;
            QString text;
        };
        std::vector<Sender> senders;
        QHash<QString, int> senderIds;
        std::vector<int> senderOfEntry(rows_.size() + 1, 0);
        for (qint32 entry = 1; entry <= static_cast<qint32>(rows_.size()); ++entry) {
            const QString& sender = HistoryList[entry].Sender;
            auto found = senderIds.constFind(sender);
            if (found == senderIds.constEnd()) {
                bool isNumber = false;
                const double value = sender.trimmed().toDouble(&isNumber);
                found = senderIds.insert(sender, static_cast<int>(senders.size()));
                senders.push_back({isNumber, isNumber ? value : 0.0,
                                   isNumber ? QString() : sender.toCaseFolded()});
            }
            senderOfEntry[static_cast<std::size_t>(entry)] = found.value();
        }
        std::vector<int> byOrder(senders.size());
        std::iota(byOrder.begin(), byOrder.end(), 0);
        std::sort(byOrder.begin(), byOrder.end(), [&senders](int left, int right) {
            const Sender& a = senders[static_cast<std::size_t>(left)];
            const Sender& b = senders[static_cast<std::size_t>(right)];
            if (a.isNumber != b.isNumber)
                return a.isNumber;
            if (a.isNumber && a.value != b.value)
                return a.value < b.value;
            if (const int order = a.text.compare(b.text); order != 0)
                return order < 0;
            return left < right;  // same text in other cases: the first seen first
        });
        // Senders equal under the ordering share a rank, so their entries mix in arrival order.
        std::vector<int> rank(senders.size(), 0);
        for (std::size_t i = 1; i < byOrder.size(); ++i) {
            const Sender& a = senders[static_cast<std::size_t>(byOrder[i - 1])];
            const Sender& b = senders[static_cast<std::size_t>(byOrder[i])];
            const bool same = a.isNumber == b.isNumber && a.value == b.value && a.text == b.text;
            rank[static_cast<std::size_t>(byOrder[i])] =
                rank[static_cast<std::size_t>(byOrder[i - 1])] + (same ? 0 : 1);
        }
        std::vector<std::size_t> start(senders.size() + 1, 0);
        for (std::size_t entry = 1; entry < senderOfEntry.size(); ++entry)
            ++start[static_cast<std::size_t>(rank[static_cast<std::size_t>(senderOfEntry[entry])]) +
                    1];
        std::partial_sum(start.begin(), start.end(), start.begin());
        for (std::size_t entry = 1; entry < senderOfEntry.size(); ++entry) {
            const auto r =
                static_cast<std::size_t>(rank[static_cast<std::size_t>(senderOfEntry[entry])]);
            rows_[start[r]++] = static_cast<qint32>(entry);
        }
    });
}

void HistoryTableModel::sortByArrival() {
    reorder([this] { std::sort(rows_.begin(), rows_.end()); });
}

qint32 HistoryTableModel::entryNumber(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= rows_.size())
        return 0;
    return rows_[static_cast<std::size_t>(row)];
}

int HistoryTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int HistoryTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : HistoryColumn::Count;
}

QVariant HistoryTableModel::data(const QModelIndex& index, int role) const {
    const qint32 number = entryNumber(index.row());
    // Entries removed since the last rebuild have no row content.
    if (!index.isValid() || number < 1 || number > HistoryList.Count)
        return {};
    const HistoryEntry& entry = HistoryList[number];
    if (role == Qt::DecorationRole && index.column() == HistoryColumn::State) {
        if (entry.State >= kStateRead && entry.State <= kStateUnreadWithAttachment)
            return icons_[static_cast<std::size_t>(entry.State - 1)];
        return {};
    }
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
        case HistoryColumn::Sender:
            return gSingleLineText(entry.Sender);
        case HistoryColumn::Text:
            return gSingleLineText(gFirstLineText(entry.Text));
        case HistoryColumn::Addressee:
            return gSingleLineText(entry.Addressee);
        case HistoryColumn::Received:
            return gSingleLineText(entry.ReceivedDate + QStringLiteral(" - ") + entry.ReceivedTime);
        case HistoryColumn::Number:
            return gHistoryNumberText(number);
        default:
            return {};
    }
}

QVariant HistoryTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return headings_.value(section);
}
