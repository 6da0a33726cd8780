#include "keytablemodel.h"

#include "kanakeys.h"

#include "messages.h"
#include "sjistext.h"

namespace kotopa {

int KeyTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(table_->Rows().size());
}

int KeyTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant KeyTableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    const auto row = static_cast<std::size_t>(index.row());
    if (row >= table_->Rows().size()) return {};
    const KeyRow& r = table_->Rows()[row];
    if (index.column() == 0) return FromSjis(r.item);
    const auto candidate = static_cast<std::size_t>(index.column() - 1);
    return candidate < r.candidates.size()
               ? QVariant(FromSjis(kanaKeys_ ? KanaKeyTops(r.candidates[candidate])
                                             : r.candidates[candidate]))
               : QVariant();
}

QVariant KeyTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= kColumns)
        return {};
    if (section == 0) return FromSjis(msg::kItemHeader);
    return FromSjis(msg::kCandidateHeader) + QString::number(section);
}

void KeyTableModel::RowChanged(std::size_t row) {
    const int r = static_cast<int>(row);
    emit dataChanged(index(r, 0), index(r, kColumns - 1), {Qt::DisplayRole});
}

void KeyTableModel::RowsChanged() {
    if (table_->Rows().empty()) return;
    emit dataChanged(index(0, 0), index(rowCount() - 1, kColumns - 1), {Qt::DisplayRole});
}

}  // namespace kotopa
