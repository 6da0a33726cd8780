// The key table as the list view shows it: one row per row of the core's KeyTable, in the
// same order and under the same index, the item and the first five candidates. Nothing is
// copied; the texts are made when the view asks for a row it draws.
#pragma once

#include <QAbstractTableModel>

#include "keytable.h"

namespace kotopa {

class KeyTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    // The item and "候補 1" to "候補 5".
    static constexpr int kColumns = 6;

    KeyTableModel(const KeyTable& table, QObject* parent)
        : QAbstractTableModel(parent), table_(&table) {}

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Runs change, which may replace or rewrite the whole table (a load, a store), and has
    // the view read it afresh.
    template <typename F>
    void Reset(F&& change) {
        beginResetModel();
        change();
        endResetModel();
    }
    // Candidates shown as the kana printed on their keys (the kana input style).
    void ShowKanaKeys(bool kana) {
        beginResetModel();
        kanaKeys_ = kana;
        endResetModel();
    }
    // One row's candidates changed.
    void RowChanged(std::size_t row);
    // Candidates of any row may have changed; no row came or went.
    void RowsChanged();

private:
    const KeyTable* table_;
    bool kanaKeys_ = false;
};

}  // namespace kotopa
