// The history grid's model: one row per HistoryList entry, in an order that sorting changes
// without touching HistoryList. A row is linked to its entry by the number in its last column, so
// every action on a row reads that number. Cells are read from the history when the view asks for
// them: only the rows on screen are ever decoded.
#pragma once

#include <QAbstractTableModel>
#include <QPixmap>
#include <QStringList>
#include <array>
#include <vector>

namespace HistoryColumn {
inline constexpr int State = 0;
inline constexpr int Sender = 1;
inline constexpr int Text = 2;
inline constexpr int Addressee = 3;
inline constexpr int Received = 4;
inline constexpr int Number = 5;
inline constexpr int Count = 6;
}  // namespace HistoryColumn

namespace HistoryCells {

// The entry number as column 5 shows it: at least four digits with leading zeros.
QString numberText(qint32 number);

// The first line of a text, for a one-line cell: up to the first CR or LF.
QString firstLine(const QString& text);

}  // namespace HistoryCells

class HistoryTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit HistoryTableModel(QObject* parent = nullptr);

    // The icons of states 1 to 4.
    void setStateIcons(const std::array<QPixmap, 4>& icons);

    // Rows 1 to HistoryList.Count in arrival order, with these six headings.
    void rebuild(const QStringList& headings);

    // Sorts the rows ascending on `column`: numbers as numbers, before other text; rows that are
    // equal there stay in arrival order. The arrival and number columns give arrival order.
    void sortByColumn(int column);
    void sortBySender() { sortByColumn(HistoryColumn::Sender); }
    void sortByArrival() { sortByColumn(HistoryColumn::Number); }

    // Entry `number` was removed from HistoryList: its row goes, the later entries' numbers move
    // down by one, and the other rows keep their order.
    void removeEntry(qint32 number);

    // The entry number shown in `row`; 0 for no row.
    qint32 entryNumber(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    template <class Reorder>
    void reorder(Reorder&& sortRows);

    std::vector<qint32> rows_;  // entry number of each row
    QStringList headings_;
    std::array<QPixmap, 4> icons_;
};
