#include "mainwindow/history_table_model.h"

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
        struct Key {
            bool isNumber;
            double value;
            QString text;
            qint32 entry;
        };
        std::vector<Key> keys;
        keys.reserve(rows_.size());
        for (const qint32 entry : rows_) {
            const QString& sender = HistoryList[entry].Sender;
            bool isNumber = false;
            const double value = sender.trimmed().toDouble(&isNumber);
            keys.push_back({isNumber, isNumber ? value : 0.0,
                            isNumber ? QString() : sender.toCaseFolded(), entry});
        }
        std::sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) {
            if (a.isNumber != b.isNumber)
                return a.isNumber;
            if (a.isNumber && a.value != b.value)
                return a.value < b.value;
            if (const int order = a.text.compare(b.text); order != 0)
                return order < 0;
            return a.entry < b.entry;
        });
        for (std::size_t row = 0; row < keys.size(); ++row)
            rows_[row] = keys[row].entry;
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
