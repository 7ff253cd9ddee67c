#pragma once

#include "zropenworkstablemodel.h"

/// Surfaces (surface pick names) with their colour, strat column and age.
class ZROpenworksSurfacePickModel : public ZROpenworksFixedTableModel<6>
{
    Q_OBJECT
public:
    static constexpr int ColumnCount = 6;
    static constexpr int FirstHiddenColumn = 6;

    explicit ZROpenworksSurfacePickModel(QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool isHiddenColumn(int column) const override;
    void loadFromOpenworks(int parentProgressId) override;
};
