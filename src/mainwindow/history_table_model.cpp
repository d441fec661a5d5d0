#include "mainwindow/history_table_model.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <tuple>
#include <unordered_map>

#include "mainwindow/display_text.h"
#include "platform/ansi_codec.h"
#include "stores/history_file.h"

QString HistoryCells::numberText(qint32 number) {
    return QStringLiteral("%1").arg(number, 4, 10, QChar(u'0'));
}

QString HistoryCells::firstLine(const QString& text) {
    qsizetype end = 0;
    while (end < text.size() && text.at(end) != u'\r' && text.at(end) != u'\n')
        ++end;
    return text.left(end);
}

namespace {

// How a cell sorts: numbers as numbers, before other text, which compares without case.
struct CellOrder {
    bool isNumber = false;
    double value = 0;
    QString text;
};

CellOrder cellOrderOf(const QString& cell) {
    bool isNumber = false;
    const double value = cell.trimmed().toDouble(&isNumber);
    return {isNumber, isNumber ? value : 0.0, isNumber ? QString() : cell.toCaseFolded()};
}

int compareCells(const CellOrder& a, const CellOrder& b) {
    if (a.isNumber != b.isNumber)
        return a.isNumber ? -1 : 1;
    if (a.isNumber)
        return a.value < b.value ? -1 : (a.value > b.value ? 1 : 0);
    return a.text.compare(b.text);
}

// Entries 1 to groupOfEntry.size() - 1, whose cells are the texts of groups, in the order of
// their cells; entries with equal cells keep arrival order. Each group's cell is compared, not
// each entry's: few computers send many messages.
std::vector<qint32> entriesByGroup(const std::vector<int>& groupOfEntry,
                                   const std::vector<QString>& cellOfGroup) {
    std::vector<CellOrder> cells;
    cells.reserve(cellOfGroup.size());
    for (const QString& cell : cellOfGroup)
        cells.push_back(cellOrderOf(cell));
    std::vector<int> byOrder(cells.size());
    std::iota(byOrder.begin(), byOrder.end(), 0);
    std::stable_sort(byOrder.begin(), byOrder.end(), [&cells](int left, int right) {
        return compareCells(cells[static_cast<std::size_t>(left)],
                            cells[static_cast<std::size_t>(right)]) < 0;
    });
    // Groups whose cells are equal under the ordering share a rank, so their entries mix in
    // arrival order.
    std::vector<std::size_t> rank(cells.size(), 0);
    for (std::size_t i = 1; i < byOrder.size(); ++i) {
        const auto previous = static_cast<std::size_t>(byOrder[i - 1]);
        const auto current = static_cast<std::size_t>(byOrder[i]);
        rank[current] =
            rank[previous] + (compareCells(cells[previous], cells[current]) == 0 ? 0 : 1);
    }
    std::vector<std::size_t> start(cells.size() + 1, 0);
    for (std::size_t entry = 1; entry < groupOfEntry.size(); ++entry)
        ++start[rank[static_cast<std::size_t>(groupOfEntry[entry])] + 1];
    std::partial_sum(start.begin(), start.end(), start.begin());
    std::vector<qint32> rows(groupOfEntry.empty() ? 0 : groupOfEntry.size() - 1);
    for (std::size_t entry = 1; entry < groupOfEntry.size(); ++entry)
        rows[start[rank[static_cast<std::size_t>(groupOfEntry[entry])]]++] =
            static_cast<qint32>(entry);
    return rows;
}

// Entries 1 to `count` grouped by a key of theirs; `cellOf(entry)` is the cell of the first entry
// of each key.
template <class Key, class KeyOf, class CellOf>
std::vector<qint32> entriesByKey(qint32 count, KeyOf&& keyOf, CellOf&& cellOf) {
    std::vector<int> groupOfEntry(static_cast<std::size_t>(count) + 1, 0);
    std::vector<QString> cellOfGroup;
    std::unordered_map<Key, int> groups;
    for (qint32 entry = 1; entry <= count; ++entry) {
        const auto [found, added] = groups.try_emplace(keyOf(entry), int(cellOfGroup.size()));
        if (added)
            cellOfGroup.push_back(cellOf(entry));
        groupOfEntry[static_cast<std::size_t>(entry)] = found->second;
    }
    return entriesByGroup(groupOfEntry, cellOfGroup);
}

// Where each byte of the file's encoding sorts once its case is folded: its character's code.
const std::array<char16_t, 256>& foldedByteOrder() {
    static const std::array<char16_t, 256> order = [] {
        std::array<char16_t, 256> codes{};
        for (int byte = 0; byte < 256; ++byte) {
            const char c = static_cast<char>(byte);
            codes[static_cast<std::size_t>(byte)] =
                pelimo::platform::ansiToUnicode(QByteArrayView(&c, 1))
                    .toCaseFolded()
                    .at(0)
                    .unicode();
        }
        return codes;
    }();
    return order;
}

// The place of each byte's folded code among the 256 codes: bytes compare by rank as by code,
// and a rank fits one byte.
const std::array<quint8, 256>& foldedByteRanks() {
    static const std::array<quint8, 256> ranks = [] {
        const std::array<char16_t, 256>& codes = foldedByteOrder();
        std::array<char16_t, 256> sorted = codes;
        std::sort(sorted.begin(), sorted.end());
        std::array<quint8, 256> result{};
        for (std::size_t byte = 0; byte < 256; ++byte)
            result[byte] = static_cast<quint8>(
                std::lower_bound(sorted.begin(), sorted.end(), codes[byte]) - sorted.begin());
        return result;
    }();
    return ranks;
}

// A line of the file's encoding that may read as a number: only characters a number can hold.
bool mayBeNumber(QByteArrayView line) {
    return std::all_of(line.begin(), line.end(), [](char c) {
        return (c >= '0' && c <= '9') || QByteArrayView(" \t\v\f+-.eEinfaINFA").contains(c);
    });
}

// The folded ranks of some bytes of each line being sorted, in one buffer.
class RankSlices {
public:
    // Room for `count` slices of `bytes` bytes each.
    void reset(std::size_t count, std::size_t bytes) {
        ranks_.clear();
        ranks_.reserve(count * bytes);
        slices_.clear();
        slices_.reserve(count);
    }
    // The ranks of `bytes` as a new slice; its number.
    quint32 add(QByteArrayView bytes, const std::array<quint8, 256>& ranks) {
        const std::size_t at = ranks_.size();
        ranks_.resize(at + static_cast<std::size_t>(bytes.size()));
        std::transform(bytes.begin(), bytes.end(), ranks_.begin() + static_cast<std::ptrdiff_t>(at),
                       [&ranks](char c) { return ranks[static_cast<unsigned char>(c)]; });
        slices_.push_back({at, static_cast<std::size_t>(bytes.size())});
        return static_cast<quint32>(slices_.size() - 1);
    }
    // Compares slices as their bytes order, a slice that is the start of the other first.
    int compare(quint32 a, quint32 b) const {
        const Slice& x = slices_[a];
        const Slice& y = slices_[b];
        const int byBytes =
            std::memcmp(ranks_.data() + x.at, ranks_.data() + y.at, std::min(x.size, y.size));
        if (byBytes != 0)
            return byBytes;
        return x.size < y.size ? -1 : (x.size > y.size ? 1 : 0);
    }

private:
    struct Slice {
        std::size_t at;
        std::size_t size;
    };
    std::vector<quint8> ranks_;
    std::vector<Slice> slices_;
};

// Entries 1 to `count` in the order of their texts' first lines, compared in the file's encoding
// where they are: a long history's texts are never decoded, nor kept, all at once. Lines that
// read as numbers come first, by value; the others by their folded bytes: first by their first
// 40, kept as keys that compare in place; then the groups of lines equal so far are ordered by
// their next bytes, read again from the history in one forward pass for all groups, as many as a
// bounded buffer holds, until the lines differ or end. Equal lines keep arrival order. The views
// the history hands out last only until its next read: nothing is compared through them later.
std::vector<qint32> entriesByFirstLine(qint32 count) {
    const std::array<quint8, 256>& ranks = foldedByteRanks();
    constexpr std::size_t kKeys = 5;
    constexpr quint32 kFirstBytes = kKeys * 8;
    constexpr quint32 kNoSlice = ~quint32{0};
    constexpr std::size_t kSliceBudget = std::size_t{32} << 20;
    // A line's first 40 bytes as keys that compare in place (ranks, the first one highest, the
    // missing bytes of a short line the lowest rank), or later the slice of the bytes compared,
    // and how many of its bytes there are to compare (one more than are compared: it goes on).
    struct Keyed {
        std::array<quint64, kKeys> key;
        quint32 slice;
        quint32 remaining;
        qint32 entry;
    };
    RankSlices slices;
    auto before = [&slices](const Keyed& a, const Keyed& b) {
        if (a.key != b.key)
            return a.key < b.key;
        if (a.slice != kNoSlice) {
            if (const int bySlice = slices.compare(a.slice, b.slice); bySlice != 0)
                return bySlice < 0;
        }
        return std::tie(a.remaining, a.entry) < std::tie(b.remaining, b.entry);
    };
    auto equalSoFar = [&slices](const Keyed& a, const Keyed& b) {
        return a.key == b.key && a.remaining == b.remaining &&
               (a.slice == kNoSlice || slices.compare(a.slice, b.slice) == 0);
    };
    auto firstLineOf = [](qint32 entry) {
        QByteArrayView fields[6];
        HistoryList.entryBytes(entry, fields);
        const QByteArrayView text = fields[static_cast<int>(HistoryText::Text)];
        return text.first(
            std::find_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }) -
            text.begin());
    };

    std::vector<Keyed> texts;
    std::vector<std::pair<double, qint32>> numbers;
    texts.reserve(static_cast<std::size_t>(count));
    for (qint32 entry = 1; entry <= count; ++entry) {
        const QByteArrayView line = firstLineOf(entry);
        if (mayBeNumber(line)) {
            const CellOrder cell = cellOrderOf(pelimo::platform::ansiToUnicode(line));
            if (cell.isNumber) {
                numbers.emplace_back(cell.value, entry);
                continue;
            }
        }
        Keyed text{
            {}, kNoSlice, std::min(static_cast<quint32>(line.size()), kFirstBytes + 1), entry};
        for (qsizetype i = 0; i < qsizetype{kFirstBytes}; ++i) {
            quint64& key = text.key[static_cast<std::size_t>(i / 8)];
            key = (key << 8) | (i < line.size() ? ranks[static_cast<unsigned char>(line[i])] : 0);
        }
        texts.push_back(text);
    }
    std::sort(texts.begin(), texts.end(), before);

    // Runs of lines equal so far that go on past `wanted` bytes, as [begin, end) of texts.
    std::vector<std::pair<std::size_t, std::size_t>> groups;
    auto findGroups = [&](std::size_t begin, std::size_t end, quint32 wanted) {
        for (std::size_t first = begin; first < end;) {
            std::size_t last = first + 1;
            while (last < end && equalSoFar(texts[first], texts[last]))
                ++last;
            if (last - first > 1 && texts[first].remaining > wanted)
                groups.emplace_back(first, last);
            first = last;
        }
    };
    findGroups(0, texts.size(), kFirstBytes);
    quint32 offset = kFirstBytes;
    while (!groups.empty()) {
        // Every member of every group, read in arrival order: the history is read forwards.
        std::vector<std::size_t> members;
        for (const auto& [begin, end] : groups) {
            for (std::size_t i = begin; i < end; ++i)
                members.push_back(i);
        }
        std::sort(members.begin(), members.end(), [&texts](std::size_t a, std::size_t b) {
            return texts[a].entry < texts[b].entry;
        });
        const auto wanted = static_cast<quint32>(
            std::clamp<std::size_t>(kSliceBudget / members.size(), 32, std::size_t{1} << 20));
        slices.reset(members.size(), wanted);
        for (std::size_t i : members) {
            Keyed& text = texts[i];
            const QByteArrayView line = firstLineOf(text.entry);
            const QByteArrayView rest = line.sliced(std::min<qsizetype>(line.size(), offset));
            const auto size = static_cast<quint32>(rest.size());
            text.key = {};
            text.slice = slices.add(rest.first(std::min(size, wanted)), ranks);
            text.remaining = std::min(size, wanted + 1);
        }
        const auto current = std::move(groups);
        groups.clear();
        for (const auto& [begin, end] : current) {
            std::sort(texts.begin() + static_cast<std::ptrdiff_t>(begin),
                      texts.begin() + static_cast<std::ptrdiff_t>(end), before);
            findGroups(begin, end, wanted);
        }
        offset += wanted;
    }
    std::stable_sort(numbers.begin(), numbers.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<qint32> rows;
    rows.reserve(static_cast<std::size_t>(count));
    for (const auto& number : numbers)
        rows.push_back(number.second);
    for (const Keyed& text : texts)
        rows.push_back(text.entry);
    return rows;
}

}  // namespace

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

