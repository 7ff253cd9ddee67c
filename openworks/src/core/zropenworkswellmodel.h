#pragma once

#include "owdevkit.h"
#include "zropenworkstablemodel.h"

/// Wells by well list: a well in two lists has two rows, a well in none one row with
/// the list "NONE". Hidden: 12 well key, 13 UWI, 14 well id, 15 status.
class ZROpenworksWellModel : public ZROpenworksFixedTableModel<16>
{
    Q_OBJECT
public:
    static constexpr int ColumnCount = 16;
    static constexpr int FirstHiddenColumn = 12;

    /// Columns read by the exchanges (the hidden ones carry the record keys).
    enum Column
    {
        WellListColumn = 0,
        CommonWellNameColumn = 1,
        WellNumberColumn = 2,
        WellKeyColumn = 12,
        UwiColumn = 13,
        WellIdColumn = 14,
        StatusColumn = 15
    };

    explicit ZROpenworksWellModel(QObject* parent = nullptr);

    bool isHiddenColumn(int column) const override;
    void loadFromOpenworks(int parentProgressId) override;
    /// Appends the row of a well (a header record) in a well list, with
    /// notifications (a well just exported).
    void appendWell(const QString& listName, const gdiWell_t& well);
};