void HistoryTableModel::sortByColumn(int column) {
    // The rows are those of the last rebuild; entries added since have none.
    const auto count = static_cast<qint32>(rows_.size());
    reorder([this, column, count] {
        switch (column) {
            case HistoryColumn::Sender:
            case HistoryColumn::Addressee: {
                const HistoryText field =
                    column == HistoryColumn::Sender ? HistoryText::Sender : HistoryText::Addressee;
                rows_ = entriesByKey<quint32>(
                    count, [field](qint32 entry) { return HistoryList.textKey(entry, field); },
                    [field](qint32 entry) { return HistoryList.text(entry, field); });
                break;
            }
            case HistoryColumn::State:
                rows_ = entriesByKey<qint16>(
                    count, [](qint32 entry) { return HistoryList.state(entry); },
                    [](qint32 entry) { return QString::number(HistoryList.state(entry)); });
                break;
            case HistoryColumn::Text:
                rows_ = entriesByFirstLine(count);
                break;
            default:
                // Arrival: the date the sort menu means, and the entry number.
                std::sort(rows_.begin(), rows_.end());
                break;
        }
    });
}

void HistoryTableModel::removeEntry(qint32 number) {
    const auto found = std::find(rows_.begin(), rows_.end(), number);
    if (found != rows_.end()) {
        const int row = static_cast<int>(found - rows_.begin());
        beginRemoveRows({}, row, row);
        rows_.erase(found);
        endRemoveRows();
    }
    for (qint32& entry : rows_) {
        if (entry > number)
            --entry;
    }
    if (!rows_.empty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, HistoryColumn::Count - 1));
    }
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
    if (role == Qt::DecorationRole && index.column() == HistoryColumn::State) {
        const qint16 state = HistoryList.state(number);
        if (state >= kStateRead && state <= kStateUnreadWithAttachment)
            return icons_[static_cast<std::size_t>(state - 1)];
        return {};
    }
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
        case HistoryColumn::Sender:
            return DisplayText::singleLine(HistoryList.text(number, HistoryText::Sender));
        case HistoryColumn::Text:
            return DisplayText::singleLine(
                HistoryCells::firstLine(HistoryList.text(number, HistoryText::Text)));
        case HistoryColumn::Addressee:
            return DisplayText::singleLine(HistoryList.text(number, HistoryText::Addressee));
        case HistoryColumn::Received:
            return DisplayText::singleLine(HistoryList.text(number, HistoryText::ReceivedDate) +
                                           QStringLiteral(" - ") +
                                           HistoryList.text(number, HistoryText::ReceivedTime));
        case HistoryColumn::Number:
            return HistoryCells::numberText(number);
        default:
            return {};
    }
}

QVariant HistoryTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return headings_.value(section);
}
